#pragma once

#include "platform/CRuntimeClock.h"
#include "platform/Platform.h"
#include "platform/win32/Win32DeviceNotifications.h"
#include "platform/win32/Win32DeviceSetup.h"
#include "platform/win32/Win32DialogHost.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32KernelObjects.h"
#include "platform/win32/Win32Resources.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32SystemQueries.h"
#include "platform/win32/Win32WindowHost.h"

namespace kelvane {

// Every service of the seam over the real Windows API. The Windows entry point builds one and
// hands its platform() down; it must outlive everything that uses it.
struct Win32Platform {
    Win32DeviceSetup deviceSetup;
    Win32DeviceNotifications deviceNotifications;
    Win32SystemQueries systemQueries;
    Win32KernelObjects kernelObjects;
    CRuntimeClock clock;
    Win32Files files;
    Win32Shell shell;
    Win32Resources resources;
    Win32WindowHost windowHost;
    Win32DialogHost dialogHost;

    Platform platform() {
        return Platform{deviceSetup, deviceNotifications, systemQueries, kernelObjects, clock,
                        files,       shell,               resources,     windowHost,    dialogHost};
    }
};

}  // namespace kelvane

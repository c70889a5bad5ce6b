#pragma once

#include "platform/Clock.h"
#include "platform/DeviceNotifications.h"
#include "platform/DeviceSetup.h"
#include "platform/DialogHost.h"
#include "platform/Files.h"
#include "platform/KernelObjects.h"
#include "platform/Resources.h"
#include "platform/Shell.h"
#include "platform/SystemQueries.h"
#include "platform/WindowHost.h"

namespace kelvane {

// The services the core calls, built once by each platform's entry point (or by a test) and
// handed down. The core holds no platform of its own.
struct Platform {
    DeviceSetup& deviceSetup;
    DeviceNotifications& deviceNotifications;
    SystemQueries& systemQueries;
    KernelObjects& kernelObjects;
    Clock& clock;
    Files& files;
    Shell& shell;
    Resources& resources;
    WindowHost& windowHost;
    DialogHost& dialogHost;
};

}  // namespace kelvane

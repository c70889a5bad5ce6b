#pragma once

#include "platform/Platform.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeDeviceNotifications.h"
#include "tests/support/FakeDeviceSetup.h"
#include "tests/support/FakeDialogHost.h"
#include "tests/support/FakeFiles.h"
#include "tests/support/FakeKernelObjects.h"
#include "tests/support/FakeResources.h"
#include "tests/support/FakeShell.h"
#include "tests/support/FakeSystemQueries.h"
#include "tests/support/FakeWindowHost.h"

namespace kelvane::testing {

// Every service of the seam, in memory. A test may put a real provider in the place of one
// fake with Use(); the others stay in memory.
struct FakePlatform {
    FakeDeviceSetup deviceSetup;
    FakeDeviceNotifications deviceNotifications;
    FakeSystemQueries systemQueries;
    FakeKernelObjects kernelObjects;
    FakeClock clock;
    FakeFiles files;
    FakeShell shell;
    FakeResources resources;
    FakeWindowHost windowHost;
    FakeDialogHost dialogHost{windowHost};

    void Use(DeviceSetup& real) { m_deviceSetup = &real; }
    void Use(KernelObjects& real) { m_kernelObjects = &real; }
    void Use(Files& real) { m_files = &real; }
    void Use(Shell& real) { m_shell = &real; }
    void Use(Resources& real) { m_resources = &real; }

    Platform platform() {
        return Platform{m_deviceSetup != nullptr ? *m_deviceSetup : deviceSetup,
                        deviceNotifications,
                        systemQueries,
                        m_kernelObjects != nullptr ? *m_kernelObjects : kernelObjects,
                        clock,
                        m_files != nullptr ? *m_files : files,
                        m_shell != nullptr ? *m_shell : shell,
                        m_resources != nullptr ? *m_resources : resources,
                        windowHost,
                        dialogHost};
    }

private:
    DeviceSetup* m_deviceSetup = nullptr;
    KernelObjects* m_kernelObjects = nullptr;
    Files* m_files = nullptr;
    Shell* m_shell = nullptr;
    Resources* m_resources = nullptr;
};

}  // namespace kelvane::testing

#pragma once

#include "platform/Platform.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeDeviceNotifications.h"
#include "tests/support/FakeDeviceSetup.h"
#include "tests/support/FakeKernelObjects.h"
#include "tests/support/FakeSystemQueries.h"

namespace kelvane::testing {

// Every service of the seam, in memory.
struct FakePlatform {
    FakeDeviceSetup deviceSetup;
    FakeDeviceNotifications deviceNotifications;
    FakeSystemQueries systemQueries;
    FakeKernelObjects kernelObjects;
    FakeClock clock;

    Platform platform() {
        return Platform{deviceSetup, deviceNotifications, systemQueries, kernelObjects, clock};
    }
};

}  // namespace kelvane::testing

#pragma once

#include "platform/Platform.h"
#include "tests/support/FakeDeviceNotifications.h"
#include "tests/support/FakeDeviceSetup.h"

namespace kelvane::testing {

// Every service of the seam, in memory.
struct FakePlatform {
    FakeDeviceSetup deviceSetup;
    FakeDeviceNotifications deviceNotifications;

    Platform platform() { return Platform{deviceSetup, deviceNotifications}; }
};

}  // namespace kelvane::testing

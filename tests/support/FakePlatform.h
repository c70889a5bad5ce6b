#pragma once

#include "platform/Platform.h"
#include "tests/support/FakeDeviceNotifications.h"
#include "tests/support/FakeDeviceSetup.h"
#include "tests/support/FakeFiles.h"
#include "tests/support/FakeResources.h"
#include "tests/support/FakeSystemQueries.h"
#include "tests/support/FakeWindowHost.h"

namespace kelvane::testing {

// Every service of the seam, in memory.
struct FakePlatform {
    FakeDeviceSetup deviceSetup;
    FakeDeviceNotifications deviceNotifications;
    FakeSystemQueries systemQueries;
    FakeResources resources;
    FakeFiles files;
    FakeWindowHost windowHost;

    Platform platform() {
        return Platform{deviceSetup, deviceNotifications, systemQueries, resources,
                        files,       windowHost};
    }
};

}  // namespace kelvane::testing

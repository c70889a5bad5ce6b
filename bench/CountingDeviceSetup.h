#pragma once

// A device-setup provider that passes every call on to another one and notes what the lookup
// examined: the highest member index it was given an interface for, how many instance IDs it
// read and how many sets it built, and the time the provider spent building and destroying them.
#include <algorithm>
#include <cstdint>

#include "bench/MonotonicClock.h"
#include "tests/support/ForwardingDeviceSetup.h"

namespace kelvane::bench {

class CountingDeviceSetup final : public testing::ForwardingDeviceSetup {
public:
    explicit CountingDeviceSetup(DeviceSetup& inner) : ForwardingDeviceSetup(inner) {}

    std::int64_t highestExamined = -1;  // member index, -1 before any
    std::int64_t instanceIdsRead = 0;
    std::int64_t setsBuilt = 0;
    double setNs = 0;  // building and destroying sets

    DeviceInfoSet SetupDiGetClassDevsW(const GUID& classGuid, std::uint32_t flags) override {
        const double start = MonotonicNs();
        const DeviceInfoSet set = ForwardingDeviceSetup::SetupDiGetClassDevsW(classGuid, flags);
        setNs += MonotonicNs() - start;
        ++setsBuilt;
        return set;
    }
    bool SetupDiEnumDeviceInterfaces(DeviceInfoSet set, const GUID& classGuid,
                                     std::uint32_t memberIndex,
                                     SP_DEVICE_INTERFACE_DATA& data) override {
        const bool found =
            ForwardingDeviceSetup::SetupDiEnumDeviceInterfaces(set, classGuid, memberIndex, data);
        if (found) {
            highestExamined = std::max<std::int64_t>(highestExamined, memberIndex);
        }
        return found;
    }
    bool SetupDiGetDeviceInstanceIdW(DeviceInfoSet set, const SP_DEVINFO_DATA& device,
                                     char16_t* buffer, std::uint32_t capacity,
                                     std::uint32_t* requiredSize) override {
        ++instanceIdsRead;
        return ForwardingDeviceSetup::SetupDiGetDeviceInstanceIdW(set, device, buffer, capacity,
                                                                  requiredSize);
    }
    bool SetupDiDestroyDeviceInfoList(DeviceInfoSet set) override {
        const double start = MonotonicNs();
        const bool destroyed = ForwardingDeviceSetup::SetupDiDestroyDeviceInfoList(set);
        setNs += MonotonicNs() - start;
        return destroyed;
    }
};

}  // namespace kelvane::bench

#pragma once

// A device-setup provider that passes every call on to another one and notes what the lookup
// examined: the highest member index it was given an interface for, how many instance IDs it
// read and how many sets it built, and the time the provider spent building and destroying them.
#include <time.h>

#include <algorithm>
#include <cstdint>

#include "platform/DeviceSetup.h"

namespace kelvane::bench {

class CountingDeviceSetup final : public DeviceSetup {
public:
    explicit CountingDeviceSetup(DeviceSetup& inner) : m_inner(inner) {}

    std::int64_t highestExamined = -1;  // member index, -1 before any
    std::int64_t instanceIdsRead = 0;
    std::int64_t setsBuilt = 0;
    double setNs = 0;  // building and destroying sets

    DeviceInfoSet SetupDiGetClassDevsW(const GUID& classGuid, std::uint32_t flags) override {
        const double start = Now();
        const DeviceInfoSet set = m_inner.SetupDiGetClassDevsW(classGuid, flags);
        setNs += Now() - start;
        ++setsBuilt;
        return set;
    }
    bool SetupDiEnumDeviceInterfaces(DeviceInfoSet set, const GUID& classGuid,
                                     std::uint32_t memberIndex,
                                     SP_DEVICE_INTERFACE_DATA& data) override {
        const bool found = m_inner.SetupDiEnumDeviceInterfaces(set, classGuid, memberIndex, data);
        if (found) {
            highestExamined = std::max<std::int64_t>(highestExamined, memberIndex);
        }
        return found;
    }
    bool SetupDiEnumDeviceInfo(DeviceInfoSet set, std::uint32_t memberIndex,
                               SP_DEVINFO_DATA& data) override {
        return m_inner.SetupDiEnumDeviceInfo(set, memberIndex, data);
    }
    bool SetupDiGetDeviceInstanceIdW(DeviceInfoSet set, const SP_DEVINFO_DATA& device,
                                     char16_t* buffer, std::uint32_t capacity,
                                     std::uint32_t* requiredSize) override {
        ++instanceIdsRead;
        return m_inner.SetupDiGetDeviceInstanceIdW(set, device, buffer, capacity, requiredSize);
    }
    bool SetupDiGetDeviceInterfaceDetailW(DeviceInfoSet set,
                                          const SP_DEVICE_INTERFACE_DATA& interfaceData,
                                          SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail,
                                          std::uint32_t detailSize,
                                          std::uint32_t* requiredSize) override {
        return m_inner.SetupDiGetDeviceInterfaceDetailW(set, interfaceData, detail, detailSize,
                                                        requiredSize);
    }
    RegistryKey SetupDiOpenDeviceInterfaceRegKey(DeviceInfoSet set,
                                                 const SP_DEVICE_INTERFACE_DATA& interfaceData,
                                                 std::uint32_t samDesired) override {
        return m_inner.SetupDiOpenDeviceInterfaceRegKey(set, interfaceData, samDesired);
    }
    std::int32_t RegQueryValueExW(RegistryKey key, const char16_t* valueName, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* dataSize) override {
        return m_inner.RegQueryValueExW(key, valueName, type, data, dataSize);
    }
    std::int32_t RegCloseKey(RegistryKey key) override { return m_inner.RegCloseKey(key); }
    bool SetupDiDestroyDeviceInfoList(DeviceInfoSet set) override {
        const double start = Now();
        const bool destroyed = m_inner.SetupDiDestroyDeviceInfoList(set);
        setNs += Now() - start;
        return destroyed;
    }
    std::uint32_t GetLastError() const override { return m_inner.GetLastError(); }

private:
    static double Now() {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
    }

    DeviceSetup& m_inner;
};

}  // namespace kelvane::bench

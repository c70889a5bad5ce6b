#pragma once

#include <cstdint>

#include "platform/DeviceSetup.h"

namespace kelvane::testing {

// Passes every call on to another device-setup provider. A test or benchmark derives from it to
// watch the few calls it cares about, and calls the base to pass them on.
class ForwardingDeviceSetup : public DeviceSetup {
public:
    explicit ForwardingDeviceSetup(DeviceSetup& inner) : m_inner(inner) {}

    DeviceInfoSet SetupDiGetClassDevsW(const GUID& classGuid, std::uint32_t flags) override {
        return m_inner.SetupDiGetClassDevsW(classGuid, flags);
    }
    bool SetupDiEnumDeviceInterfaces(DeviceInfoSet set, const GUID& classGuid,
                                     std::uint32_t memberIndex,
                                     SP_DEVICE_INTERFACE_DATA& data) override {
        return m_inner.SetupDiEnumDeviceInterfaces(set, classGuid, memberIndex, data);
    }
    bool SetupDiEnumDeviceInfo(DeviceInfoSet set, std::uint32_t memberIndex,
                               SP_DEVINFO_DATA& data) override {
        return m_inner.SetupDiEnumDeviceInfo(set, memberIndex, data);
    }
    bool SetupDiGetDeviceInstanceIdW(DeviceInfoSet set, const SP_DEVINFO_DATA& device,
                                     char16_t* buffer, std::uint32_t capacity,
                                     std::uint32_t* requiredSize) override {
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
        return m_inner.SetupDiDestroyDeviceInfoList(set);
    }
    std::uint32_t GetLastError() const override { return m_inner.GetLastError(); }

private:
    DeviceSetup& m_inner;
};

}  // namespace kelvane::testing

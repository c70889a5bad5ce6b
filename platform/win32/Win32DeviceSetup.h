#pragma once

#include "platform/DeviceSetup.h"

namespace kelvane {

// The device-setup services of SetupAPI and the registry reads of advapi32, passed straight
// through. Each operation keeps the thread's last-error code it left behind, so that calls the
// program makes in between (the C runtime's, a trace's) cannot overwrite it.
class Win32DeviceSetup final : public DeviceSetup {
public:
    DeviceInfoSet SetupDiGetClassDevsW(const GUID& classGuid, std::uint32_t flags) override;
    bool SetupDiEnumDeviceInterfaces(DeviceInfoSet set, const GUID& classGuid,
                                     std::uint32_t memberIndex,
                                     SP_DEVICE_INTERFACE_DATA& data) override;
    bool SetupDiEnumDeviceInfo(DeviceInfoSet set, std::uint32_t memberIndex,
                               SP_DEVINFO_DATA& data) override;
    bool SetupDiGetDeviceInstanceIdW(DeviceInfoSet set, const SP_DEVINFO_DATA& device,
                                     char16_t* buffer, std::uint32_t capacity,
                                     std::uint32_t* requiredSize) override;
    bool SetupDiGetDeviceInterfaceDetailW(DeviceInfoSet set,
                                          const SP_DEVICE_INTERFACE_DATA& interfaceData,
                                          SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail,
                                          std::uint32_t detailSize,
                                          std::uint32_t* requiredSize) override;
    RegistryKey SetupDiOpenDeviceInterfaceRegKey(DeviceInfoSet set,
                                                 const SP_DEVICE_INTERFACE_DATA& interfaceData,
                                                 std::uint32_t samDesired) override;
    std::int32_t RegQueryValueExW(RegistryKey key, const char16_t* valueName, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* dataSize) override;
    std::int32_t RegCloseKey(RegistryKey key) override;
    bool SetupDiDestroyDeviceInfoList(DeviceInfoSet set) override;
    std::uint32_t GetLastError() const override { return m_lastError; }

private:
    // Takes the thread's last-error code after a call and passes the call's result on.
    template <typename Result>
    Result Keep(Result result);

    std::uint32_t m_lastError = 0;
};

}  // namespace kelvane

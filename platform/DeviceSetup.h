#pragma once

#include <cstdint>

#include "platform/Handles.h"
#include "platform/Records.h"

namespace kelvane {

// The device-setup services and the registry reads on device-interface keys. Each operation
// behaves as the Windows operation of the same name: a false result leaves its error code for
// GetLastError (259 past the last interface, 6 on a set that could not be built, ...).
class DeviceSetup {
public:
    virtual ~DeviceSetup() = default;

    // Builds a set of the interfaces of one class; no enumerator and no parent window. A set that
    // cannot be built is returned as an invalid handle, on which every enumeration fails with 6.
    virtual DeviceInfoSet SetupDiGetClassDevsW(const GUID& classGuid, std::uint32_t flags) = 0;

    // Interface `memberIndex` of the set, with no device filter. `data.cbSize` must be set.
    virtual bool SetupDiEnumDeviceInterfaces(DeviceInfoSet set, const GUID& classGuid,
                                             std::uint32_t memberIndex,
                                             SP_DEVICE_INTERFACE_DATA& data) = 0;

    // Device element `memberIndex` of the set. `data.cbSize` must be set.
    virtual bool SetupDiEnumDeviceInfo(DeviceInfoSet set, std::uint32_t memberIndex,
                                       SP_DEVINFO_DATA& data) = 0;

    // The device's instance ID with its terminator; fails with 122 when it does not fit.
    virtual bool SetupDiGetDeviceInstanceIdW(DeviceInfoSet set, const SP_DEVINFO_DATA& device,
                                             char16_t* buffer, std::uint32_t capacity,
                                             std::uint32_t* requiredSize) = 0;

    // With no buffer (size 0) it reports the size the detail record needs and fails with 122.
    // With a buffer whose cbSize is set it fills in the device path.
    virtual bool SetupDiGetDeviceInterfaceDetailW(DeviceInfoSet set,
                                                  const SP_DEVICE_INTERFACE_DATA& interfaceData,
                                                  SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail,
                                                  std::uint32_t detailSize,
                                                  std::uint32_t* requiredSize) = 0;

    // The interface's registry key, or an invalid key on failure.
    virtual RegistryKey SetupDiOpenDeviceInterfaceRegKey(
        DeviceInfoSet set, const SP_DEVICE_INTERFACE_DATA& interfaceData,
        std::uint32_t samDesired) = 0;

    // Returns a Windows error code (0 on success) like RegQueryValueExW. On success `*dataSize`
    // holds the bytes written; 234 means the value does not fit and nothing was written.
    virtual std::int32_t RegQueryValueExW(RegistryKey key, const char16_t* valueName,
                                          std::uint32_t* type, std::uint8_t* data,
                                          std::uint32_t* dataSize) = 0;

    virtual std::int32_t RegCloseKey(RegistryKey key) = 0;

    virtual bool SetupDiDestroyDeviceInfoList(DeviceInfoSet set) = 0;

    // The code left by the last failed operation of this service.
    virtual std::uint32_t GetLastError() const = 0;
};

}  // namespace kelvane

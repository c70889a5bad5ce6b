#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/DeviceSetup.h"

struct udev;
struct udev_device;

namespace kelvane {

// The device-setup services over udev. The USB printing interface class is the set of USB
// interfaces of interface class 07; a device-information set is a sorted snapshot of them taken
// when the set is built, so nothing that happens in the system afterwards changes it. Errors are
// reported with the codes the Windows operations use. Only the UI thread calls it.
class LinuxDeviceSetup final : public DeviceSetup {
public:
    LinuxDeviceSetup() = default;
    LinuxDeviceSetup(const LinuxDeviceSetup&) = delete;
    LinuxDeviceSetup& operator=(const LinuxDeviceSetup&) = delete;

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
    // One printer-class interface as it was when its set was built; it is also the device
    // element of the same index.
    struct Interface {
        std::u16string instanceId;
        std::u16string devicePath;
        std::uint32_t flags = 0;
        // The interface key's values. Only a printer that usblp drives has a port number.
        std::optional<std::uint32_t> portNumber;
        std::uint32_t vidPid = 0;
    };
    using Snapshot = std::vector<Interface>;

    // Reads the printer-class interfaces from udev, or fails with a Windows error code.
    static std::optional<Snapshot> ReadPrinterInterfaces(std::uint32_t& error);
    // `device` as a member of the set, or nothing when it is no printer-class interface or
    // cannot be described.
    static std::optional<Interface> ReadInterface(udev* context, udev_device* device);

    bool Fail(std::uint32_t code);
    std::uintptr_t NextHandle();
    // The interface a record of `set` refers to, checked like Windows does; null after failing.
    const Interface* Lookup(DeviceInfoSet set, const SP_DEVICE_INTERFACE_DATA& data);

    std::map<std::uintptr_t, Snapshot> m_sets;
    // An open key holds its own copy, so it outlives the set it was opened from.
    std::map<std::uintptr_t, Interface> m_keys;
    std::uintptr_t m_nextHandle = 0;
    std::uint32_t m_lastError = 0;
};

}  // namespace kelvane

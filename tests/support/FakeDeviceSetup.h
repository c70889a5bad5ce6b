#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/DeviceSetup.h"

namespace kelvane::testing {

// A registry value of an interface key: a 4-byte number or a text.
using FakeRegistryValue = std::variant<std::uint32_t, std::u16string>;

// One interface of the printer class together with its device element.
struct FakeInterface {
    std::u16string instanceId;
    std::u16string devicePath;
    std::uint32_t flags = kSpintActive;
    // Names match ignoring case, as registry value names do. An absent name cannot be read.
    std::map<std::u16string, FakeRegistryValue> registry;
    bool pathFetchFails = false;
    bool registryKeyFails = false;
};

// The device-setup services over a scripted population. A set is a snapshot taken when it is
// built, so a test may change the population between two operations of the code under test.
class FakeDeviceSetup final : public DeviceSetup {
public:
    struct Counts {
        int SetupDiGetClassDevsW = 0;
        int SetupDiEnumDeviceInterfaces = 0;
        int SetupDiEnumDeviceInfo = 0;
        int SetupDiGetDeviceInstanceIdW = 0;
        int SetupDiGetDeviceInterfaceDetailW = 0;
        int SetupDiOpenDeviceInterfaceRegKey = 0;
        int RegQueryValueExW = 0;
        int RegCloseKey = 0;
        int SetupDiDestroyDeviceInfoList = 0;
    };

    // The scripted state; tests change it freely.
    std::vector<FakeInterface> interfaces;
    bool setCannotBeBuilt = false;
    // Enumerating the interface at this member index fails once per set with this code.
    std::map<std::uint32_t, std::uint32_t> enumerationFailures;

    // What the code under test did.
    Counts counts;
    std::vector<std::uint32_t> enumeratedIndexes;
    std::vector<std::uint32_t> classDevsFlags;
    std::vector<std::u16string> queriedValueNames;

    // Sets built and not yet destroyed, and keys opened and not yet closed.
    int OpenSetCount() const { return static_cast<int>(m_sets.size()); }
    int OpenKeyCount() const { return static_cast<int>(m_keys.size()); }
    // The greatest member index passed to SetupDiEnumDeviceInterfaces, if any.
    std::optional<std::uint32_t> HighestEnumeratedIndex() const;

    // Adds `count` printer interfaces with the given VID/PID word and distinct serials and paths.
    void AddPrinters(std::uint32_t vidPid, int count);

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
    struct Snapshot {
        std::vector<FakeInterface> interfaces;
        std::map<std::uint32_t, std::uint32_t> enumerationFailures;
    };

    bool Fail(std::uint32_t code);
    // The snapshot and interface an interface record refers to, checked like Windows does.
    const FakeInterface* Lookup(DeviceInfoSet set, const SP_DEVICE_INTERFACE_DATA& data);

    std::map<std::uintptr_t, Snapshot> m_sets;
    std::map<std::uintptr_t, FakeInterface> m_keys;
    std::uintptr_t m_nextHandle = 0x100;
    std::uint32_t m_lastError = 0;
};

}  // namespace kelvane::testing

#include "tests/support/FakeDeviceSetup.h"

#include <algorithm>
#include <cstring>

#include "common/WideFormat.h"
#include "common/WideText.h"
#include "platform/DeviceInfoAnswers.h"
#include "platform/ErrorCodes.h"
#include "platform/RegistryValue.h"
#include "tests/support/PrinterClass.h"

namespace kelvane::testing {

std::optional<std::uint32_t> FakeDeviceSetup::HighestEnumeratedIndex() const {
    if (enumeratedIndexes.empty()) {
        return std::nullopt;
    }
    return *std::max_element(enumeratedIndexes.begin(), enumeratedIndexes.end());
}

void FakeDeviceSetup::AddPrinters(std::uint32_t vidPid, int count) {
    for (int i = 0; i < count; ++i) {
        const auto serial = static_cast<std::uint32_t>(interfaces.size() + 1);
        FakeInterface printer;
        printer.instanceId =
            FormatWide(u"USB\\VID_%04X&PID_%04X\\SN%04u", {vidPid >> 16, vidPid & 0xFFFF, serial});
        printer.devicePath = FormatWide(
            u"\\\\?\\usb#vid_%04x&pid_%04x#sn%04u#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}",
            {vidPid >> 16, vidPid & 0xFFFF, serial});
        interfaces.push_back(std::move(printer));
    }
}

bool FakeDeviceSetup::Fail(std::uint32_t code) {
    m_lastError = code;
    return false;
}

DeviceInfoSet FakeDeviceSetup::SetupDiGetClassDevsW(const GUID& classGuid, std::uint32_t flags) {
    ++counts.SetupDiGetClassDevsW;
    classDevsFlags.push_back(flags);
    if (setCannotBeBuilt) {
        m_lastError = kErrorInvalidParameter;
        return DeviceInfoSet::Invalid();
    }
    Snapshot snapshot;
    // Only the printer class is populated; a set of any other class is empty.
    if (classGuid == kPrinterClassGuid && (flags & kDigcfDeviceInterface) != 0) {
        snapshot.interfaces = interfaces;
        snapshot.enumerationFailures = enumerationFailures;
    }
    const std::uintptr_t handle = m_nextHandle++;
    m_sets.emplace(handle, std::move(snapshot));
    return DeviceInfoSet{handle};
}

bool FakeDeviceSetup::SetupDiEnumDeviceInterfaces(DeviceInfoSet set, const GUID& classGuid,
                                                  std::uint32_t memberIndex,
                                                  SP_DEVICE_INTERFACE_DATA& data) {
    ++counts.SetupDiEnumDeviceInterfaces;
    enumeratedIndexes.push_back(memberIndex);
    const auto it = m_sets.find(set.value);
    if (it == m_sets.end()) {
        return Fail(kErrorInvalidHandle);
    }
    const Snapshot& snapshot = it->second;
    if (const std::uint32_t error = CheckInterfaceEnumeration(
            classGuid == kPrinterClassGuid, memberIndex, snapshot.interfaces.size(), data)) {
        return Fail(error);
    }
    if (const auto failure = snapshot.enumerationFailures.find(memberIndex);
        failure != snapshot.enumerationFailures.end()) {
        return Fail(failure->second);
    }
    FillInterfaceRecord(classGuid, memberIndex, snapshot.interfaces[memberIndex].flags, data);
    return true;
}

bool FakeDeviceSetup::SetupDiEnumDeviceInfo(DeviceInfoSet set, std::uint32_t memberIndex,
                                            SP_DEVINFO_DATA& data) {
    ++counts.SetupDiEnumDeviceInfo;
    const auto it = m_sets.find(set.value);
    if (it == m_sets.end()) {
        return Fail(kErrorInvalidHandle);
    }
    if (const std::uint32_t error = AnswerDeviceEnumeration(
            memberIndex, it->second.interfaces.size(), kPrinterClassGuid, data)) {
        return Fail(error);
    }
    return true;
}

bool FakeDeviceSetup::SetupDiGetDeviceInstanceIdW(DeviceInfoSet set, const SP_DEVINFO_DATA& device,
                                                  char16_t* buffer, std::uint32_t capacity,
                                                  std::uint32_t* requiredSize) {
    ++counts.SetupDiGetDeviceInstanceIdW;
    const auto it = m_sets.find(set.value);
    if (it == m_sets.end()) {
        return Fail(kErrorInvalidHandle);
    }
    const auto member = MemberOf(device, it->second.interfaces.size());
    if (!member) {
        return Fail(kErrorInvalidParameter);
    }
    if (const std::uint32_t error = AnswerInstanceId(it->second.interfaces[*member].instanceId,
                                                     buffer, capacity, requiredSize)) {
        return Fail(error);
    }
    return true;
}

const FakeInterface* FakeDeviceSetup::Lookup(DeviceInfoSet set,
                                             const SP_DEVICE_INTERFACE_DATA& data) {
    const auto it = m_sets.find(set.value);
    if (it == m_sets.end()) {
        Fail(kErrorInvalidHandle);
        return nullptr;
    }
    const auto member = MemberOf(data, it->second.interfaces.size());
    if (!member) {
        Fail(kErrorInvalidParameter);
        return nullptr;
    }
    return &it->second.interfaces[*member];
}

bool FakeDeviceSetup::SetupDiGetDeviceInterfaceDetailW(
    DeviceInfoSet set, const SP_DEVICE_INTERFACE_DATA& interfaceData,
    SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail, std::uint32_t detailSize,
    std::uint32_t* requiredSize) {
    ++counts.SetupDiGetDeviceInterfaceDetailW;
    const FakeInterface* found = Lookup(set, interfaceData);
    if (found == nullptr) {
        return false;
    }
    if (const std::uint32_t error = AnswerInterfaceDetail(found->devicePath, !found->pathFetchFails,
                                                          detail, detailSize, requiredSize)) {
        return Fail(error);
    }
    return true;
}

RegistryKey FakeDeviceSetup::SetupDiOpenDeviceInterfaceRegKey(
    DeviceInfoSet set, const SP_DEVICE_INTERFACE_DATA& interfaceData, std::uint32_t samDesired) {
    ++counts.SetupDiOpenDeviceInterfaceRegKey;
    const FakeInterface* found = Lookup(set, interfaceData);
    if (found == nullptr) {
        return RegistryKey::Invalid();
    }
    if (found->registryKeyFails || (samDesired & kKeyQueryValue) == 0) {
        Fail(kErrorFileNotFound);
        return RegistryKey::Invalid();
    }
    const std::uintptr_t handle = m_nextHandle++;
    m_keys.emplace(handle, *found);
    return RegistryKey{handle};
}

std::int32_t FakeDeviceSetup::RegQueryValueExW(RegistryKey key, const char16_t* valueName,
                                               std::uint32_t* type, std::uint8_t* data,
                                               std::uint32_t* dataSize) {
    ++counts.RegQueryValueExW;
    queriedValueNames.emplace_back(valueName != nullptr ? valueName : u"");
    const auto it = m_keys.find(key.value);
    if (it == m_keys.end()) {
        return static_cast<std::int32_t>(kErrorInvalidHandle);
    }
    const std::u16string_view name = valueName != nullptr ? valueName : u"";
    const auto& registry = it->second.registry;
    const auto value = std::find_if(registry.begin(), registry.end(), [&](const auto& entry) {
        return EqualsIgnoreAsciiCase(entry.first, name);
    });
    if (value == registry.end()) {
        return static_cast<std::int32_t>(kErrorFileNotFound);
    }
    std::vector<std::uint8_t> bytes;
    std::uint32_t valueType = kRegDword;
    if (const auto* number = std::get_if<std::uint32_t>(&value->second)) {
        bytes.resize(sizeof(*number));
        std::memcpy(bytes.data(), number, sizeof(*number));
    } else {
        const auto& text = std::get<std::u16string>(value->second);
        valueType = kRegSz;
        bytes.resize((text.size() + 1) * 2, 0);
        std::memcpy(bytes.data(), text.data(), text.size() * 2);
    }
    return AnswerValueQuery(valueType, bytes, type, data, dataSize);
}

std::int32_t FakeDeviceSetup::RegCloseKey(RegistryKey key) {
    ++counts.RegCloseKey;
    return m_keys.erase(key.value) == 1 ? 0 : static_cast<std::int32_t>(kErrorInvalidHandle);
}

bool FakeDeviceSetup::SetupDiDestroyDeviceInfoList(DeviceInfoSet set) {
    ++counts.SetupDiDestroyDeviceInfoList;
    if (m_sets.erase(set.value) != 1) {
        return Fail(kErrorInvalidHandle);
    }
    return true;
}

}  // namespace kelvane::testing

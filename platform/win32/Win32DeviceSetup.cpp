#include "platform/win32/Win32DeviceSetup.h"

#include <windows.h>

#include <setupapi.h>

#include "platform/ErrorCodes.h"
#include "platform/win32/Win32Interop.h"

namespace kelvane {
namespace {

HDEVINFO ToSet(DeviceInfoSet set) {
    return reinterpret_cast<HDEVINFO>(set.value);
}

const ::GUID* ToGuid(const GUID& guid) {
    return reinterpret_cast<const ::GUID*>(&guid);
}

// SetupAPI takes its input records through non-const pointers without writing to them.
PSP_DEVICE_INTERFACE_DATA ToInterfaceData(const SP_DEVICE_INTERFACE_DATA& data) {
    return reinterpret_cast<PSP_DEVICE_INTERFACE_DATA>(
        const_cast<SP_DEVICE_INTERFACE_DATA*>(&data));
}

}  // namespace

template <typename Result>
Result Win32DeviceSetup::Keep(Result result) {
    m_lastError = ::GetLastError();
    return result;
}

DeviceInfoSet Win32DeviceSetup::SetupDiGetClassDevsW(const GUID& classGuid, std::uint32_t flags) {
    return Keep(win32::FromHandle<DeviceInfoSet>(
        ::SetupDiGetClassDevsW(ToGuid(classGuid), nullptr, nullptr, flags)));
}

bool Win32DeviceSetup::SetupDiEnumDeviceInterfaces(DeviceInfoSet set, const GUID& classGuid,
                                                   std::uint32_t memberIndex,
                                                   SP_DEVICE_INTERFACE_DATA& data) {
    return Keep(::SetupDiEnumDeviceInterfaces(ToSet(set), nullptr, ToGuid(classGuid), memberIndex,
                                              reinterpret_cast<PSP_DEVICE_INTERFACE_DATA>(&data)) !=
                FALSE);
}

bool Win32DeviceSetup::SetupDiEnumDeviceInfo(DeviceInfoSet set, std::uint32_t memberIndex,
                                             SP_DEVINFO_DATA& data) {
    return Keep(::SetupDiEnumDeviceInfo(ToSet(set), memberIndex,
                                        reinterpret_cast<PSP_DEVINFO_DATA>(&data)) != FALSE);
}

bool Win32DeviceSetup::SetupDiGetDeviceInstanceIdW(DeviceInfoSet set, const SP_DEVINFO_DATA& device,
                                                   char16_t* buffer, std::uint32_t capacity,
                                                   std::uint32_t* requiredSize) {
    DWORD required = 0;
    const BOOL ok = ::SetupDiGetDeviceInstanceIdW(
        ToSet(set), reinterpret_cast<PSP_DEVINFO_DATA>(const_cast<SP_DEVINFO_DATA*>(&device)),
        win32::Wide(buffer), capacity, requiredSize != nullptr ? &required : nullptr);
    Keep(ok);
    if (requiredSize != nullptr) {
        *requiredSize = required;
    }
    return ok != FALSE;
}

bool Win32DeviceSetup::SetupDiGetDeviceInterfaceDetailW(
    DeviceInfoSet set, const SP_DEVICE_INTERFACE_DATA& interfaceData,
    SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail, std::uint32_t detailSize,
    std::uint32_t* requiredSize) {
    DWORD required = 0;
    const BOOL ok = ::SetupDiGetDeviceInterfaceDetailW(
        ToSet(set), ToInterfaceData(interfaceData),
        reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_W>(detail), detailSize,
        requiredSize != nullptr ? &required : nullptr, nullptr);
    Keep(ok);
    if (requiredSize != nullptr) {
        *requiredSize = required;
    }
    return ok != FALSE;
}

RegistryKey Win32DeviceSetup::SetupDiOpenDeviceInterfaceRegKey(
    DeviceInfoSet set, const SP_DEVICE_INTERFACE_DATA& interfaceData, std::uint32_t samDesired) {
    return Keep(win32::FromHandle<RegistryKey>(::SetupDiOpenDeviceInterfaceRegKey(
        ToSet(set), ToInterfaceData(interfaceData), 0, samDesired)));
}

std::int32_t Win32DeviceSetup::RegQueryValueExW(RegistryKey key, const char16_t* valueName,
                                                std::uint32_t* type, std::uint8_t* data,
                                                std::uint32_t* dataSize) {
    DWORD valueType = 0;
    DWORD size = dataSize != nullptr ? *dataSize : 0;
    const LONG status = ::RegQueryValueExW(win32::ToKey(key), win32::Wide(valueName), nullptr,
                                           type != nullptr ? &valueType : nullptr, data,
                                           dataSize != nullptr ? &size : nullptr);
    if (type != nullptr) {
        *type = valueType;
    }
    if (dataSize != nullptr) {
        *dataSize = size;
    }
    return status;
}

std::int32_t Win32DeviceSetup::RegCloseKey(RegistryKey key) {
    // The key of a failed open is INVALID_HANDLE_VALUE, which the kernel would read as this
    // process's own pseudo-handle: it is never passed on.
    if (!key.HoldsHandle()) {
        return static_cast<std::int32_t>(kErrorInvalidHandle);
    }
    return ::RegCloseKey(win32::ToKey(key));
}

bool Win32DeviceSetup::SetupDiDestroyDeviceInfoList(DeviceInfoSet set) {
    // SetupAPI recognises its own sets, so a set that failed to build is refused, not misused.
    return Keep(::SetupDiDestroyDeviceInfoList(ToSet(set)) != FALSE);
}

}  // namespace kelvane

#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Handles.h"

// Records exchanged with the platform, laid out field for field like the Windows records of the
// same names so that the Win32 provider can pass them straight through.
namespace kelvane {

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];

    friend constexpr bool operator==(const GUID&, const GUID&) = default;
};
static_assert(sizeof(GUID) == 16);

// Device-setup records.
inline constexpr std::uint32_t kDigcfPresent = 0x02;
inline constexpr std::uint32_t kDigcfDeviceInterface = 0x10;
inline constexpr std::uint32_t kSpintActive = 0x1;
inline constexpr std::uint32_t kSpintDefault = 0x2;
inline constexpr std::uint32_t kSpintRemoved = 0x4;
inline constexpr std::uint32_t kKeyQueryValue = 0x1;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegSz = 1;

struct SP_DEVICE_INTERFACE_DATA {
    std::uint32_t cbSize;
    GUID InterfaceClassGuid;
    std::uint32_t Flags;
    std::uintptr_t Reserved;
};

struct SP_DEVINFO_DATA {
    std::uint32_t cbSize;
    GUID ClassGuid;
    std::uint32_t DevInst;
    std::uintptr_t Reserved;
};

// Variable-length record: the path continues past the declared element.
struct SP_DEVICE_INTERFACE_DETAIL_DATA_W {
    std::uint32_t cbSize;
    char16_t DevicePath[1];
};
// The size field holds the size of the fixed part: 6 where the record is packed (32-bit Windows),
// 8 where it is aligned (64-bit).
inline constexpr std::uint32_t kDetailFixedSize = sizeof(void*) == 4 ? 6 : 8;
inline constexpr std::size_t kDetailPathOffset =
    offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath);
static_assert(kDetailPathOffset == 4);

// Device-notification records.
inline constexpr std::uint32_t kDbtDevtypDeviceInterface = 5;
inline constexpr std::uint32_t kDbtDevtypHandle = 6;
inline constexpr std::uint32_t kDeviceNotifyWindowHandle = 0;

struct DEV_BROADCAST_HDR {
    std::uint32_t dbch_size;
    std::uint32_t dbch_devicetype;
    std::uint32_t dbch_reserved;
};

struct DEV_BROADCAST_DEVICEINTERFACE_W {
    std::uint32_t dbcc_size;
    std::uint32_t dbcc_devicetype;
    std::uint32_t dbcc_reserved;
    GUID dbcc_classguid;
    char16_t dbcc_name[1];
};

struct DEV_BROADCAST_HANDLE {
    std::uint32_t dbch_size;
    std::uint32_t dbch_devicetype;
    std::uint32_t dbch_reserved;
    Handle dbch_handle;
    DeviceNotifyHandle dbch_hdevnotify;
    GUID dbch_eventguid;
    std::int32_t dbch_nameoffset;
    std::uint8_t dbch_data[1];
};

// 32 and 44 bytes on 32-bit Windows; the handle fields widen them on 64-bit.
static_assert(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) == 32);
static_assert(sizeof(DEV_BROADCAST_HANDLE) == (sizeof(void*) == 4 ? 44 : 56));
static_assert(offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_classguid) == 12);
static_assert(offsetof(DEV_BROADCAST_HANDLE, dbch_handle) == (sizeof(void*) == 4 ? 12 : 16));

}  // namespace kelvane

namespace kelvane {

// Kernel-object records.
struct OVERLAPPED {
    std::uintptr_t Internal;
    std::uintptr_t InternalHigh;
    std::uint32_t Offset;
    std::uint32_t OffsetHigh;
    Handle hEvent;
};

// Opaque: the program only ever passes a null one.
struct ACL;

struct SECURITY_DESCRIPTOR {
    std::uint8_t Revision;
    std::uint8_t Sbz1;
    std::uint16_t Control;
    void* Owner;
    void* Group;
    ACL* Sacl;
    ACL* Dacl;
};
inline constexpr std::uint32_t kSecurityDescriptorRevision = 1;
inline constexpr std::uint16_t kSeDaclPresent = 0x0004;
inline constexpr std::uint16_t kSeDaclDefaulted = 0x0008;

struct SECURITY_ATTRIBUTES {
    std::uint32_t nLength;
    SECURITY_DESCRIPTOR* lpSecurityDescriptor;
    std::int32_t bInheritHandle;
};
static_assert(sizeof(SECURITY_ATTRIBUTES) == (sizeof(void*) == 4 ? 12 : 24));

inline constexpr std::uint32_t kGenericRead = 0x80000000;
inline constexpr std::uint32_t kGenericWrite = 0x40000000;
inline constexpr std::uint32_t kFileShareRead = 0x1;
inline constexpr std::uint32_t kFileShareWrite = 0x2;
inline constexpr std::uint32_t kOpenExisting = 3;
inline constexpr std::uint32_t kFileAttributeNormal = 0x80;
inline constexpr std::uint32_t kFileFlagSequentialScan = 0x08000000;
inline constexpr std::uint32_t kFileFlagOverlapped = 0x40000000;
inline constexpr std::uint32_t kHandleFlagInherit = 0x1;
inline constexpr std::uint32_t kCpAcp = 0;

}  // namespace kelvane

#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/Records.h"

namespace kelvane {

// How SetupAPI answers from a device-information set it has built, for the providers that keep
// their sets themselves. A set's members are numbered from 0; the records a set hands out carry
// the member's number + 1 in Reserved, so a record of no set of ours (Reserved 0) names nothing.
// Each answer returns 0, or the Windows error code the operation fails with.

// SetupDiEnumDeviceInterfaces: whether member `memberIndex` of `memberCount` interfaces can be
// handed out in `data`, and then the record of it.
std::uint32_t CheckInterfaceEnumeration(bool classMatches, std::uint32_t memberIndex,
                                        std::size_t memberCount,
                                        const SP_DEVICE_INTERFACE_DATA& data);
void FillInterfaceRecord(const GUID& classGuid, std::uint32_t memberIndex, std::uint32_t flags,
                         SP_DEVICE_INTERFACE_DATA& data);

// SetupDiEnumDeviceInfo: member `memberIndex` of `memberCount` devices of `deviceClass`.
std::uint32_t AnswerDeviceEnumeration(std::uint32_t memberIndex, std::size_t memberCount,
                                      const GUID& deviceClass, SP_DEVINFO_DATA& data);

// The member a record of a set of `memberCount` names; nothing when the set did not fill it in.
std::optional<std::size_t> MemberOf(const SP_DEVICE_INTERFACE_DATA& data, std::size_t memberCount);
std::optional<std::size_t> MemberOf(const SP_DEVINFO_DATA& data, std::size_t memberCount);

// SetupDiGetDeviceInstanceIdW with the member's ID: its size with the terminator goes to
// `requiredSize`, the ID only into a buffer that holds it whole (122 otherwise).
std::uint32_t AnswerInstanceId(std::u16string_view instanceId, char16_t* buffer,
                               std::uint32_t capacity, std::uint32_t* requiredSize);

// SetupDiGetDeviceInterfaceDetailW with the member's device path: with no record, the size
// needed; a record whose cbSize is not the fixed part's size is refused (1784); the path runs on
// past the declared element, into the rest of the caller's buffer. A path that cannot be read
// (`pathReadable` false) fails with 2 once a record is given.
std::uint32_t AnswerInterfaceDetail(std::u16string_view devicePath, bool pathReadable,
                                    SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail,
                                    std::uint32_t detailSize, std::uint32_t* requiredSize);

}  // namespace kelvane

#include "platform/DeviceInfoAnswers.h"

#include <algorithm>
#include <cstring>

#include "platform/ErrorCodes.h"

namespace kelvane {

std::uint32_t CheckInterfaceEnumeration(bool classMatches, std::uint32_t memberIndex,
                                        std::size_t memberCount,
                                        const SP_DEVICE_INTERFACE_DATA& data) {
    if (data.cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) {
        return kErrorInvalidUserBuffer;
    }
    if (!classMatches || memberIndex >= memberCount) {
        return kErrorNoMoreItems;
    }
    return kErrorSuccess;
}

void FillInterfaceRecord(const GUID& classGuid, std::uint32_t memberIndex, std::uint32_t flags,
                         SP_DEVICE_INTERFACE_DATA& data) {
    data.InterfaceClassGuid = classGuid;
    data.Flags = flags;
    data.Reserved = std::uintptr_t{memberIndex} + 1;
}

std::uint32_t AnswerDeviceEnumeration(std::uint32_t memberIndex, std::size_t memberCount,
                                      const GUID& deviceClass, SP_DEVINFO_DATA& data) {
    if (data.cbSize != sizeof(SP_DEVINFO_DATA)) {
        return kErrorInvalidUserBuffer;
    }
    if (memberIndex >= memberCount) {
        return kErrorNoMoreItems;
    }
    data.ClassGuid = deviceClass;
    data.DevInst = memberIndex;
    data.Reserved = std::uintptr_t{memberIndex} + 1;
    return kErrorSuccess;
}

std::optional<std::size_t> MemberOf(const SP_DEVICE_INTERFACE_DATA& data, std::size_t memberCount) {
    if (data.Reserved == 0 || data.Reserved > memberCount) {
        return std::nullopt;
    }
    return data.Reserved - 1;
}

std::optional<std::size_t> MemberOf(const SP_DEVINFO_DATA& data, std::size_t memberCount) {
    // DevInst is the caller's to overwrite; a record it no longer agrees with names nothing.
    if (data.Reserved == 0 || data.Reserved > memberCount || data.Reserved - 1 != data.DevInst) {
        return std::nullopt;
    }
    return data.Reserved - 1;
}

std::uint32_t AnswerInstanceId(std::u16string_view instanceId, char16_t* buffer,
                               std::uint32_t capacity, std::uint32_t* requiredSize) {
    const auto needed = static_cast<std::uint32_t>(instanceId.size() + 1);
    if (requiredSize != nullptr) {
        *requiredSize = needed;
    }
    if (buffer == nullptr || capacity < needed) {
        return kErrorInsufficientBuffer;
    }
    std::copy(instanceId.begin(), instanceId.end(), buffer);
    buffer[instanceId.size()] = u'\0';
    return kErrorSuccess;
}

std::uint32_t AnswerInterfaceDetail(std::u16string_view devicePath, bool pathReadable,
                                    SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail,
                                    std::uint32_t detailSize, std::uint32_t* requiredSize) {
    const auto needed =
        static_cast<std::uint32_t>(kDetailPathOffset + (devicePath.size() + 1) * sizeof(char16_t));
    if (detail == nullptr) {
        if (detailSize != 0) {
            return kErrorInvalidUserBuffer;
        }
        if (requiredSize != nullptr) {
            *requiredSize = needed;
        }
        return kErrorInsufficientBuffer;
    }
    if (detail->cbSize != kDetailFixedSize) {
        return kErrorInvalidUserBuffer;
    }
    if (!pathReadable) {
        return kErrorFileNotFound;
    }
    if (detailSize < needed) {
        if (requiredSize != nullptr) {
            *requiredSize = needed;
        }
        return kErrorInsufficientBuffer;
    }
    auto* path = reinterpret_cast<std::uint8_t*>(detail) + kDetailPathOffset;
    std::memcpy(path, devicePath.data(), devicePath.size() * sizeof(char16_t));
    std::memset(path + devicePath.size() * sizeof(char16_t), 0, sizeof(char16_t));
    return kErrorSuccess;
}

}  // namespace kelvane

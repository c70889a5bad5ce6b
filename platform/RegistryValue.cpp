#include "platform/RegistryValue.h"

#include <cstring>

#include "platform/ErrorCodes.h"

namespace kelvane {

std::int32_t AnswerValueQuery(std::uint32_t valueType, std::span<const std::uint8_t> bytes,
                              std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) {
    if (type != nullptr) {
        *type = valueType;
    }
    if (dataSize == nullptr) {
        return data == nullptr ? 0 : static_cast<std::int32_t>(kErrorInvalidParameter);
    }
    const auto needed = static_cast<std::uint32_t>(bytes.size());
    if (data == nullptr) {
        *dataSize = needed;
        return 0;
    }
    if (*dataSize < needed) {
        *dataSize = needed;
        return static_cast<std::int32_t>(kErrorMoreData);
    }
    std::memcpy(data, bytes.data(), needed);
    *dataSize = needed;
    return 0;
}

}  // namespace kelvane

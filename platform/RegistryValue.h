#pragma once

#include <cstdint>
#include <span>

namespace kelvane {

// Answers a RegQueryValueExW for a value of `valueType` held as `bytes`, as Windows does: with
// no buffer it reports the size, into a buffer too small it writes nothing and reports 234
// (ERROR_MORE_DATA) with the size needed.
std::int32_t AnswerValueQuery(std::uint32_t valueType, std::span<const std::uint8_t> bytes,
                              std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize);

}  // namespace kelvane

#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace kelvane::testing {

// The bytes of res/LanguageTable.ini as they stand in the source tree.
std::vector<std::uint8_t> ReadLanguageTableFile();

// A language table as the program embeds one: the byte-order mark FF FE, then `text` in UTF-16LE.
std::vector<std::uint8_t> TableBytes(std::u16string_view text);

}  // namespace kelvane::testing

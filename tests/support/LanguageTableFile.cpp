#include "tests/support/LanguageTableFile.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace kelvane::testing {

std::vector<std::uint8_t> ReadLanguageTableFile() {
    std::ifstream file(KELVANE_SOURCE_DIR "/res/LanguageTable.ini", std::ios::binary);
    if (!file) {
        throw std::runtime_error("cannot open res/LanguageTable.ini");
    }
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> TableBytes(std::u16string_view text) {
    std::vector<std::uint8_t> bytes{0xFF, 0xFE};
    for (const char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return bytes;
}

}  // namespace kelvane::testing

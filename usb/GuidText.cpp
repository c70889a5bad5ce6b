#include "usb/GuidText.h"

#include <string_view>

#include "common/WideText.h"

namespace kelvane {

void ParseGuidString(GUID& guid, const char16_t* text) {
    const std::u16string_view all = text != nullptr ? std::u16string_view(text) : u"";
    // Skipping by position may step past the end of a short text; what lies beyond reads as empty.
    const auto from = [&all](std::size_t pos) {
        return pos < all.size() ? all.substr(pos) : std::u16string_view{};
    };

    std::size_t pos = 1;
    const HexReading data1 = ReadHexNumber(from(pos));
    pos += data1.consumed + 1;
    const HexReading data2 = ReadHexNumber(from(pos));
    pos += data2.consumed + 1;
    const HexReading data3 = ReadHexNumber(from(pos));
    pos += data3.consumed + 1;
    const HexReading group4 = ReadHexNumber(from(pos));
    pos += group4.consumed + 1;

    GUID parsed{};
    parsed.Data1 = data1.value;
    parsed.Data2 = static_cast<std::uint16_t>(data2.value);
    parsed.Data3 = static_cast<std::uint16_t>(data3.value);
    parsed.Data4[0] = static_cast<std::uint8_t>(group4.value >> 8);
    parsed.Data4[1] = static_cast<std::uint8_t>(group4.value);
    // The last group is read four digits at a time, each chunk two bytes, always moving on by
    // four characters whatever the chunk held.
    for (std::size_t byte = 2; byte < 8; byte += 2, pos += 4) {
        const HexReading chunk = ReadHexNumber(from(pos).substr(0, 4));
        parsed.Data4[byte] = static_cast<std::uint8_t>(chunk.value >> 8);
        parsed.Data4[byte + 1] = static_cast<std::uint8_t>(chunk.value);
    }
    guid = parsed;
}

}  // namespace kelvane

#include "common/WideText.h"

#include <algorithm>

namespace kelvane {
namespace {

bool IsCSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

int HexDigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'a' && c <= u'f') {
        return c - u'a' + 10;
    }
    if (c >= u'A' && c <= u'F') {
        return c - u'A' + 10;
    }
    return -1;
}

}  // namespace

std::size_t BoundedLength(const char16_t* text, std::size_t capacity) {
    if (text == nullptr) {
        return 0;
    }
    const char16_t* end = std::find(text, text + capacity, u'\0');
    return static_cast<std::size_t>(end - text);
}

bool EqualsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char16_t x, char16_t y) { return ToLowerAscii(x) == ToLowerAscii(y); });
}

bool CopyIfFits(char16_t* dest, std::size_t capacity, std::u16string_view source) {
    if (source.size() >= capacity) {
        return false;
    }
    std::copy(source.begin(), source.end(), dest);
    dest[source.size()] = u'\0';
    return true;
}

HexReading ReadHexNumber(std::u16string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && IsCSpace(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        negative = text[pos] == u'-';
        ++pos;
    }
    // "0x" is a prefix only when a digit follows it; otherwise the "0" alone is the number.
    if (pos + 2 < text.size() && text[pos] == u'0' &&
        (text[pos + 1] == u'x' || text[pos + 1] == u'X') && HexDigitValue(text[pos + 2]) >= 0) {
        pos += 2;
    }
    const std::size_t firstDigit = pos;
    std::uint64_t value = 0;
    bool overflow = false;
    for (; pos < text.size(); ++pos) {
        const int digit = HexDigitValue(text[pos]);
        if (digit < 0) {
            break;
        }
        value = value * 16 + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFull) {
            overflow = true;
            value = 0xFFFFFFFFull;
        }
    }
    if (pos == firstDigit) {
        return {};
    }
    auto result = static_cast<std::uint32_t>(value);
    if (negative && !overflow) {
        result = 0u - result;
    }
    return {result, pos};
}

}  // namespace kelvane

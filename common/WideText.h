#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kelvane {

// Length of a terminated wide text held in a buffer of `capacity` characters; a buffer without
// a terminator counts as full rather than being read past its end.
std::size_t BoundedLength(const char16_t* text, std::size_t capacity);

// The terminated text in a fixed buffer, never reaching past the buffer.
inline std::u16string_view BufferText(const char16_t* buffer, std::size_t capacity) {
    return {buffer, BoundedLength(buffer, capacity)};
}

// Only A to Z are folded: the Windows functions this program relies on fold no other letter in
// the "C" locale, and device paths and instance IDs are compared that way.
constexpr char16_t ToLowerAscii(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool EqualsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b);

// Copies `source` with its terminator into `dest` when it fits; otherwise writes nothing and
// returns false. Text cut to fit would name another path, so it is never produced.
bool CopyIfFits(char16_t* dest, std::size_t capacity, std::u16string_view source);

// Reads an unsigned hexadecimal number as the 32-bit C library's wcstoul(text, &end, 16) does:
// leading white space, an optional sign and an optional 0x prefix, then digits up to the first
// other character. A value beyond 32 bits reads as 0xFFFFFFFF; a minus sign negates modulo 2^32.
// `consumed` is where the reading ended, or 0 when no digit was found (wcstoul then reports the
// start of the text as its end).
struct HexReading {
    std::uint32_t value = 0;
    std::size_t consumed = 0;
};
HexReading ReadHexNumber(std::u16string_view text);

}  // namespace kelvane

#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace kelvane {

// One value of a printf-style argument list. Integers keep their bits; the conversion in the
// format decides how they are read, as the C library does: "%d" reads the low 32 bits as signed,
// "%X" as unsigned.
class FormatArg {
public:
    template <std::integral T>
    constexpr FormatArg(T value)  // NOLINT(google-explicit-constructor)
        : m_bits(static_cast<std::uint64_t>(value)) {}
    constexpr FormatArg(std::u16string_view text)  // NOLINT(google-explicit-constructor)
        : m_text(text), m_isText(true) {}
    constexpr FormatArg(const char16_t* text)  // NOLINT(google-explicit-constructor)
        : m_text(text ? std::u16string_view(text) : std::u16string_view(u"(null)")),
          m_isText(true) {}
    FormatArg(const std::u16string& text)  // NOLINT(google-explicit-constructor)
        : m_text(text), m_isText(true) {}

    constexpr std::uint64_t Bits() const { return m_bits; }
    constexpr std::u16string_view Text() const { return m_text; }
    constexpr bool IsText() const { return m_isText; }

private:
    std::uint64_t m_bits = 0;
    std::u16string_view m_text;
    bool m_isText = false;
};

// Formats UTF-16 text by the wide printf rules of the C library, for the conversions this
// program uses: %d %i %u %x %X %c %s and %%, with the flags - 0 + space #, a width and a
// precision. A missing or mismatched value formats as 0 or an empty text; it never reads past
// the arguments given.
std::u16string FormatWide(std::u16string_view format, std::span<const FormatArg> args);

inline std::u16string FormatWide(std::u16string_view format,
                                 std::initializer_list<FormatArg> args) {
    return FormatWide(format, std::span<const FormatArg>(args.begin(), args.size()));
}

}  // namespace kelvane

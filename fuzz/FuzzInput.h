#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kelvane::fuzz {

// Reads fuzzer bytes as pieces of UTF-16 text, two bytes a character.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    // The next text of at most `maxChars` characters, its length taken from the input.
    std::u16string Text(std::size_t maxChars) {
        const std::size_t wanted = m_pos < m_size ? m_data[m_pos++] % (maxChars + 1) : 0;
        return Chars(wanted);
    }
    // Everything that is left, as text.
    std::u16string Rest() { return Chars((m_size - m_pos) / 2); }

private:
    std::u16string Chars(std::size_t count) {
        std::u16string text;
        while (text.size() < count && m_pos + 1 < m_size) {
            const auto c = static_cast<char16_t>(m_data[m_pos] | (m_data[m_pos + 1] << 8));
            // A terminator would only end the text early; keep the characters meaningful.
            text.push_back(c == u'\0' ? u'0' : c);
            m_pos += 2;
        }
        return text;
    }

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

}  // namespace kelvane::fuzz

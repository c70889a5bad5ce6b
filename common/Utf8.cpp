#include "common/Utf8.h"

namespace kelvane {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

void AppendUtf8(std::string& out, char32_t c) {
    const auto byte = [](char32_t value) {
        return static_cast<char>(static_cast<unsigned char>(value));
    };
    if (c < 0x80) {
        out.push_back(byte(c));
    } else if (c < 0x800) {
        out.push_back(byte(0xC0 | (c >> 6)));
        out.push_back(byte(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(byte(0xE0 | (c >> 12)));
        out.push_back(byte(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(byte(0x80 | (c & 0x3F)));
    } else {
        out.push_back(byte(0xF0 | (c >> 18)));
        out.push_back(byte(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(byte(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(byte(0x80 | (c & 0x3F)));
    }
}

void AppendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    }
}

}  // namespace

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (char32_t{text[i + 1]} - 0xDC00);
            ++i;
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            c = kReplacement;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t c = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            length = 1;
            c = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            c = lead & 0x1F;
            minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            c = lead & 0x0F;
            minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            c = lead & 0x07;
            minimum = 0x10000;
        }
        bool valid = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        if (valid && (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) {
            valid = false;
        }
        if (!valid) {
            AppendUtf16(out, kReplacement);
            ++i;
            // Skip the continuation bytes that belong to the broken sequence.
            while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) {
                ++i;
            }
            continue;
        }
        AppendUtf16(out, c);
        i += length;
    }
    return out;
}

}  // namespace kelvane

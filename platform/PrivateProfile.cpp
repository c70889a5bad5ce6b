#include "platform/PrivateProfile.h"

#include "common/Utf8.h"
#include "common/WideText.h"

namespace kelvane {
namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Calls `visit` with each line, without its end; stops when `visit` returns false.
template <typename Visit>
void ForEachLine(std::u16string_view text, Visit visit) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of(u"\r\n", start);
        if (end == std::u16string_view::npos) {
            end = text.size();
        }
        if (!visit(text.substr(start, end - start))) {
            return;
        }
        // CR LF is one line end; a lone CR or LF is one too.
        start = end + 1;
        if (end < text.size() && text[end] == u'\r' && start < text.size() &&
            text[start] == u'\n') {
            ++start;
        }
    }
}

std::u16string_view Unquote(std::u16string_view value) {
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace

bool FindProfileValue(std::u16string_view text, std::u16string_view section,
                      std::u16string_view key, std::u16string& value) {
    section = Trim(section);
    key = Trim(key);
    enum class State { Searching, InSection, Done } state = State::Searching;
    bool found = false;
    ForEachLine(text, [&](std::u16string_view rawLine) {
        const std::u16string_view line = Trim(rawLine);
        if (!line.empty() && line.front() == u'[') {
            if (state == State::InSection) {
                // Only the first section of that name is read.
                state = State::Done;
                return false;
            }
            std::u16string_view name = line.substr(1);
            const std::size_t close = name.find(u']');
            if (close != std::u16string_view::npos) {
                name = name.substr(0, close);
            }
            if (EqualsIgnoreAsciiCase(Trim(name), section)) {
                state = State::InSection;
            }
            return true;
        }
        if (state != State::InSection || line.empty()) {
            return true;
        }
        const std::size_t equals = line.find(u'=');
        const std::u16string_view name =
            Trim(equals == std::u16string_view::npos ? line : line.substr(0, equals));
        if (!EqualsIgnoreAsciiCase(name, key)) {
            return true;
        }
        value = equals == std::u16string_view::npos
                    ? std::u16string()
                    : std::u16string(Unquote(Trim(line.substr(equals + 1))));
        found = true;
        return false;
    });
    return found;
}

std::u16string DecodeProfileText(std::string_view bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        std::u16string text;
        text.reserve((bytes.size() - 2) / 2);
        // An odd trailing byte is no whole character and is dropped.
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                 (static_cast<unsigned char>(bytes[i + 1]) << 8)));
        }
        return text;
    }
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    return Utf8ToUtf16(bytes);
}

}  // namespace kelvane

#pragma once

#include <string>
#include <string_view>

namespace kelvane {

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// UTF-8 to UTF-16; every malformed or overlong sequence becomes one U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace kelvane

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvane {

// The value of `key` in `section` of INI text, read by the rules of the Windows private-profile
// reader: section and key names match ignoring the case of A to Z; blanks and tabs around names,
// around "=" and at line ends do not count; a value in matching double or single quotes loses
// them; there are no inline comments; the first matching section and the first matching key
// win; a line without "=" is a key with no value; CR, LF and CRLF all end lines.
// Returns false when the section or the key is missing.
bool FindProfileValue(std::u16string_view text, std::u16string_view section,
                      std::u16string_view key, std::u16string& value);

// INI file contents as text: UTF-16LE after the BOM FF FE, otherwise UTF-8 (a UTF-8 BOM is
// skipped; malformed bytes become U+FFFD).
std::u16string DecodeProfileText(std::string_view bytes);

}  // namespace kelvane

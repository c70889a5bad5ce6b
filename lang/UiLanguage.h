#pragma once

#include <cstdint>
#include <span>

#include "platform/SystemQueries.h"

namespace kelvane {

// Language indexes 1..15, one per supported interface language; 1 (English) is the default.
inline constexpr std::uint16_t kLanguageEnglish = 1;

// The index of a Windows language identifier. Only the primary language (the low 10 bits)
// counts, except for Chinese, where sub-language 1 (Traditional) gives 2 and 2 (Simplified) gives
// 3 and every other Chinese gives English.
std::uint16_t LanguageIndexFromId(std::uint16_t languageId);

// The three-letter code of an index, the section name of the language table: "eng", "cht", ...
// An index outside 2..15 gives "eng".
const char16_t* LanguageCodeFromIndex(std::uint16_t index);

// The index of the user's interface language. Systems of version code 4 and up are asked for
// the interface language through their kernel library; older ones, or a system where that
// query cannot be found, give the language of the user's locale. Nothing is cached.
std::uint16_t GetUiLanguageIndex(SystemQueries& system);

// Appends the code of GetUiLanguageIndex to the terminated text in `buffer`. A code that does not
// fit whole is not appended, since a shortened code would name another section.
void AppendLanguageCode(SystemQueries& system, std::span<char16_t> buffer);

}  // namespace kelvane

#pragma once

#include <cstddef>
#include <cstdint>

namespace kelvane {

// res/LanguageTable.ini, byte for byte, compiled in by the build (EmbedFile.cmake).
extern const std::uint8_t kEmbeddedLanguageTable[];
extern const std::size_t kEmbeddedLanguageTableSize;

}  // namespace kelvane

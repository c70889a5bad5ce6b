#pragma once

#include <span>

#include "platform/KernelObjects.h"

namespace kelvane {

// The size in bytes, terminator included, of `source` in the system's narrow code page (the
// ANSI code page on Windows, UTF-8 on Linux); 0 when it cannot be converted.
int NarrowSize(KernelObjects& kernel, const char16_t* source);

// Converts the terminated text `source` into `dest`. Returns `dest`, or null when the text cannot
// be converted or would not fit with its terminator; then nothing is written.
char* ToNarrow(KernelObjects& kernel, std::span<char> dest, const char16_t* source);

}  // namespace kelvane

#pragma once

#include <cstdint>

#include "platform/SystemQueries.h"

namespace kelvane {

// The Windows version code, 0..15: the program's only notion of which Windows it runs on.
// 5 is Windows 2000, 6..9 the XP and Server 2003 family, 14 and 15 Windows 8 and later.
inline constexpr std::uint16_t kWinVer2000 = 5;

// Folds a reported version into its code. `is64Bit` is looked at only for NT 5 and later.
std::uint16_t ClassifyWindowsVersion(std::uint32_t platformId, std::uint32_t major,
                                     std::uint32_t minor, std::uint16_t suiteMask, bool is64Bit);

// 1 when the native processor architecture is x64, else 0. Nothing is cached.
std::int32_t Is64BitWindows(SystemQueries& system);

// Asks the system for its version and classifies it. Nothing is cached.
std::uint16_t GetWindowsVersionCode(SystemQueries& system);

}  // namespace kelvane

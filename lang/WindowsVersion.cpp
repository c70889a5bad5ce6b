#include "lang/WindowsVersion.h"

#include <cstring>

namespace kelvane {
namespace {

std::uint16_t ClassifyNt(std::uint32_t major, std::uint32_t minor, std::uint16_t suiteMask,
                         bool is64Bit) {
    if (major > 6 || (major == 6 && minor >= 2)) {
        return is64Bit ? 15 : 14;
    }
    if (major == 6) {
        if (minor == 0) {
            return is64Bit ? 11 : 10;
        }
        return is64Bit ? 13 : 12;
    }
    if (major == 5) {
        if (is64Bit) {
            return 9;
        }
        if (minor >= 2) {
            return 8;
        }
        if (minor == 1) {
            return (suiteMask & kVerSuiteEmbeddedNt) != 0 ? 7 : 6;
        }
        return kWinVer2000;
    }
    return major == 4 ? 2 : 0;
}

}  // namespace

std::uint16_t ClassifyWindowsVersion(std::uint32_t platformId, std::uint32_t major,
                                     std::uint32_t minor, std::uint16_t suiteMask, bool is64Bit) {
    if (platformId == kVerPlatformWin32Windows) {
        // The 9x family is told apart by its minor version alone: 95 is 4.0, 98 4.10, Me 4.90.
        if (minor == 90) {
            return 4;
        }
        return minor < 10 ? 1 : 3;
    }
    if (platformId == kVerPlatformWin32Nt) {
        return ClassifyNt(major, minor, suiteMask, is64Bit);
    }
    return 0;
}

std::int32_t Is64BitWindows(SystemQueries& system) {
    // Systems before Windows XP have no native query and are never 64-bit.
    if (!system.HasGetNativeSystemInfo()) {
        return 0;
    }
    SYSTEM_INFO info;
    std::memset(static_cast<void*>(&info), 0, sizeof(info));
    system.GetNativeSystemInfo(info);
    return info.wProcessorArchitecture == kProcessorArchitectureAmd64 ? 1 : 0;
}

std::uint16_t GetWindowsVersionCode(SystemQueries& system) {
    OSVERSIONINFOEXW info;
    std::memset(static_cast<void*>(&info), 0, sizeof(info));
    info.dwOSVersionInfoSize = kVersionInfoExSize;
    if (!system.GetVersionExW(info)) {
        // Systems before NT 4 SP6 know only the plain record; what it leaves unfilled stays zero.
        info.dwOSVersionInfoSize = kVersionInfoSize;
        system.GetVersionExW(info);
    }
    // The 64-bit question is asked once, and only where the answer matters.
    const bool is64Bit = info.dwPlatformId == kVerPlatformWin32Nt && info.dwMajorVersion >= 5 &&
                         Is64BitWindows(system) == 1;
    return ClassifyWindowsVersion(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion,
                                  info.wSuiteMask, is64Bit);
}

}  // namespace kelvane

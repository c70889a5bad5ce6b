#pragma once

#include <cstdint>

#include "platform/Handles.h"

namespace kelvane {

inline constexpr std::uint32_t kVerPlatformWin32s = 0;
inline constexpr std::uint32_t kVerPlatformWin32Windows = 1;
inline constexpr std::uint32_t kVerPlatformWin32Nt = 2;
inline constexpr std::uint16_t kVerSuiteEmbeddedNt = 0x0040;
inline constexpr std::uint16_t kProcessorArchitectureAmd64 = 9;

// The version record; systems that know only the plain record (276 bytes) fill nothing past
// szCSDVersion and refuse the extended size (284 bytes).
struct OSVERSIONINFOEXW {
    std::uint32_t dwOSVersionInfoSize;
    std::uint32_t dwMajorVersion;
    std::uint32_t dwMinorVersion;
    std::uint32_t dwBuildNumber;
    std::uint32_t dwPlatformId;
    char16_t szCSDVersion[128];
    std::uint16_t wServicePackMajor;
    std::uint16_t wServicePackMinor;
    std::uint16_t wSuiteMask;
    std::uint8_t wProductType;
    std::uint8_t wReserved;
};
inline constexpr std::uint32_t kVersionInfoExSize = 284;
inline constexpr std::uint32_t kVersionInfoSize = 276;
static_assert(sizeof(OSVERSIONINFOEXW) == kVersionInfoExSize);

struct SYSTEM_INFO {
    std::uint16_t wProcessorArchitecture;
    std::uint16_t wReserved;
    std::uint32_t dwPageSize;
    void* lpMinimumApplicationAddress;
    void* lpMaximumApplicationAddress;
    std::uintptr_t dwActiveProcessorMask;
    std::uint32_t dwNumberOfProcessors;
    std::uint32_t dwProcessorType;
    std::uint32_t dwAllocationGranularity;
    std::uint16_t wProcessorLevel;
    std::uint16_t wProcessorRevision;
};

// Questions about the running system.
class SystemQueries {
public:
    virtual ~SystemQueries() = default;

    // Fills the record up to the size named in its size field; false when that size is refused.
    virtual bool GetVersionExW(OSVERSIONINFOEXW& info) = 0;

    // Whether "GetNativeSystemInfo" can be found in the loaded "kernel32.dll" (Windows XP on).
    virtual bool HasGetNativeSystemInfo() = 0;
    virtual void GetNativeSystemInfo(SYSTEM_INFO& info) = 0;

    // Copies the system directory's path with its terminator into `buffer` and returns its length.
    // When `size` characters are too few, copies nothing and returns the size needed, terminator
    // included. 0 on failure.
    virtual std::uint32_t GetSystemDirectoryW(char16_t* buffer, std::uint32_t size) = 0;

    // Loads a library by its path; a null module when it cannot be loaded.
    virtual ModuleHandle LoadLibraryW(const char16_t* fileName) = 0;
    // The function a loaded library exports under `procName`; null when there is none.
    virtual ProcAddress GetProcAddress(ModuleHandle module, const char* procName) = 0;
    virtual bool FreeLibrary(ModuleHandle module) = 0;

    // Calls a function that GetProcAddress found under the name "GetUserDefaultUILanguage": the
    // language identifier of the user's interface language. Its library must still be loaded.
    virtual std::uint16_t GetUserDefaultUILanguage(ProcAddress function) = 0;

    // The language identifier of the user's locale.
    virtual std::uint16_t GetUserDefaultLangID() = 0;
};

}  // namespace kelvane

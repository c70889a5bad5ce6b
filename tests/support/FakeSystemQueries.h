#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/SystemQueries.h"

namespace kelvane::testing {

// A scripted system: by default 64-bit Windows 10 as the version query reports it (6.2).
class FakeSystemQueries final : public SystemQueries {
public:
    std::uint32_t platformId = kVerPlatformWin32Nt;
    std::uint32_t major = 6;
    std::uint32_t minor = 2;
    std::uint16_t suiteMask = 0x0100;
    // A system that knows only the plain record refuses the extended size.
    bool knowsExtendedRecord = true;
    bool versionQueryFails = false;
    bool hasNativeSystemInfo = true;
    std::uint16_t architecture = kProcessorArchitectureAmd64;

    // The size field of every version query, in order, and how often the native query ran.
    std::vector<std::uint32_t> versionQuerySizes;
    int nativeSystemInfoCalls = 0;

    // The language queries. The kernel library loads only by its full path in the system
    // directory, as <systemDirectory>\KERNEL32.DLL with any case of letters.
    std::u16string systemDirectory = u"C:\\WINDOWS\\system32";
    bool systemDirectoryFails = false;
    bool kernelLibraryLoads = true;
    bool kernelHasUiLanguageQuery = true;
    std::uint16_t uiLanguage = 0x0409;
    std::uint16_t localeLanguage = 0x0409;

    // Every language operation in order, with its argument where it has one:
    // "LoadLibraryW <path>", "GetProcAddress <name>", "GetUserDefaultUILanguage", ...
    std::vector<std::u16string> languageCalls;
    // Libraries loaded and not yet freed.
    int loadedLibraries = 0;

    bool GetVersionExW(OSVERSIONINFOEXW& info) override;
    bool HasGetNativeSystemInfo() override { return hasNativeSystemInfo; }
    void GetNativeSystemInfo(SYSTEM_INFO& info) override;
    std::uint32_t GetSystemDirectoryW(char16_t* buffer, std::uint32_t size) override;
    ModuleHandle LoadLibraryW(const char16_t* fileName) override;
    ProcAddress GetProcAddress(ModuleHandle module, const char* procName) override;
    bool FreeLibrary(ModuleHandle module) override;
    std::uint16_t GetUserDefaultUILanguage(ProcAddress function) override;
    std::uint16_t GetUserDefaultLangID() override;

    static constexpr ModuleHandle kKernelModule{0x7C800000};
    static constexpr ProcAddress kUiLanguageProc{0x7C810000};
};

}  // namespace kelvane::testing

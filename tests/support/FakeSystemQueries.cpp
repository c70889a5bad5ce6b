#include "tests/support/FakeSystemQueries.h"

#include <algorithm>
#include <string_view>

#include "common/WideText.h"

namespace kelvane::testing {

bool FakeSystemQueries::GetVersionExW(OSVERSIONINFOEXW& info) {
    versionQuerySizes.push_back(info.dwOSVersionInfoSize);
    const bool extended = info.dwOSVersionInfoSize == kVersionInfoExSize;
    if (versionQueryFails || (extended && !knowsExtendedRecord) ||
        (!extended && info.dwOSVersionInfoSize != kVersionInfoSize)) {
        return false;
    }
    info.dwMajorVersion = major;
    info.dwMinorVersion = minor;
    info.dwBuildNumber = 9200;
    info.dwPlatformId = platformId;
    if (extended) {
        info.wSuiteMask = suiteMask;
    }
    return true;
}

void FakeSystemQueries::GetNativeSystemInfo(SYSTEM_INFO& info) {
    ++nativeSystemInfoCalls;
    info.wProcessorArchitecture = architecture;
}

std::uint32_t FakeSystemQueries::GetSystemDirectoryW(char16_t* buffer, std::uint32_t size) {
    languageCalls.emplace_back(u"GetSystemDirectoryW");
    if (systemDirectoryFails) {
        return 0;
    }
    const auto length = static_cast<std::uint32_t>(systemDirectory.size());
    if (buffer == nullptr || size <= length) {
        return length + 1;
    }
    std::copy(systemDirectory.begin(), systemDirectory.end(), buffer);
    buffer[length] = u'\0';
    return length;
}

ModuleHandle FakeSystemQueries::LoadLibraryW(const char16_t* fileName) {
    const std::u16string_view path = fileName != nullptr ? fileName : u"";
    languageCalls.push_back(u"LoadLibraryW " + std::u16string(path));
    if (!kernelLibraryLoads || !EqualsIgnoreAsciiCase(path, systemDirectory + u"\\kernel32.dll")) {
        return ModuleHandle::Null();
    }
    ++loadedLibraries;
    return kKernelModule;
}

ProcAddress FakeSystemQueries::GetProcAddress(ModuleHandle module, const char* procName) {
    const std::string_view name = procName != nullptr ? procName : "";
    languageCalls.push_back(u"GetProcAddress " + std::u16string(name.begin(), name.end()));
    if (module != kKernelModule || loadedLibraries == 0 || !kernelHasUiLanguageQuery ||
        name != "GetUserDefaultUILanguage") {
        return ProcAddress::Null();
    }
    return kUiLanguageProc;
}

bool FakeSystemQueries::FreeLibrary(ModuleHandle module) {
    languageCalls.emplace_back(u"FreeLibrary");
    if (module != kKernelModule || loadedLibraries == 0) {
        return false;
    }
    --loadedLibraries;
    return true;
}

std::uint16_t FakeSystemQueries::GetUserDefaultUILanguage(ProcAddress function) {
    languageCalls.emplace_back(u"GetUserDefaultUILanguage");
    // A function of a library that is no longer loaded cannot be called; answer with nonsense
    // that no test expects.
    return function == kUiLanguageProc && loadedLibraries > 0 ? uiLanguage : 0xDEAD;
}

std::uint16_t FakeSystemQueries::GetUserDefaultLangID() {
    languageCalls.emplace_back(u"GetUserDefaultLangID");
    return localeLanguage;
}

}  // namespace kelvane::testing

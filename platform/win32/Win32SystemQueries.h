#pragma once

#include "platform/SystemQueries.h"

namespace kelvane {

// The version, processor, library and language queries of kernel32. The native query is looked up at run time: a
// direct import of it would keep the program from loading on systems that lack it.
class Win32SystemQueries final : public SystemQueries {
public:
    bool GetVersionExW(OSVERSIONINFOEXW& info) override;
    bool HasGetNativeSystemInfo() override;
    void GetNativeSystemInfo(SYSTEM_INFO& info) override;
    std::uint32_t GetSystemDirectoryW(char16_t* buffer, std::uint32_t size) override;
    ModuleHandle LoadLibraryW(const char16_t* fileName) override;
    ProcAddress GetProcAddress(ModuleHandle module, const char* procName) override;
    bool FreeLibrary(ModuleHandle module) override;
    std::uint16_t GetUserDefaultUILanguage(ProcAddress function) override;
    std::uint16_t GetUserDefaultLangID() override;
};

}  // namespace kelvane

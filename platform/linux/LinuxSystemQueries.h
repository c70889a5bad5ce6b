#pragma once

#include <string_view>

#include "platform/SystemQueries.h"

namespace kelvane {

// The system queries on Linux. The host reports itself as the newest Windows family the program
// knows (6.2, version code 15 on x86_64 and 14 elsewhere). There is no system library: the
// provider stands for the kernel library itself, which loads by the path
// "<system directory>\KERNEL32.DLL" and answers its interface-language query from the environment.
class LinuxSystemQueries final : public SystemQueries {
public:
    static constexpr ModuleHandle kKernelModule{0x4B45524E};
    static constexpr ProcAddress kUiLanguageProc{0x55494C47};
    static constexpr std::u16string_view kSystemDirectory = u"/usr/lib";

    bool GetVersionExW(OSVERSIONINFOEXW& info) override;
    bool HasGetNativeSystemInfo() override { return true; }
    void GetNativeSystemInfo(SYSTEM_INFO& info) override;
    std::uint32_t GetSystemDirectoryW(char16_t* buffer, std::uint32_t size) override;
    ModuleHandle LoadLibraryW(const char16_t* fileName) override;
    ProcAddress GetProcAddress(ModuleHandle module, const char* procName) override;
    bool FreeLibrary(ModuleHandle module) override;
    std::uint16_t GetUserDefaultUILanguage(ProcAddress function) override;
    std::uint16_t GetUserDefaultLangID() override;

private:
    int m_kernelLoads = 0;
};

}  // namespace kelvane

#include "platform/linux/LinuxSystemQueries.h"

#include <unistd.h>

#include <algorithm>
#include <string_view>

#include "common/WideText.h"
#include "platform/linux/LinuxUiLanguage.h"

namespace kelvane {
namespace {

constexpr std::u16string_view kKernelName = u"KERNEL32.DLL";

std::uint16_t NativeArchitecture() {
#if defined(__x86_64__)
    return kProcessorArchitectureAmd64;
#elif defined(__aarch64__)
    return 12;  // ARM64
#elif defined(__i386__)
    return 0;  // Intel x86
#else
    return 0xFFFF;  // unknown
#endif
}

std::uint32_t SysconfOr(int name, std::uint32_t fallback) {
    const long value = ::sysconf(name);
    return value > 0 ? static_cast<std::uint32_t>(value) : fallback;
}

}  // namespace

bool LinuxSystemQueries::GetVersionExW(OSVERSIONINFOEXW& info) {
    const std::uint32_t size = info.dwOSVersionInfoSize;
    if (size != kVersionInfoExSize && size != kVersionInfoSize) {
        return false;
    }
    info.dwMajorVersion = 6;
    info.dwMinorVersion = 2;
    info.dwBuildNumber = 9200;
    info.dwPlatformId = kVerPlatformWin32Nt;
    std::fill(std::begin(info.szCSDVersion), std::end(info.szCSDVersion), u'\0');
    if (size == kVersionInfoExSize) {
        info.wServicePackMajor = 0;
        info.wServicePackMinor = 0;
        info.wSuiteMask = 0;
        info.wProductType = 1;  // a workstation
    }
    return true;
}

void LinuxSystemQueries::GetNativeSystemInfo(SYSTEM_INFO& info) {
    info.wProcessorArchitecture = NativeArchitecture();
    info.dwPageSize = SysconfOr(_SC_PAGESIZE, 4096);
    info.dwNumberOfProcessors = SysconfOr(_SC_NPROCESSORS_ONLN, 1);
    info.dwAllocationGranularity = info.dwPageSize;
}

std::uint32_t LinuxSystemQueries::GetSystemDirectoryW(char16_t* buffer, std::uint32_t size) {
    const auto length = static_cast<std::uint32_t>(kSystemDirectory.size());
    if (buffer == nullptr || !CopyIfFits(buffer, size, kSystemDirectory)) {
        return length + 1;
    }
    return length;
}

ModuleHandle LinuxSystemQueries::LoadLibraryW(const char16_t* fileName) {
    if (fileName == nullptr) {
        return ModuleHandle::Null();
    }
    const std::u16string_view path(fileName);
    const std::size_t slash = path.find_last_of(u"\\/");
    if (slash == std::u16string_view::npos ||
        !EqualsIgnoreAsciiCase(path.substr(slash + 1), kKernelName) ||
        !EqualsIgnoreAsciiCase(path.substr(0, slash), kSystemDirectory)) {
        return ModuleHandle::Null();
    }
    ++m_kernelLoads;
    return kKernelModule;
}

ProcAddress LinuxSystemQueries::GetProcAddress(ModuleHandle module, const char* procName) {
    if (module != kKernelModule || m_kernelLoads == 0 || procName == nullptr ||
        std::string_view(procName) != "GetUserDefaultUILanguage") {
        return ProcAddress::Null();
    }
    return kUiLanguageProc;
}

bool LinuxSystemQueries::FreeLibrary(ModuleHandle module) {
    if (module != kKernelModule || m_kernelLoads == 0) {
        return false;
    }
    --m_kernelLoads;
    return true;
}

std::uint16_t LinuxSystemQueries::GetUserDefaultUILanguage(ProcAddress function) {
    // Anything but the query this provider handed out has nothing to answer with.
    return function == kUiLanguageProc ? UiLanguageIdFromEnvironment()
                                       : LocaleLanguageIdFromEnvironment();
}

std::uint16_t LinuxSystemQueries::GetUserDefaultLangID() {
    return LocaleLanguageIdFromEnvironment();
}

}  // namespace kelvane

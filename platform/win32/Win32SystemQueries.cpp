#include "platform/win32/Win32SystemQueries.h"

#include <windows.h>

#include "platform/win32/Win32Interop.h"

namespace kelvane {
namespace {

using NativeSystemInfoFunction = void(WINAPI*)(LPSYSTEM_INFO);

// GetNativeSystemInfo as the running system exports it, or null before Windows XP.
NativeSystemInfoFunction FindNativeSystemInfo() {
    const HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
    if (kernel32 == nullptr) {
        return nullptr;
    }
    const FARPROC found = ::GetProcAddress(kernel32, "GetNativeSystemInfo");
    // FARPROC is the generic function pointer; going through void(*)() says so to the compiler.
    return reinterpret_cast<NativeSystemInfoFunction>(reinterpret_cast<void (*)()>(found));
}

}  // namespace

bool Win32SystemQueries::GetVersionExW(OSVERSIONINFOEXW& info) {
    // The size field chooses the record: the extended one (284) or the plain one (276).
    return ::GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&info)) != FALSE;
}

bool Win32SystemQueries::HasGetNativeSystemInfo() {
    return FindNativeSystemInfo() != nullptr;
}

void Win32SystemQueries::GetNativeSystemInfo(SYSTEM_INFO& info) {
    auto* record = reinterpret_cast<LPSYSTEM_INFO>(&info);
    if (const NativeSystemInfoFunction native = FindNativeSystemInfo()) {
        native(record);
    } else {
        // Systems without the native query run no emulated processes: what they report to
        // this process is native.
        ::GetSystemInfo(record);
    }
}

std::uint32_t Win32SystemQueries::GetSystemDirectoryW(char16_t* buffer, std::uint32_t size) {
    return ::GetSystemDirectoryW(win32::Wide(buffer), size);
}

ModuleHandle Win32SystemQueries::LoadLibraryW(const char16_t* fileName) {
    return win32::FromHandle<ModuleHandle>(::LoadLibraryW(win32::Wide(fileName)));
}

ProcAddress Win32SystemQueries::GetProcAddress(ModuleHandle module, const char* procName) {
    const FARPROC found =
        ::GetProcAddress(reinterpret_cast<HMODULE>(module.value), procName);
    return ProcAddress{reinterpret_cast<std::uintptr_t>(found)};
}

bool Win32SystemQueries::FreeLibrary(ModuleHandle module) {
    return ::FreeLibrary(reinterpret_cast<HMODULE>(module.value)) != FALSE;
}

std::uint16_t Win32SystemQueries::GetUserDefaultUILanguage(ProcAddress function) {
    using UiLanguageFunction = LANGID(WINAPI*)();
    // A null function would be a jump to address 0; answer "no language" (LANG_NEUTRAL) instead.
    if (function.IsNull()) {
        return 0;
    }
    const auto query = reinterpret_cast<UiLanguageFunction>(function.value);
    return query();
}

std::uint16_t Win32SystemQueries::GetUserDefaultLangID() {
    return ::GetUserDefaultLangID();
}

}  // namespace kelvane

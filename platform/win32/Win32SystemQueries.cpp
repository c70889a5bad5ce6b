#include "platform/win32/Win32SystemQueries.h"

#include <windows.h>

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

}  // namespace kelvane

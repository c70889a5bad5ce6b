#pragma once

// Conversions between the seam's types and the Windows ones, at the API call. Included only by
// the Win32 provider's sources, after <windows.h>.

#include <windows.h>

#include <cstdint>

#include "platform/Handles.h"

namespace kelvane::win32 {

// Handles are pointer-wide on both sides; only the type changes.
template <typename Tag>
inline HANDLE ToHandle(OpaqueHandle<Tag> handle) {
    return reinterpret_cast<HANDLE>(handle.value);
}

template <typename Ours, typename Theirs>
inline Ours FromHandle(Theirs handle) {
    return Ours{reinterpret_cast<std::uintptr_t>(handle)};
}

inline HWND ToWindow(WindowHandle window) {
    return reinterpret_cast<HWND>(window.value);
}

inline HKEY ToKey(RegistryKey key) {
    return reinterpret_cast<HKEY>(key.value);
}

// char16_t and wchar_t are both UTF-16 code units on Windows.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline const wchar_t* Wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

inline wchar_t* Wide(char16_t* text) {
    return reinterpret_cast<wchar_t*>(text);
}

}  // namespace kelvane::win32

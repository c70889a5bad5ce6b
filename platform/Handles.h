#pragma once

#include <cstdint>

namespace kelvane {

// An opaque handle of the platform, as wide as a pointer like the Windows handles it stands for.
// Each kind has its own type so that a registry key can never be passed where a device-information
// set is expected. The Win32 provider converts at the API call.
template <typename Tag>
struct OpaqueHandle {
    std::uintptr_t value = 0;

    static constexpr OpaqueHandle Null() { return {}; }
    // The all-ones value, INVALID_HANDLE_VALUE on Windows.
    static constexpr OpaqueHandle Invalid() { return {~std::uintptr_t{0}}; }

    constexpr bool IsNull() const { return value == 0; }
    constexpr bool IsInvalid() const { return value == ~std::uintptr_t{0}; }
    // Neither null nor INVALID_HANDLE_VALUE: the link treats both as holding no handle.
    constexpr bool HoldsHandle() const { return !IsNull() && !IsInvalid(); }

    friend constexpr bool operator==(OpaqueHandle, OpaqueHandle) = default;
};

using Handle = OpaqueHandle<struct KernelHandleTag>;              // HANDLE
using DeviceInfoSet = OpaqueHandle<struct DeviceInfoSetTag>;      // HDEVINFO
using RegistryKey = OpaqueHandle<struct RegistryKeyTag>;          // HKEY
using WindowHandle = OpaqueHandle<struct WindowHandleTag>;        // HWND
using DeviceNotifyHandle = OpaqueHandle<struct DeviceNotifyTag>;  // HDEVNOTIFY
using ModuleHandle = OpaqueHandle<struct ModuleHandleTag>;        // HMODULE
using ResourceHandle = OpaqueHandle<struct ResourceHandleTag>;    // HRSRC
using GlobalHandle = OpaqueHandle<struct GlobalHandleTag>;        // HGLOBAL
using ProcAddress = OpaqueHandle<struct ProcAddressTag>;          // FARPROC
using MenuHandle = OpaqueHandle<struct MenuHandleTag>;            // HMENU
using IconHandle = OpaqueHandle<struct IconHandleTag>;            // HICON
using DeviceContext = OpaqueHandle<struct DeviceContextTag>;      // HDC

}  // namespace kelvane

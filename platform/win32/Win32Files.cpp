#include "platform/win32/Win32Files.h"

#include <windows.h>

#include "platform/win32/Win32Interop.h"

namespace kelvane {

std::uint32_t Win32Files::GetCurrentDirectoryW(std::uint32_t capacity, char16_t* buffer) {
    return ::GetCurrentDirectoryW(capacity, win32::Wide(buffer));
}

bool Win32Files::SetFileAttributesW(const char16_t* fileName, std::uint32_t attributes) {
    return ::SetFileAttributesW(win32::Wide(fileName), attributes) != FALSE;
}

std::uint32_t Win32Files::GetPrivateProfileStringW(const char16_t* section, const char16_t* key,
                                                   const char16_t* defaultValue, char16_t* returned,
                                                   std::uint32_t size, const char16_t* fileName) {
    return ::GetPrivateProfileStringW(win32::Wide(section), win32::Wide(key),
                                      win32::Wide(defaultValue), win32::Wide(returned), size,
                                      win32::Wide(fileName));
}

}  // namespace kelvane

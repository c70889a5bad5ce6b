#include "platform/win32/Win32Shell.h"

#include <windows.h>

#include <shellapi.h>

#include "platform/win32/Win32Interop.h"

namespace kelvane {

std::intptr_t Win32Shell::ShellExecuteW(WindowHandle owner, const char16_t* verb,
                                        const char16_t* file, const char16_t* parameters,
                                        const char16_t* directory, std::int32_t showCommand) {
    // The result is an HINSTANCE only by name: a number above 32 on success, else the error.
    return reinterpret_cast<std::intptr_t>(
        ::ShellExecuteW(win32::ToWindow(owner), win32::Wide(verb), win32::Wide(file),
                        win32::Wide(parameters), win32::Wide(directory), showCommand));
}

}  // namespace kelvane

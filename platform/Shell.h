#pragma once

#include <cstdint>

#include "platform/Handles.h"

namespace kelvane {

inline constexpr std::int32_t kSwShowNormal = 1;
// ShellExecuteW reports success with a value above 32.
inline constexpr std::intptr_t kShellExecuteSucceeded = 33;
inline constexpr std::intptr_t kSeErrFileNotFound = 2;
inline constexpr std::intptr_t kSeErrAccessDenied = 5;
inline constexpr std::intptr_t kSeErrOutOfMemory = 8;
inline constexpr std::intptr_t kSeErrNoAssociation = 31;

// The desktop shell.
class Shell {
public:
    virtual ~Shell() = default;

    // Performs `verb` ("open") on `file` as the desktop would: a program is started as a process
    // of its own, anything else goes to its default application. Nothing is waited for. Returns
    // a value above 32 on success, else a shell error code.
    virtual std::intptr_t ShellExecuteW(WindowHandle owner, const char16_t* verb,
                                        const char16_t* file, const char16_t* parameters,
                                        const char16_t* directory, std::int32_t showCommand) = 0;
};

}  // namespace kelvane

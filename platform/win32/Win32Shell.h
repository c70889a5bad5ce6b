#pragma once

#include "platform/Shell.h"

namespace kelvane {

// ShellExecuteW of shell32, passed straight through.
class Win32Shell final : public Shell {
public:
    std::intptr_t ShellExecuteW(WindowHandle owner, const char16_t* verb, const char16_t* file,
                                const char16_t* parameters, const char16_t* directory,
                                std::int32_t showCommand) override;
};

}  // namespace kelvane

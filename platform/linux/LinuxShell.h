#pragma once

#include "platform/Shell.h"

namespace kelvane {

// The desktop's "open" on Linux. An executable file is started directly, never through a shell:
// in a session of its own, with the path as argv[0] and no other argument, inheriting no
// descriptor of the launcher beyond the standard three, and not waited for. Anything else goes to
// the desktop's default application through xdg-open.
class LinuxShell final : public Shell {
public:
    std::intptr_t ShellExecuteW(WindowHandle owner, const char16_t* verb, const char16_t* file,
                                const char16_t* parameters, const char16_t* directory,
                                std::int32_t showCommand) override;
};

}  // namespace kelvane

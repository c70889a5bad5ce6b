#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Shell.h"

namespace kelvane::testing {

// Records what the desktop was asked to open.
class FakeShell final : public Shell {
public:
    struct Execution {
        WindowHandle owner;
        std::u16string verb;
        std::u16string file;
        bool hasParameters;
        bool hasDirectory;
        std::int32_t showCommand;
    };

    std::intptr_t result = kShellExecuteSucceeded;
    std::vector<Execution> executions;
    // Runs at each execution, to look at the rest of the system at that moment.
    std::function<void()> onExecute;

    std::intptr_t ShellExecuteW(WindowHandle owner, const char16_t* verb, const char16_t* file,
                                const char16_t* parameters, const char16_t* directory,
                                std::int32_t showCommand) override {
        executions.push_back({owner, verb != nullptr ? verb : u"", file != nullptr ? file : u"",
                              parameters != nullptr, directory != nullptr, showCommand});
        if (onExecute) {
            onExecute();
        }
        return result;
    }
};

}  // namespace kelvane::testing

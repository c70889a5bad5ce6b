#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Files.h"
#include "platform/Shell.h"

namespace kelvane {

// The launcher INI file, looked for in the current directory.
inline constexpr char16_t kLauncherIniName[] = u"Kelvane.ini";

// The INI section that names a model's firmware program: "LumoA" for model 68, "LumoB" for 91,
// none for any other model.
const char16_t* FirmwareSection(std::uint32_t model);

// The path of the model's firmware program: current directory + "/" + version + "/" + EXE, from
// the model's section of Kelvane.ini in the current directory, whose attributes are reset first.
// None when there is nothing to start: a model without a section, or a current directory or
// command that would not fit in MAX_PATH characters, which is never started cut short.
std::optional<std::u16string> ComposeFirmwareCommand(Files& files, std::uint32_t model);

// Opens the model's firmware program with the shell's "open", not waiting for it.
void LaunchFirmwareProgram(Files& files, Shell& shell, std::uint32_t model);

}  // namespace kelvane

#include "app/FirmwareLaunch.h"

#include "common/WideText.h"
#include "platform/Records.h"
#include "usb/PrinterModels.h"

namespace kelvane {
namespace {

constexpr std::uint32_t kBufferCapacity = 260;

}  // namespace

const char16_t* FirmwareSection(std::uint32_t model) {
    switch (model) {
        case kModelLumoA:
            return u"LumoA";
        case kModelLumoB:
            return u"LumoB";
        default:
            return nullptr;
    }
}

std::optional<std::u16string> ComposeFirmwareCommand(Files& files, std::uint32_t model) {
    char16_t directory[kBufferCapacity] = {};
    const std::uint32_t length = files.GetCurrentDirectoryW(kBufferCapacity, directory);
    // A directory that did not fit leaves the buffer empty: the command would name "/Kelvane.ini"
    // and "//", another place altogether.
    if (length == 0 || length >= kBufferCapacity) {
        return std::nullopt;
    }
    std::u16string command(BufferText(directory, kBufferCapacity));
    const std::u16string iniPath = command + u"/" + kLauncherIniName;
    if (iniPath.size() < kBufferCapacity) {
        files.SetFileAttributesW(iniPath.c_str(), kFileAttributeNormalOnly);
    }
    const char16_t* section = FirmwareSection(model);
    if (section == nullptr || iniPath.size() >= kBufferCapacity) {
        return std::nullopt;
    }
    for (const char16_t* key : {u"version", u"EXE"}) {
        char16_t value[kBufferCapacity] = {};
        files.GetPrivateProfileStringW(section, key, u"", value, kBufferCapacity, iniPath.c_str());
        command += u'/';
        command += BufferText(value, kBufferCapacity);
    }
    if (command.size() >= kBufferCapacity) {
        return std::nullopt;
    }
    return command;
}

void LaunchFirmwareProgram(Files& files, Shell& shell, std::uint32_t model) {
    if (const auto command = ComposeFirmwareCommand(files, model)) {
        // The result is not looked at: a program that cannot be opened ends the dialog all the
        // same.
        shell.ShellExecuteW(WindowHandle::Null(), u"open", command->c_str(), nullptr, nullptr,
                            kSwShowNormal);
    }
}

}  // namespace kelvane

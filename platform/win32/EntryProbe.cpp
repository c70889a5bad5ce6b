// Stands in for the launcher's executable until the application layer exists: the same
// Unicode GUI entry, the same libraries and the same static runtime, wired the way the real
// entry point will wire them. It makes the first detection attempt of the printer watch, starts
// the firmware program of the model it found as the launcher does, and ends with that model (0
// when none), so the build can check what such an executable imports and the tests can run it.
#include <windows.h>

#include "app/FirmwareLaunch.h"
#include "platform/win32/Win32Platform.h"
#include "usb/PrinterModels.h"
#include "usb/UsbLink.h"

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
    kelvane::Win32Platform system;
    kelvane::CUsbLink link(system.platform());
    for (const std::uint32_t* model = kelvane::g_DetectModels; *model != 0; ++model) {
        if (link.Open(*model, 1, 0x102, kelvane::kPipeRead | kelvane::kPipeWrite) ==
            kelvane::kLinkOpened) {
            const std::uint32_t found = *model;
            link.Close();
            kelvane::LaunchFirmwareProgram(system.files, system.shell, found);
            return static_cast<int>(found);
        }
    }
    return 0;
}

// Stands in for the launcher's executable until the application layer exists: the same
// Unicode GUI entry, the same libraries and the same static runtime, wired the way the real
// entry point will wire them. It makes the first detection attempt of the printer watch and
// ends with the model it found (0 when none), so the build can check what such an executable
// imports and the tests can run it.
#include <windows.h>

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
            return static_cast<int>(link.m_dwModelSN);
        }
    }
    return 0;
}

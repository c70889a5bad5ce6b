// The Windows program: builds the platform over the real API and runs the application, which
// shows the main dialog and returns once it has ended.
#include <windows.h>

#include <objbase.h>

#include "app/LauncherApp.h"
#include "platform/win32/Win32Platform.h"

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
    // The firmware program is started with ShellExecuteW, whose shell extensions may be COM
    // objects that need a single-threaded apartment on the calling thread.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        kelvane::Win32Platform system;
        kelvane::CFirmwareLauncherApp application(system.platform());
        application.InitInstance();
    }
    if (SUCCEEDED(com)) {
        ::CoUninitialize();
    }
    // Nothing reads the program's exit code.
    return 0;
}

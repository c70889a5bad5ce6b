// The Linux program: builds the Linux providers once and runs the launcher on them. The dialogs
// are Qt windows where there is a display, and text in the terminal where there is none.
#include <unistd.h>

#include <QApplication>

#include <cstdlib>
#include <memory>

#include "app/LauncherApp.h"
#include "platform/CRuntimeClock.h"
#include "platform/Platform.h"
#include "platform/linux/DialogFrontEnd.h"
#include "platform/linux/LinuxDeviceNotifications.h"
#include "platform/linux/LinuxDeviceSetup.h"
#include "platform/linux/LinuxFiles.h"
#include "platform/linux/LinuxKernelObjects.h"
#include "platform/linux/LinuxResources.h"
#include "platform/linux/LinuxShell.h"
#include "platform/linux/LinuxSystemQueries.h"
#include "platform/linux/TerminalDialogHost.h"
#include "platform/linux/qt/QtDialogHost.h"

int main(int argc, char** argv) {
    using namespace kelvane;

    // Without a display Qt would end the process in its platform plugin: the terminal serves.
    const bool graphical = HasGraphicalSession(
        std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"));
    std::unique_ptr<QApplication> application;
    if (graphical) {
        application = std::make_unique<QApplication>(argc, argv);
        QApplication::setWindowIcon(QtDialogHost::ProgramIcon());
    }

    LinuxKernelObjects kernelObjects;
    TemplateDialogHost* dialogs = nullptr;
    LinuxDeviceNotifications notifications(
        [&dialogs](WindowHandle window, std::uint32_t event, const void* record) {
            if (dialogs != nullptr) {
                dialogs->DeliverDeviceChange(window, event, record);
            }
        },
        [&kernelObjects](Handle handle) { return kernelObjects.PathOf(handle); });
    // Listening starts before the first enumeration, so that a printer plugged in between the
    // two is not missed. Without udev the dialog still runs, and Cancel still ends it.
    notifications.Start();

    // Declared after the notifications: the host's watch on their descriptor ends first.
    std::unique_ptr<TemplateDialogHost> host;
    if (graphical) {
        host = std::make_unique<QtDialogHost>();
    } else {
        host = std::make_unique<TerminalDialogHost>(STDIN_FILENO, STDOUT_FILENO);
    }
    dialogs = host.get();
    host->WatchDescriptor(notifications.Descriptor(),
                          [&notifications] { notifications.DispatchPending(); });

    LinuxDeviceSetup deviceSetup;
    LinuxSystemQueries systemQueries;
    CRuntimeClock clock;
    LinuxFiles files;
    LinuxShell shell;
    LinuxResources resources;
    const Platform platform{deviceSetup, notifications, systemQueries, kernelObjects, clock,
                            files,       shell,         resources,     *host,         *host};

    CFirmwareLauncherApp launcher(platform);
    launcher.InitInstance();
    dialogs = nullptr;
    return 0;
}

#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "platform/DeviceNotifications.h"
#include "platform/Records.h"

struct udev;
struct udev_monitor;
struct udev_device;

namespace kelvane {

// Device notifications from a udev monitor on the subsystems usb and usbmisc. The event loop
// watches Descriptor() and calls DispatchPending() when it is readable; each event goes to the
// registered windows as a WM_DEVICECHANGE would:
// - an added USB interface of the printer class, or an added lp node, is an arrival of a
//   printer-class interface whose name is its device node (the lp node, else the usbfs node);
// - a removed lp node or USB device is a removal with that node's path, and, for each handle
//   registration whose open handle is on that path, a removal of the handle.
class LinuxDeviceNotifications final : public DeviceNotifications {
public:
    // Hands one event to a window; `record` starts with a DEV_BROADCAST_HDR.
    using Deliver =
        std::function<void(WindowHandle window, std::uint32_t event, const void* record)>;
    // The path an open handle was opened on; empty when it is not an open device handle.
    using HandlePath = std::function<std::u16string(Handle handle)>;

    LinuxDeviceNotifications(Deliver deliver, HandlePath handlePath);
    ~LinuxDeviceNotifications() override;
    LinuxDeviceNotifications(const LinuxDeviceNotifications&) = delete;
    LinuxDeviceNotifications& operator=(const LinuxDeviceNotifications&) = delete;

    // Starts listening. Done before the first enumeration, so that no device falls between the
    // two. False when udev cannot be reached; the program then waits without notifications.
    bool Start();
    // The monitor's descriptor (close-on-exec, non-blocking); -1 before Start.
    int Descriptor() const;
    // Reads every event that is waiting and delivers it.
    void DispatchPending();

    DeviceNotifyHandle RegisterDeviceNotificationW(WindowHandle recipient,
                                                   const DEV_BROADCAST_DEVICEINTERFACE_W& filter,
                                                   std::uint32_t flags) override;
    DeviceNotifyHandle RegisterDeviceNotificationW(WindowHandle recipient,
                                                   const DEV_BROADCAST_HANDLE& filter,
                                                   std::uint32_t flags) override;
    bool UnregisterDeviceNotification(DeviceNotifyHandle handle) override;

private:
    struct Registration {
        WindowHandle window;
        bool forInterfaces;  // else for one handle
        GUID interfaceClass;
        Handle handle;
    };

    void Dispatch(udev_device* device);
    void DeliverInterfaceEvent(std::uint32_t event, const std::u16string& path);
    void DeliverHandleRemoval(const std::u16string& path);

    Deliver m_deliver;
    HandlePath m_handlePath;
    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
    std::map<std::uintptr_t, Registration> m_registrations;
    std::uintptr_t m_nextHandle = 0x10;
};

}  // namespace kelvane

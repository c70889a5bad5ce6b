#include "platform/linux/LinuxDeviceNotifications.h"

#include <libudev.h>

#include <cstring>
#include <string_view>
#include <vector>

#include "common/Utf8.h"

namespace kelvane {
namespace {

// {28D78FAD-5A12-11D1-AE5B-0000F803A8C2}
constexpr GUID kUsbPrintClass{
    0x28D78FAD, 0x5A12, 0x11D1, {0xAE, 0x5B, 0x00, 0x00, 0xF8, 0x03, 0xA8, 0xC2}};

std::string_view Text(const char* value) {
    return value != nullptr ? std::string_view(value) : std::string_view();
}

bool IsLpNode(udev_device* device) {
    const std::string_view name = Text(udev_device_get_sysname(device));
    return Text(udev_device_get_subsystem(device)) == "usbmisc" && name.size() > 2 &&
           name.substr(0, 2) == "lp";
}

bool IsPrinterInterface(udev_device* device) {
    return Text(udev_device_get_devtype(device)) == "usb_interface" &&
           (Text(udev_device_get_sysattr_value(device, "bInterfaceClass")) == "07" ||
            Text(udev_device_get_property_value(device, "INTERFACE")).substr(0, 2) == "7/");
}

// The node a printer interface is opened on: its lp node when usblp already made one, else the
// usbfs node of its device.
std::string InterfaceNode(udev_device* interface) {
    udev_device* usbDevice =
        udev_device_get_parent_with_subsystem_devtype(interface, "usb", "usb_device");
    return usbDevice != nullptr ? std::string(Text(udev_device_get_devnode(usbDevice)))
                                : std::string();
}

}  // namespace

LinuxDeviceNotifications::LinuxDeviceNotifications(Deliver deliver, HandlePath handlePath)
    : m_deliver(std::move(deliver)), m_handlePath(std::move(handlePath)) {}

LinuxDeviceNotifications::~LinuxDeviceNotifications() {
    if (m_monitor != nullptr) {
        udev_monitor_unref(m_monitor);
    }
    if (m_udev != nullptr) {
        udev_unref(m_udev);
    }
}

bool LinuxDeviceNotifications::Start() {
    if (m_monitor != nullptr) {
        return true;
    }
    m_udev = udev_new();
    if (m_udev == nullptr) {
        return false;
    }
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (m_monitor == nullptr ||
        udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "usb", nullptr) < 0 ||
        udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "usbmisc", nullptr) < 0 ||
        udev_monitor_enable_receiving(m_monitor) < 0) {
        if (m_monitor != nullptr) {
            udev_monitor_unref(m_monitor);
            m_monitor = nullptr;
        }
        return false;
    }
    return true;
}

int LinuxDeviceNotifications::Descriptor() const {
    return m_monitor != nullptr ? udev_monitor_get_fd(m_monitor) : -1;
}

void LinuxDeviceNotifications::DispatchPending() {
    if (m_monitor == nullptr) {
        return;
    }
    // The monitor's socket does not block: receiving ends when nothing is waiting.
    while (udev_device* device = udev_monitor_receive_device(m_monitor)) {
        Dispatch(device);
        udev_device_unref(device);
    }
}

void LinuxDeviceNotifications::Dispatch(udev_device* device) {
    const std::string_view action = Text(udev_device_get_action(device));
    if (action == "add") {
        std::string node;
        if (IsLpNode(device)) {
            node = Text(udev_device_get_devnode(device));
        } else if (IsPrinterInterface(device)) {
            node = InterfaceNode(device);
        } else {
            return;
        }
        DeliverInterfaceEvent(0x8000, Utf8ToUtf16(node));
    } else if (action == "remove") {
        // Once a device is gone its attributes are too; what it was shows in its node's name.
        const bool lpNode = IsLpNode(device);
        const bool usbDevice = Text(udev_device_get_devtype(device)) == "usb_device";
        const std::string_view node = Text(udev_device_get_devnode(device));
        if ((!lpNode && !usbDevice) || node.empty()) {
            return;
        }
        const std::u16string path = Utf8ToUtf16(node);
        DeliverHandleRemoval(path);
        DeliverInterfaceEvent(0x8004, path);
    }
}

void LinuxDeviceNotifications::DeliverInterfaceEvent(std::uint32_t event,
                                                     const std::u16string& path) {
    // The record ends in the path, which runs past its declared single character.
    const std::size_t size =
        offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + (path.size() + 1) * sizeof(char16_t);
    std::vector<std::uint8_t> record(std::max(size, sizeof(DEV_BROADCAST_DEVICEINTERFACE_W)));
    DEV_BROADCAST_DEVICEINTERFACE_W header{};
    header.dbcc_size = static_cast<std::uint32_t>(size);
    header.dbcc_devicetype = kDbtDevtypDeviceInterface;
    header.dbcc_classguid = kUsbPrintClass;
    std::memcpy(record.data(), &header, offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name));
    std::memcpy(record.data() + offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name), path.data(),
                path.size() * sizeof(char16_t));

    // A registration may be dropped by the window it is delivered to: walk a copy.
    const auto registrations = m_registrations;
    for (const auto& [handle, registration] : registrations) {
        if (registration.forInterfaces && registration.interfaceClass == kUsbPrintClass &&
            m_registrations.contains(handle)) {
            m_deliver(registration.window, event, record.data());
        }
    }
}

void LinuxDeviceNotifications::DeliverHandleRemoval(const std::u16string& path) {
    const auto registrations = m_registrations;
    for (const auto& [handle, registration] : registrations) {
        if (registration.forInterfaces || !m_registrations.contains(handle) ||
            m_handlePath(registration.handle) != path) {
            continue;
        }
        DEV_BROADCAST_HANDLE record;
        std::memset(static_cast<void*>(&record), 0, sizeof(record));
        record.dbch_size = sizeof(record);
        record.dbch_devicetype = kDbtDevtypHandle;
        record.dbch_handle = registration.handle;
        record.dbch_hdevnotify = DeviceNotifyHandle{handle};
        m_deliver(registration.window, 0x8004, &record);
    }
}

DeviceNotifyHandle LinuxDeviceNotifications::RegisterDeviceNotificationW(
    WindowHandle recipient, const DEV_BROADCAST_DEVICEINTERFACE_W& filter, std::uint32_t) {
    if (filter.dbcc_devicetype != kDbtDevtypDeviceInterface) {
        return DeviceNotifyHandle::Null();
    }
    const std::uintptr_t handle = m_nextHandle++;
    m_registrations.emplace(handle, Registration{recipient, true, filter.dbcc_classguid, {}});
    return DeviceNotifyHandle{handle};
}

DeviceNotifyHandle LinuxDeviceNotifications::RegisterDeviceNotificationW(
    WindowHandle recipient, const DEV_BROADCAST_HANDLE& filter, std::uint32_t) {
    if (filter.dbch_devicetype != kDbtDevtypHandle || !filter.dbch_handle.HoldsHandle()) {
        return DeviceNotifyHandle::Null();
    }
    const std::uintptr_t handle = m_nextHandle++;
    m_registrations.emplace(handle, Registration{recipient, false, {}, filter.dbch_handle});
    return DeviceNotifyHandle{handle};
}

bool LinuxDeviceNotifications::UnregisterDeviceNotification(DeviceNotifyHandle handle) {
    return m_registrations.erase(handle.value) == 1;
}

}  // namespace kelvane

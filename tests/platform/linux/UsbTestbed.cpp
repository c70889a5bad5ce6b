#include "tests/platform/linux/UsbTestbed.h"

#include <umockdev.h>

#include <cstdio>
#include <filesystem>
#include <string_view>

namespace kelvane::testing {
namespace {

constexpr char kHostController[] = "/devices/pci0000:00/0000:00:14.0/usb1/";

// Attribute values take backslash escapes for backslashes and line ends.
std::string Escaped(const std::string& value) {
    std::string text;
    for (const char c : value) {
        if (c == '\\') {
            text += "\\\\";
        } else if (c == '\n') {
            text += "\\n";
        } else {
            text += c;
        }
    }
    return text;
}

void AddAttribute(std::string& text, const char* name, const std::optional<std::string>& value) {
    if (value) {
        text += std::string("A: ") + name + "=" + Escaped(*value) + "\n";
    }
}

}  // namespace

UsbTestbed::UsbTestbed() : m_testbed(umockdev_testbed_new()) {}

UsbTestbed::~UsbTestbed() {
    g_object_unref(m_testbed);
}

bool UsbTestbed::AddFromString(const std::string& description) {
    GError* error = nullptr;
    if (umockdev_testbed_add_from_string(m_testbed, description.c_str(), &error)) {
        return true;
    }
    std::fprintf(stderr, "umockdev refused the devices: %s\n", error->message);
    g_error_free(error);
    return false;
}

std::string UsbTestbed::Add(const MockUsbDevice& device) {
    const std::string devicePath = kHostController + device.port;
    char usbfs[32];
    std::snprintf(usbfs, sizeof(usbfs), "bus/usb/001/%03d", device.deviceNumber);

    std::string text = "P: " + devicePath + "\n";
    if (device.hasUsbfsNode && device.nodesExist) {
        text += std::string("N: ") + usbfs + "\n";
    }
    text += "E: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n";
    if (device.hasUsbfsNode) {
        text += std::string("E: DEVNAME=/dev/") + usbfs +
                "\nE: MAJOR=189\nE: MINOR=" + std::to_string(device.deviceNumber - 1) + "\n";
    }
    AddAttribute(text, "idVendor", device.idVendor);
    AddAttribute(text, "idProduct", device.idProduct);
    AddAttribute(text, "serial", device.serial);
    text += "A: busnum=1\nA: devnum=" + std::to_string(device.deviceNumber) + "\n\n";

    const std::string interfacePath = devicePath + "/" + device.port + ":1.0";
    text += "P: " + interfacePath + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\n";
    AddAttribute(text, "bInterfaceClass", device.interfaceClass);
    text += "A: bInterfaceNumber=00\n";

    if (device.lpMinor) {
        const std::string minor = std::to_string(*device.lpMinor);
        text += "\nP: " + interfacePath + "/usbmisc/lp" + minor + "\n";
        if (device.nodesExist) {
            text += "N: usb/lp" + minor + "\n";
        }
        text += "E: SUBSYSTEM=usbmisc\nE: DEVNAME=/dev/usb/lp" + minor + "\n";
        if (device.lpHasDeviceNumber) {
            text += "E: MAJOR=180\nE: MINOR=" + minor + "\n";
        }
    }
    return AddFromString(text) ? "/sys" + devicePath : std::string();
}

void UsbTestbed::Remove(const std::string& syspath) {
    umockdev_testbed_remove_device(m_testbed, syspath.c_str());
    // umockdev leaves the bus and class links of the device's children behind, pointing at
    // nothing. The kernel removes them with the device; left there, every later scan of the bus
    // would read more of them, and a long run of plugging would slow down to a crawl.
    const std::filesystem::path root = umockdev_testbed_get_root_dir(m_testbed);
    std::error_code ignored;
    for (const char* group : {"bus", "class"}) {
        for (const auto& kind :
             std::filesystem::directory_iterator(root / "sys" / group, ignored)) {
            std::filesystem::path links = kind.path();
            if (std::string_view(group) == "bus") {
                links /= "devices";
            }
            for (const auto& link : std::filesystem::directory_iterator(links, ignored)) {
                if (link.is_symlink(ignored) && !std::filesystem::exists(link.path(), ignored)) {
                    std::filesystem::remove(link.path(), ignored);
                }
            }
        }
    }
}

void UsbTestbed::SetAttribute(const std::string& syspath, const char* name,
                              const std::string& value) {
    umockdev_testbed_set_attribute(m_testbed, syspath.c_str(), name, value.c_str());
}

void UsbTestbed::Uevent(const std::string& syspath, const char* action) {
    umockdev_testbed_uevent(m_testbed, syspath.c_str(), action);
}

}  // namespace kelvane::testing

#pragma once

#include <optional>
#include <string>

typedef struct _UMockdevTestbed UMockdevTestbed;

namespace kelvane::testing {

// A USB device with one interface, as sysfs shows it. Each field that may be missing from a
// real or broken device is optional; nullopt leaves the attribute out.
struct MockUsbDevice {
    // The usb_device's sysname, which is its port path.
    std::string port = "1-1";
    // The usbfs node is /dev/bus/usb/001/NNN with this device number.
    int deviceNumber = 2;
    std::optional<std::string> idVendor = "2e47";
    std::optional<std::string> idProduct = "0502";
    std::optional<std::string> serial = "LUMO0001";
    std::optional<std::string> interfaceClass = "07";
    // usblp drives the interface and made /dev/usb/lpN with this minor; nullopt: no usblp.
    std::optional<unsigned> lpMinor = 0;
    // Whether the lp node carries its device number, as a real one always does.
    bool lpHasDeviceNumber = true;
    // Whether udev names a usbfs node for the device at all.
    bool hasUsbfsNode = true;
    // Whether the named nodes exist in /dev.
    bool nodesExist = true;
};

// A umockdev testbed: the /sys and /dev that libudev and stat(2) see in this process while it
// runs under umockdev-wrapper. Devices added or removed show at once.
class UsbTestbed {
public:
    UsbTestbed();
    ~UsbTestbed();
    UsbTestbed(const UsbTestbed&) = delete;
    UsbTestbed& operator=(const UsbTestbed&) = delete;

    // Adds the device, its interface and, with usblp, the interface's lp node. Returns the
    // device's sysfs path, or an empty text when umockdev refused the description.
    std::string Add(const MockUsbDevice& device);
    // Adds devices written as umockdev-record does; returns false when umockdev refuses them.
    bool AddFromString(const std::string& description);
    // Removes a device with everything below it. umockdev keeps its nodes' names taken: a later
    // device needs nodes of other names.
    void Remove(const std::string& syspath);
    // Writes the attribute `name` of a device (its sysfs path) without telling anyone.
    void SetAttribute(const std::string& syspath, const char* name, const std::string& value);
    // Sends the uevent `action` ("add", "remove", ...) of a device to every udev monitor.
    void Uevent(const std::string& syspath, const char* action);

private:
    UMockdevTestbed* m_testbed;
};

}  // namespace kelvane::testing

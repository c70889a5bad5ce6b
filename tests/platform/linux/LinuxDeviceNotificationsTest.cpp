#include "platform/linux/LinuxDeviceNotifications.h"

#include <fcntl.h>
#include <poll.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/platform/linux/UsbTestbed.h"
#include "tests/support/PrinterClass.h"

namespace kelvane {
namespace {

using testing::MockUsbDevice;
using testing::UsbTestbed;

struct Delivered {
    WindowHandle window;
    std::uint32_t event;
    std::uint32_t type;
    std::u16string name;  // interface records
    Handle handle;        // handle records
};

constexpr WindowHandle kDialog{0x77};

class LinuxDeviceNotificationsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(notifications.Start()); }

    DeviceNotifyHandle RegisterForPrinters(GUID interfaceClass = testing::kPrinterClassGuid) {
        DEV_BROADCAST_DEVICEINTERFACE_W filter{};
        filter.dbcc_size = sizeof(filter);
        filter.dbcc_devicetype = kDbtDevtypDeviceInterface;
        filter.dbcc_classguid = interfaceClass;
        return notifications.RegisterDeviceNotificationW(kDialog, filter, 0);
    }

    // Waits until the monitor has something to read, then delivers all of it.
    void Pump() {
        pollfd watch{notifications.Descriptor(), POLLIN, 0};
        while (::poll(&watch, 1, 50) > 0) {
            notifications.DispatchPending();
        }
    }

    // Plugs a device in; the test bed announces the device, its interface and its lp node.
    std::string Plug(const MockUsbDevice& device) {
        const std::string syspath = usb.Add(device);
        EXPECT_FALSE(syspath.empty());
        return syspath;
    }

    void Unplug(const std::string& syspath, const MockUsbDevice& device) {
        const std::string interface = syspath + "/" + device.port + ":1.0";
        if (device.lpMinor) {
            usb.Uevent(interface + "/usbmisc/lp" + std::to_string(*device.lpMinor), "remove");
        }
        usb.Uevent(interface, "remove");
        usb.Uevent(syspath, "remove");
        Pump();
        usb.Remove(syspath);
    }

    UsbTestbed usb;
    std::u16string openPath;  // the path the one open handle 0x40 is on
    std::vector<Delivered> delivered;
    LinuxDeviceNotifications notifications{
        [this](WindowHandle window, std::uint32_t event, const void* record) {
            DEV_BROADCAST_HDR header;
            std::memcpy(&header, record, sizeof(header));
            Delivered entry{window, event, header.dbch_devicetype, {}, {}};
            if (header.dbch_devicetype == kDbtDevtypDeviceInterface) {
                const auto* name = reinterpret_cast<const char16_t*>(
                    static_cast<const std::uint8_t*>(record) +
                    offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name));
                entry.name = name;
                EXPECT_EQ(header.dbch_size, offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) +
                                                (entry.name.size() + 1) * 2);
            } else {
                DEV_BROADCAST_HANDLE handleRecord;
                std::memcpy(static_cast<void*>(&handleRecord), record, sizeof(handleRecord));
                entry.handle = handleRecord.dbch_handle;
            }
            delivered.push_back(entry);
        },
        [this](Handle handle) { return handle == Handle{0x40} ? openPath : std::u16string(); }};
};

TEST_F(LinuxDeviceNotificationsTest, MonitorDescriptorIsNotInherited) {
    const int fd = notifications.Descriptor();
    ASSERT_GE(fd, 0);
    EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
}

TEST_F(LinuxDeviceNotificationsTest, PrinterArrivalsReachTheRegisteredWindow) {
    ASSERT_FALSE(RegisterForPrinters().IsNull());
    Plug(MockUsbDevice{});
    Pump();

    ASSERT_EQ(delivered.size(), 2u) << "the printer interface and its lp node";
    for (const Delivered& entry : delivered) {
        EXPECT_EQ(entry.window, kDialog);
        EXPECT_EQ(entry.event, 0x8000u);
        EXPECT_EQ(entry.type, kDbtDevtypDeviceInterface);
    }
    EXPECT_EQ(delivered.back().name, u"/dev/usb/lp0");
}

TEST_F(LinuxDeviceNotificationsTest, OtherDevicesAreNotPrinterArrivals) {
    RegisterForPrinters();
    MockUsbDevice keyboard;
    keyboard.interfaceClass = "03";
    keyboard.lpMinor.reset();
    Plug(keyboard);
    Pump();
    EXPECT_TRUE(delivered.empty());
}

TEST_F(LinuxDeviceNotificationsTest, RemovalCarriesTheNodePathAndTheOpenHandle) {
    MockUsbDevice printer;
    const std::string syspath = Plug(printer);
    Pump();
    RegisterForPrinters();
    DEV_BROADCAST_HANDLE filter{};
    filter.dbch_size = sizeof(filter);
    filter.dbch_devicetype = kDbtDevtypHandle;
    filter.dbch_handle = Handle{0x40};
    openPath = u"/dev/usb/lp0";
    ASSERT_FALSE(notifications.RegisterDeviceNotificationW(kDialog, filter, 0).IsNull());

    Unplug(syspath, printer);

    ASSERT_GE(delivered.size(), 3u);
    EXPECT_EQ(delivered[0].type, kDbtDevtypHandle);
    EXPECT_EQ(delivered[0].event, 0x8004u);
    EXPECT_EQ(delivered[0].handle, Handle{0x40});
    EXPECT_EQ(delivered[1].type, kDbtDevtypDeviceInterface);
    EXPECT_EQ(delivered[1].name, u"/dev/usb/lp0");
    EXPECT_EQ(delivered[2].name, u"/dev/bus/usb/001/002") << "then the device itself";
}

TEST_F(LinuxDeviceNotificationsTest, NothingReachesAnUnregisteredWindowOrAnotherClass) {
    const DeviceNotifyHandle registration = RegisterForPrinters();
    EXPECT_TRUE(notifications.UnregisterDeviceNotification(registration));
    EXPECT_FALSE(notifications.UnregisterDeviceNotification(registration));
    RegisterForPrinters(GUID{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}});
    Plug(MockUsbDevice{});
    Pump();
    EXPECT_TRUE(delivered.empty());
}

TEST_F(LinuxDeviceNotificationsTest, ManyDevicesComingAndGoingAreAllSeen) {
    RegisterForPrinters();
    for (int i = 0; i < 20; ++i) {
        MockUsbDevice printer;
        printer.port = "1-" + std::to_string(i + 1);
        printer.deviceNumber = i + 2;
        printer.lpMinor = static_cast<unsigned>(i);
        const std::string syspath = Plug(printer);
        // Paced: the test bed gives up when a monitor falls behind.
        Pump();
        Unplug(syspath, printer);
    }
    int arrivals = 0;
    int removals = 0;
    for (const Delivered& entry : delivered) {
        arrivals += entry.event == 0x8000 ? 1 : 0;
        removals += entry.event == 0x8004 ? 1 : 0;
    }
    EXPECT_EQ(arrivals, 40);
    EXPECT_EQ(removals, 40);
}

}  // namespace
}  // namespace kelvane

#include "usb/DeviceRegistration.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "tests/support/FakeDeviceNotifications.h"
#include "tests/support/PrinterClass.h"
#include "usb/GuidText.h"

namespace kelvane {
namespace {

using testing::FakeDeviceNotifications;
using testing::kPrinterClassGuid;

// Every byte outside [from, to) is zero.
bool ZeroOutside(const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t to) {
    for (std::size_t i = 12; i < bytes.size(); ++i) {
        if ((i < from || i >= to) && bytes[i] != 0) {
            return false;
        }
    }
    return true;
}

constexpr WindowHandle kDialog{0x1234};

TEST(DoRegisterDeviceInterface, RegistersTheParsedClassInAZeroedRecord) {
    FakeDeviceNotifications notifications;
    DeviceNotifyHandle notify{};

    EXPECT_TRUE(DoRegisterDeviceInterface(notifications, kDialog, kUsbPrintClassText, notify));

    ASSERT_EQ(notifications.registrations.size(), 1u);
    const auto& registration = notifications.registrations[0];
    EXPECT_EQ(notify, registration.handle);
    EXPECT_EQ(registration.recipient, kDialog);
    EXPECT_EQ(registration.flags, 0u);
    const auto& record = std::get<DEV_BROADCAST_DEVICEINTERFACE_W>(registration.filter);
    EXPECT_EQ(record.dbcc_size, 32u);
    EXPECT_EQ(record.dbcc_devicetype, 5u);
    EXPECT_EQ(record.dbcc_reserved, 0u);
    EXPECT_EQ(record.dbcc_classguid, kPrinterClassGuid);
    EXPECT_TRUE(ZeroOutside(registration.bytes, 12, 28)) << "name and padding must be zero";
}

TEST(DoRegisterDeviceHandle, RegistersTheHandleInAZeroedRecord) {
    FakeDeviceNotifications notifications;
    DeviceNotifyHandle notify{};
    const Handle device{0x77};

    EXPECT_TRUE(DoRegisterDeviceHandle(notifications, kDialog, device, notify));

    ASSERT_EQ(notifications.registrations.size(), 1u);
    const auto& registration = notifications.registrations[0];
    const auto& record = std::get<DEV_BROADCAST_HANDLE>(registration.filter);
    EXPECT_EQ(record.dbch_size, sizeof(void*) == 4 ? 44u : 56u);
    EXPECT_EQ(record.dbch_devicetype, 6u);
    EXPECT_EQ(record.dbch_handle, device);
    const std::size_t handleAt = offsetof(DEV_BROADCAST_HANDLE, dbch_handle);
    EXPECT_TRUE(ZeroOutside(registration.bytes, handleAt, handleAt + sizeof(Handle)));
}

TEST(DeviceRegistration, FailureStoresNullOverWhatTheCallerHeld) {
    FakeDeviceNotifications notifications;
    notifications.refuseRegistrations = true;
    DeviceNotifyHandle notify{0x999};

    EXPECT_FALSE(DoRegisterDeviceInterface(notifications, kDialog, kUsbPrintClassText, notify));
    EXPECT_TRUE(notify.IsNull());

    notify = DeviceNotifyHandle{0x999};
    EXPECT_FALSE(DoRegisterDeviceHandle(notifications, kDialog, Handle{0x77}, notify));
    EXPECT_TRUE(notify.IsNull());
}

}  // namespace
}  // namespace kelvane

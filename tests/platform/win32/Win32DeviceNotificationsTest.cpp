#include <gtest/gtest.h>

#include "platform/win32/Win32DeviceNotifications.h"
#include "tests/platform/win32/Win32TestSupport.h"
#include "usb/DeviceRegistration.h"
#include "usb/GuidText.h"

namespace kelvane {
namespace {

using testing::HiddenWindow;
using testing::ScratchFile;

TEST(Win32DeviceNotifications, WindowIsRegisteredForThePrintingClassAndUnregistered) {
    HiddenWindow window;
    ASSERT_FALSE(window.handle().IsNull());
    Win32DeviceNotifications notifications;
    DeviceNotifyHandle notify;

    ASSERT_TRUE(
        DoRegisterDeviceInterface(notifications, window.handle(), kUsbPrintClassText, notify));
    EXPECT_FALSE(notify.IsNull());
    EXPECT_TRUE(notifications.UnregisterDeviceNotification(notify));
}

TEST(Win32DeviceNotifications, WindowIsRegisteredForAnOpenHandleAndUnregistered) {
    HiddenWindow window;
    ScratchFile file;
    const HANDLE device = ::CreateFileW(file.path().c_str(), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    Win32DeviceNotifications notifications;
    DeviceNotifyHandle notify;

    EXPECT_TRUE(DoRegisterDeviceHandle(notifications, window.handle(),
                                       Handle{reinterpret_cast<std::uintptr_t>(device)}, notify));
    if (!notify.IsNull()) {
        EXPECT_TRUE(notifications.UnregisterDeviceNotification(notify));
    }
    ::CloseHandle(device);
}

TEST(Win32DeviceNotifications, RegistrationWithoutAWindowFailsAndStoresNull) {
    Win32DeviceNotifications notifications;
    DeviceNotifyHandle notify{0x1234};
    EXPECT_FALSE(
        DoRegisterDeviceInterface(notifications, WindowHandle::Null(), kUsbPrintClassText, notify));
    EXPECT_TRUE(notify.IsNull());
}

}  // namespace
}  // namespace kelvane

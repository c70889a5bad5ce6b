#pragma once

#include "platform/DeviceNotifications.h"

namespace kelvane {

// RegisterDeviceNotificationW and UnregisterDeviceNotification of user32; the recipient is a
// window, which then receives WM_DEVICECHANGE.
class Win32DeviceNotifications final : public DeviceNotifications {
public:
    DeviceNotifyHandle RegisterDeviceNotificationW(WindowHandle recipient,
                                                   const DEV_BROADCAST_DEVICEINTERFACE_W& filter,
                                                   std::uint32_t flags) override;
    DeviceNotifyHandle RegisterDeviceNotificationW(WindowHandle recipient,
                                                   const DEV_BROADCAST_HANDLE& filter,
                                                   std::uint32_t flags) override;
    bool UnregisterDeviceNotification(DeviceNotifyHandle handle) override;
};

}  // namespace kelvane

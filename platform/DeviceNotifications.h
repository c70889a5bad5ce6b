#pragma once

#include <cstdint>

#include "platform/Handles.h"
#include "platform/Records.h"

namespace kelvane {

// Registration of a window for device-change notifications. Registrations made with an
// interface filter report arrivals and removals of that class's interfaces with their device
// paths; registrations with a handle filter report events on that open handle.
class DeviceNotifications {
public:
    virtual ~DeviceNotifications() = default;

    // A null handle when the registration failed.
    virtual DeviceNotifyHandle RegisterDeviceNotificationW(
        WindowHandle recipient, const DEV_BROADCAST_DEVICEINTERFACE_W& filter,
        std::uint32_t flags) = 0;
    virtual DeviceNotifyHandle RegisterDeviceNotificationW(WindowHandle recipient,
                                                           const DEV_BROADCAST_HANDLE& filter,
                                                           std::uint32_t flags) = 0;

    virtual bool UnregisterDeviceNotification(DeviceNotifyHandle handle) = 0;
};

}  // namespace kelvane

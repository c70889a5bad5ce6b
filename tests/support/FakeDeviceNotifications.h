#pragma once

#include <cstdint>
#include <variant>
#include <vector>

#include "platform/DeviceNotifications.h"

namespace kelvane::testing {

// Records every registration with a copy of its filter record, and can refuse them.
class FakeDeviceNotifications final : public DeviceNotifications {
public:
    struct Registration {
        WindowHandle recipient;
        std::variant<DEV_BROADCAST_DEVICEINTERFACE_W, DEV_BROADCAST_HANDLE> filter;
        // The filter exactly as it was handed over, padding included.
        std::vector<std::uint8_t> bytes;
        std::uint32_t flags = 0;
        DeviceNotifyHandle handle;
    };

    bool refuseRegistrations = false;

    std::vector<Registration> registrations;
    std::vector<DeviceNotifyHandle> unregistered;

    // Registrations made and not yet unregistered.
    int ActiveCount() const;

    DeviceNotifyHandle RegisterDeviceNotificationW(WindowHandle recipient,
                                                   const DEV_BROADCAST_DEVICEINTERFACE_W& filter,
                                                   std::uint32_t flags) override;
    DeviceNotifyHandle RegisterDeviceNotificationW(WindowHandle recipient,
                                                   const DEV_BROADCAST_HANDLE& filter,
                                                   std::uint32_t flags) override;
    bool UnregisterDeviceNotification(DeviceNotifyHandle handle) override;

private:
    template <typename Record>
    DeviceNotifyHandle Register(WindowHandle recipient, const Record& filter, std::uint32_t flags);

    std::uintptr_t m_nextHandle = 0x5000;
};

}  // namespace kelvane::testing

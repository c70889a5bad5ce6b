#include "tests/support/FakeDeviceNotifications.h"

#include <algorithm>
#include <cstring>

namespace kelvane::testing {

int FakeDeviceNotifications::ActiveCount() const {
    return static_cast<int>(
        std::count_if(registrations.begin(), registrations.end(), [this](const Registration& r) {
            return !r.handle.IsNull() && std::find(unregistered.begin(), unregistered.end(),
                                                   r.handle) == unregistered.end();
        }));
}

template <typename Record>
DeviceNotifyHandle FakeDeviceNotifications::Register(WindowHandle recipient, const Record& filter,
                                                     std::uint32_t flags) {
    const DeviceNotifyHandle handle =
        refuseRegistrations ? DeviceNotifyHandle::Null() : DeviceNotifyHandle{m_nextHandle++};
    std::vector<std::uint8_t> bytes(sizeof(Record));
    std::memcpy(bytes.data(), &filter, sizeof(Record));
    registrations.push_back({recipient, filter, std::move(bytes), flags, handle});
    return handle;
}

DeviceNotifyHandle FakeDeviceNotifications::RegisterDeviceNotificationW(
    WindowHandle recipient, const DEV_BROADCAST_DEVICEINTERFACE_W& filter, std::uint32_t flags) {
    return Register(recipient, filter, flags);
}

DeviceNotifyHandle FakeDeviceNotifications::RegisterDeviceNotificationW(
    WindowHandle recipient, const DEV_BROADCAST_HANDLE& filter, std::uint32_t flags) {
    return Register(recipient, filter, flags);
}

bool FakeDeviceNotifications::UnregisterDeviceNotification(DeviceNotifyHandle handle) {
    const bool known = std::any_of(registrations.begin(), registrations.end(),
                                   [&](const Registration& r) { return r.handle == handle; });
    const bool already =
        std::find(unregistered.begin(), unregistered.end(), handle) != unregistered.end();
    if (!known || already || handle.IsNull()) {
        return false;
    }
    unregistered.push_back(handle);
    return true;
}

}  // namespace kelvane::testing

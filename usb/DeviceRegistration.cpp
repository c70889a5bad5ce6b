#include "usb/DeviceRegistration.h"

#include <cstring>

#include "usb/GuidText.h"

namespace kelvane {
namespace {

// The records go to the system whole, padding included, so every byte starts at zero.
template <typename Record>
Record ZeroedRecord() {
    Record record;
    std::memset(static_cast<void*>(&record), 0, sizeof(record));
    return record;
}

}  // namespace

bool DoRegisterDeviceInterface(DeviceNotifications& notifications, WindowHandle window,
                               const char16_t* classGuidText, DeviceNotifyHandle& notify) {
    GUID classGuid{};
    ParseGuidString(classGuid, classGuidText);
    auto filter = ZeroedRecord<DEV_BROADCAST_DEVICEINTERFACE_W>();
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = kDbtDevtypDeviceInterface;
    filter.dbcc_classguid = classGuid;
    notify = notifications.RegisterDeviceNotificationW(window, filter, kDeviceNotifyWindowHandle);
    return !notify.IsNull();
}

bool DoRegisterDeviceHandle(DeviceNotifications& notifications, WindowHandle window, Handle device,
                            DeviceNotifyHandle& notify) {
    auto filter = ZeroedRecord<DEV_BROADCAST_HANDLE>();
    filter.dbch_size = sizeof(filter);
    filter.dbch_devicetype = kDbtDevtypHandle;
    filter.dbch_handle = device;
    notify = notifications.RegisterDeviceNotificationW(window, filter, kDeviceNotifyWindowHandle);
    return !notify.IsNull();
}

}  // namespace kelvane

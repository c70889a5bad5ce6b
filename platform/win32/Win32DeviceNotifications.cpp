#include "platform/win32/Win32DeviceNotifications.h"

#include <windows.h>

#include <dbt.h>

#include "platform/win32/Win32Interop.h"

namespace kelvane {
namespace {

template <typename Filter>
DeviceNotifyHandle Register(WindowHandle recipient, const Filter& filter, std::uint32_t flags) {
    // The filter is only read; the API takes it through a plain pointer.
    return win32::FromHandle<DeviceNotifyHandle>(::RegisterDeviceNotificationW(
        win32::ToWindow(recipient), const_cast<Filter*>(&filter), flags));
}

}  // namespace

DeviceNotifyHandle Win32DeviceNotifications::RegisterDeviceNotificationW(
    WindowHandle recipient, const DEV_BROADCAST_DEVICEINTERFACE_W& filter, std::uint32_t flags) {
    return Register(recipient, filter, flags);
}

DeviceNotifyHandle Win32DeviceNotifications::RegisterDeviceNotificationW(
    WindowHandle recipient, const DEV_BROADCAST_HANDLE& filter, std::uint32_t flags) {
    return Register(recipient, filter, flags);
}

bool Win32DeviceNotifications::UnregisterDeviceNotification(DeviceNotifyHandle handle) {
    return ::UnregisterDeviceNotification(reinterpret_cast<HDEVNOTIFY>(handle.value)) != FALSE;
}

}  // namespace kelvane

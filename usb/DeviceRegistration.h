#pragma once

#include "platform/DeviceNotifications.h"
#include "platform/Handles.h"

namespace kelvane {

// Registers `window` for arrivals and removals of the interfaces of the class named by
// `classGuidText`. The notification handle is stored in `notify`, null when the registration
// failed; the result says whether it is not null.
bool DoRegisterDeviceInterface(DeviceNotifications& notifications, WindowHandle window,
                               const char16_t* classGuidText, DeviceNotifyHandle& notify);

// Registers `window` for events on the open device handle `device`, storing as above.
bool DoRegisterDeviceHandle(DeviceNotifications& notifications, WindowHandle window, Handle device,
                            DeviceNotifyHandle& notify);

}  // namespace kelvane

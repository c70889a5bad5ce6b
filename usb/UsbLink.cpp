#include "usb/UsbLink.h"

namespace kelvane {

CUsbLink::CUsbLink(const Platform& platform) : m_platform(platform) {}

}  // namespace kelvane

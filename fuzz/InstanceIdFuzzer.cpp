// Reading the VID/PID word back out of any instance ID, and the model correction after it.
#include <array>

#include "fuzz/FuzzInput.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/PrinterClass.h"
#include "usb/UsbLink.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kelvane::fuzz::FuzzInput input(data, size);
    kelvane::testing::FakePlatform fake;
    kelvane::testing::FakeInterface printer;
    printer.devicePath = input.Text(300);
    printer.instanceId = input.Rest();
    fake.deviceSetup.interfaces.push_back(printer);
    kelvane::CUsbLink link(fake.platform());
    link.m_dwModelSN = 68;
    std::array<char16_t, kelvane::kPathCapacity> path{};
    std::uint32_t linked = 0;
    link.GetLinkByInterface(kelvane::testing::kPrinterClassGuid, 0, path, linked, 0x002, 0);
    link.GetDeviceCount(68, 0x102);
    return 0;
}

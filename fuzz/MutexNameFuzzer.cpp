// Naming the device mutex after any device path the lookup may have stored.
#include "common/WideText.h"
#include "fuzz/FuzzInput.h"
#include "tests/support/FakePlatform.h"
#include "usb/UsbLink.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kelvane::fuzz::FuzzInput input(data, size);
    std::u16string path = input.Rest();
    path.resize(std::min<std::size_t>(path.size(), kelvane::kPathCapacity - 1));
    kelvane::testing::FakePlatform fake;
    kelvane::CUsbLink link(fake.platform());
    kelvane::CopyIfFits(link.m_szSymbolicLink, kelvane::kPathCapacity, path);
    link.EnableMutex(true);
    link.EnableMutex(false);
    return 0;
}

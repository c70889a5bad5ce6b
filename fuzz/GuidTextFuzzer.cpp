// ParseGuidString reads by position and must never read outside the text, whatever it holds.
#include "fuzz/FuzzInput.h"
#include "usb/GuidText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kelvane::fuzz::FuzzInput input(data, size);
    const std::u16string text = input.Rest();
    kelvane::GUID guid{};
    kelvane::ParseGuidString(guid, text.c_str());
    return 0;
}

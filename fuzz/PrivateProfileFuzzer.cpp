// Any INI file bytes, in any encoding, and any section and key names.
#include <string_view>

#include "fuzz/FuzzInput.h"
#include "platform/PrivateProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kelvane::fuzz::FuzzInput input(data, size);
    const std::u16string section = input.Text(16);
    const std::u16string key = input.Text(16);
    const std::size_t used = (section.size() + key.size()) * 2 + 2;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + std::min(used, size),
                                 size - std::min(used, size));
    std::u16string value;
    if (kelvane::FindProfileValue(kelvane::DecodeProfileText(bytes), section, key, value)) {
        char16_t buffer[8];
        kelvane::CopyProfileString(value, buffer, 8);
    }
    return 0;
}

#pragma once

#include <cstdint>

namespace kelvane {

// Files and settings.
class Files {
public:
    virtual ~Files() = default;

    // Copies the value of `keyName` in section `appName` of the INI file `fileName` into
    // `returnedString`, cut to `size` - 1 characters and terminated, or `defaultText` (treated as
    // empty when null) when the file, the section or the key is missing. Returns the number of
    // characters copied, the terminator not included.
    virtual std::uint32_t GetPrivateProfileStringW(const char16_t* appName, const char16_t* keyName,
                                                   const char16_t* defaultText,
                                                   char16_t* returnedString, std::uint32_t size,
                                                   const char16_t* fileName) = 0;
};

}  // namespace kelvane

#pragma once

#include "platform/Files.h"

namespace kelvane {

// The current directory, file attributes and the private-profile reader of kernel32, passed
// straight through.
class Win32Files final : public Files {
public:
    std::uint32_t GetCurrentDirectoryW(std::uint32_t capacity, char16_t* buffer) override;
    bool SetFileAttributesW(const char16_t* fileName, std::uint32_t attributes) override;
    std::uint32_t GetPrivateProfileStringW(const char16_t* section, const char16_t* key,
                                           const char16_t* defaultValue, char16_t* returned,
                                           std::uint32_t size, const char16_t* fileName) override;
};

}  // namespace kelvane

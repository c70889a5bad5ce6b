#pragma once

#include "platform/Files.h"

namespace kelvane {

// Files on Linux. File attributes come down to the owner's write permission, and INI files
// are read by our own private-profile reader.
class LinuxFiles final : public Files {
public:
    // INI files larger than this are not read; their values are the defaults.
    static constexpr std::size_t kLargestProfile = 64 * 1024 * 1024;

    std::uint32_t GetCurrentDirectoryW(std::uint32_t capacity, char16_t* buffer) override;
    bool SetFileAttributesW(const char16_t* fileName, std::uint32_t attributes) override;
    std::uint32_t GetPrivateProfileStringW(const char16_t* section, const char16_t* key,
                                           const char16_t* defaultValue, char16_t* returned,
                                           std::uint32_t size, const char16_t* fileName) override;
};

}  // namespace kelvane

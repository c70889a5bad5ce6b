#pragma once

#include <cstdint>

namespace kelvane {

inline constexpr std::uint32_t kFileAttributeReadOnly = 0x01;
inline constexpr std::uint32_t kFileAttributeHidden = 0x02;
inline constexpr std::uint32_t kFileAttributeNormalOnly = 0x80;

// The current directory, file attributes and private-profile (INI) reads.
class Files {
public:
    virtual ~Files() = default;

    // Writes the current directory and returns its length without the terminator. When it does
    // not fit `capacity` characters, writes nothing and returns the capacity it needs, terminator
    // included; 0 on failure.
    virtual std::uint32_t GetCurrentDirectoryW(std::uint32_t capacity, char16_t* buffer) = 0;

    // FILE_ATTRIBUTE_NORMAL clears read-only, hidden, system and archive.
    virtual bool SetFileAttributesW(const char16_t* fileName, std::uint32_t attributes) = 0;

    // Copies the value of `key` in `section` of the INI file, or `defaultValue` when the file,
    // the section or the key is missing, keeping at most size - 1 characters and a terminator.
    // Returns the characters copied.
    virtual std::uint32_t GetPrivateProfileStringW(const char16_t* section, const char16_t* key,
                                                   const char16_t* defaultValue, char16_t* returned,
                                                   std::uint32_t size,
                                                   const char16_t* fileName) = 0;
};

}  // namespace kelvane

#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/Files.h"

namespace kelvane::testing {

// A current directory and a few files in memory; INI files are read by the same rules as on
// Linux.
class FakeFiles final : public Files {
public:
    struct File {
        std::string bytes;  // as stored on disk: UTF-8, or UTF-16LE after FF FE
        std::uint32_t attributes = kFileAttributeNormalOnly;
    };
    struct ProfileRead {
        std::u16string section;
        std::u16string key;
        std::u16string defaultText;
        std::u16string fileName;
        std::uint32_t size;
    };

    std::u16string currentDirectory = u"/home/lumo/updates";
    std::map<std::u16string, File> files;

    std::vector<ProfileRead> profileReads;
    std::vector<std::pair<std::u16string, std::uint32_t>> attributeChanges;
    int currentDirectoryCalls = 0;

    std::uint32_t GetCurrentDirectoryW(std::uint32_t capacity, char16_t* buffer) override;
    bool SetFileAttributesW(const char16_t* fileName, std::uint32_t attributes) override;
    std::uint32_t GetPrivateProfileStringW(const char16_t* section, const char16_t* key,
                                           const char16_t* defaultValue, char16_t* returned,
                                           std::uint32_t size, const char16_t* fileName) override;
};

}  // namespace kelvane::testing

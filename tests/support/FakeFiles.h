#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/Files.h"

namespace kelvane::testing {

// INI files in memory. File names match exactly; section and key names ignoring case.
class FakeFiles final : public Files {
public:
    using Section = std::map<std::u16string, std::u16string>;
    using IniFile = std::map<std::u16string, Section>;

    std::map<std::u16string, IniFile> iniFiles;

    struct ProfileRead {
        std::u16string section;
        std::u16string key;
        std::u16string defaultText;
        std::uint32_t size = 0;
        std::u16string fileName;
    };
    std::vector<ProfileRead> profileReads;

    std::uint32_t GetPrivateProfileStringW(const char16_t* appName, const char16_t* keyName,
                                           const char16_t* defaultText, char16_t* returnedString,
                                           std::uint32_t size, const char16_t* fileName) override;
};

}  // namespace kelvane::testing

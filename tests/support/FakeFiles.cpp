#include "tests/support/FakeFiles.h"

#include <algorithm>

#include "platform/PrivateProfile.h"

namespace kelvane::testing {

std::uint32_t FakeFiles::GetCurrentDirectoryW(std::uint32_t capacity, char16_t* buffer) {
    ++currentDirectoryCalls;
    const auto needed = static_cast<std::uint32_t>(currentDirectory.size() + 1);
    if (buffer == nullptr || capacity < needed) {
        return needed;
    }
    std::copy(currentDirectory.begin(), currentDirectory.end(), buffer);
    buffer[currentDirectory.size()] = u'\0';
    return needed - 1;
}

bool FakeFiles::SetFileAttributesW(const char16_t* fileName, std::uint32_t attributes) {
    const std::u16string name = fileName != nullptr ? fileName : u"";
    attributeChanges.emplace_back(name, attributes);
    const auto file = files.find(name);
    if (file == files.end()) {
        return false;
    }
    file->second.attributes = attributes;
    return true;
}

std::uint32_t FakeFiles::GetPrivateProfileStringW(const char16_t* section, const char16_t* key,
                                                  const char16_t* defaultValue, char16_t* returned,
                                                  std::uint32_t size, const char16_t* fileName) {
    profileReads.push_back({section != nullptr ? section : u"", key != nullptr ? key : u"",
                            defaultValue != nullptr ? defaultValue : u"",
                            fileName != nullptr ? fileName : u"", size});
    if (returned == nullptr || size == 0) {
        return 0;
    }
    std::u16string value = defaultValue != nullptr ? defaultValue : u"";
    const auto file = files.find(fileName != nullptr ? fileName : u"");
    if (file != files.end() && section != nullptr && key != nullptr) {
        std::u16string found;
        if (FindProfileValue(DecodeProfileText(file->second.bytes), section, key, found)) {
            value = std::move(found);
        }
    }
    const std::size_t copied = std::min<std::size_t>(value.size(), size - 1);
    std::copy_n(value.begin(), copied, returned);
    returned[copied] = u'\0';
    return static_cast<std::uint32_t>(copied);
}

}  // namespace kelvane::testing

#include "tests/support/FakeFiles.h"

#include <algorithm>
#include <string_view>

#include "common/WideText.h"

namespace kelvane::testing {
namespace {

std::u16string_view OrEmpty(const char16_t* text) {
    return text != nullptr ? std::u16string_view(text) : std::u16string_view();
}

template <typename Map>
auto FindIgnoringCase(const Map& map, std::u16string_view name) {
    return std::find_if(map.begin(), map.end(), [&](const auto& entry) {
        return EqualsIgnoreAsciiCase(entry.first, name);
    });
}

}  // namespace

std::uint32_t FakeFiles::GetPrivateProfileStringW(const char16_t* appName, const char16_t* keyName,
                                                  const char16_t* defaultText,
                                                  char16_t* returnedString, std::uint32_t size,
                                                  const char16_t* fileName) {
    profileReads.push_back({std::u16string(OrEmpty(appName)), std::u16string(OrEmpty(keyName)),
                            std::u16string(OrEmpty(defaultText)), size,
                            std::u16string(OrEmpty(fileName))});
    if (returnedString == nullptr || size == 0) {
        return 0;
    }
    std::u16string_view result = OrEmpty(defaultText);
    if (const auto file = iniFiles.find(std::u16string(OrEmpty(fileName)));
        file != iniFiles.end()) {
        if (const auto section = FindIgnoringCase(file->second, OrEmpty(appName));
            section != file->second.end()) {
            if (const auto key = FindIgnoringCase(section->second, OrEmpty(keyName));
                key != section->second.end()) {
                result = key->second;
            }
        }
    }
    const std::size_t length = std::min<std::size_t>(result.size(), size - 1);
    std::copy_n(result.begin(), length, returnedString);
    returnedString[length] = u'\0';
    return static_cast<std::uint32_t>(length);
}

}  // namespace kelvane::testing

#include "lang/UiLanguage.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "common/WideText.h"
#include "lang/WindowsVersion.h"

namespace kelvane {
namespace {

// Windows Me, and every NT system from Windows 2000 on, has the interface-language query.
constexpr std::uint16_t kWinVerMe = 4;
constexpr std::size_t kSystemPathCapacity = 512;
constexpr std::u16string_view kKernelLibrary = u"\\KERNEL32.DLL";

constexpr std::uint16_t kPrimaryChinese = 0x04;
constexpr std::uint16_t kSubLanguageTraditional = 1;
constexpr std::uint16_t kSubLanguageSimplified = 2;

constexpr std::array<const char16_t*, 16> kCodes = {u"eng", u"eng", u"cht", u"chs", u"frn", u"ger",
                                                    u"ita", u"spn", u"jpn", u"krn", u"prt", u"rus",
                                                    u"pol", u"prs", u"ido", u"ara"};

// The interface language as the kernel library reports it, if the library and its query exist.
bool QueryUiLanguage(SystemQueries& system, std::uint16_t& languageId) {
    std::array<char16_t, kSystemPathCapacity> path{};
    const std::uint32_t reported =
        system.GetSystemDirectoryW(path.data(), static_cast<std::uint32_t>(path.size()));
    // A failed query, or a directory too long for the buffer, gives no path to load from.
    if (reported == 0 || reported >= path.size()) {
        return false;
    }
    const std::size_t length = BoundedLength(path.data(), path.size());
    if (!CopyIfFits(path.data() + length, path.size() - length, kKernelLibrary)) {
        return false;
    }
    const ModuleHandle kernel = system.LoadLibraryW(path.data());
    if (kernel.IsNull()) {
        return false;
    }
    const ProcAddress query = system.GetProcAddress(kernel, "GetUserDefaultUILanguage");
    const bool found = !query.IsNull();
    if (found) {
        languageId = system.GetUserDefaultUILanguage(query);
    }
    system.FreeLibrary(kernel);
    return found;
}

}  // namespace

std::uint16_t LanguageIndexFromId(std::uint16_t languageId) {
    const auto primary = static_cast<std::uint16_t>(languageId & 0x3FF);
    const auto subLanguage = static_cast<std::uint16_t>(languageId >> 10);
    switch (primary) {
        case 0x01:
            return 15;  // Arabic
        case kPrimaryChinese:
            if (subLanguage == kSubLanguageTraditional) {
                return 2;
            }
            return subLanguage == kSubLanguageSimplified ? 3 : kLanguageEnglish;
        case 0x07:
            return 5;  // German
        case 0x0A:
            return 7;  // Spanish
        case 0x0C:
            return 4;  // French
        case 0x10:
            return 6;  // Italian
        case 0x11:
            return 8;  // Japanese
        case 0x12:
            return 9;  // Korean
        case 0x15:
            return 12;  // Polish
        case 0x16:
            return 10;  // Portuguese
        case 0x19:
            return 11;  // Russian
        case 0x21:
            return 14;  // Indonesian
        case 0x29:
            return 13;  // Persian
        default:
            return kLanguageEnglish;
    }
}

const char16_t* LanguageCodeFromIndex(std::uint16_t index) {
    return index < kCodes.size() ? kCodes[index] : kCodes[kLanguageEnglish];
}

std::uint16_t GetUiLanguageIndex(SystemQueries& system) {
    std::uint16_t languageId = 0;
    const bool haveUiLanguage =
        GetWindowsVersionCode(system) >= kWinVerMe && QueryUiLanguage(system, languageId);
    if (!haveUiLanguage) {
        languageId = system.GetUserDefaultLangID();
    }
    return LanguageIndexFromId(languageId);
}

void AppendLanguageCode(SystemQueries& system, std::span<char16_t> buffer) {
    const std::u16string_view code = LanguageCodeFromIndex(GetUiLanguageIndex(system));
    const std::size_t used = BoundedLength(buffer.data(), buffer.size());
    if (used < buffer.size()) {
        CopyIfFits(buffer.data() + used, buffer.size() - used, code);
    }
}

}  // namespace kelvane

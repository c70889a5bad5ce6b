#include "platform/linux/LinuxUiLanguage.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>

namespace kelvane {
namespace {

constexpr std::uint16_t kEnglishUnitedStates = 0x0409;
constexpr std::uint16_t kChineseNeutral = 0x0004;
constexpr std::uint16_t kChineseTaiwan = 0x0404;
constexpr std::uint16_t kChineseChina = 0x0804;

struct LanguageEntry {
    std::string_view language;
    std::uint16_t id;
};

// The language's own identifier, used for a name without territory or with one not listed below.
constexpr std::array<LanguageEntry, 13> kLanguages{{
    {"ar", 0x0401},
    {"de", 0x0407},
    {"en", 0x0409},
    {"es", 0x0C0A},
    {"fa", 0x0429},
    {"fr", 0x040C},
    {"id", 0x0421},
    {"it", 0x0410},
    {"ja", 0x0411},
    {"ko", 0x0412},
    {"pl", 0x0415},
    {"pt", 0x0416},
    {"ru", 0x0419},
}};

struct TerritoryEntry {
    std::string_view language;
    std::string_view territory;
    std::uint16_t id;
};

constexpr std::array<TerritoryEntry, 38> kTerritories{{
    {"ar", "IQ", 0x0801}, {"ar", "EG", 0x0C01}, {"ar", "MA", 0x1801}, {"ar", "AE", 0x3801},
    {"de", "CH", 0x0807}, {"de", "AT", 0x0C07}, {"de", "LU", 0x1007}, {"de", "LI", 0x1407},
    {"en", "GB", 0x0809}, {"en", "AU", 0x0C09}, {"en", "CA", 0x1009}, {"en", "NZ", 0x1409},
    {"en", "IE", 0x1809}, {"en", "ZA", 0x1C09}, {"en", "IN", 0x4009}, {"en", "SG", 0x4809},
    {"es", "MX", 0x080A}, {"es", "CO", 0x240A}, {"es", "AR", 0x2C0A}, {"es", "CL", 0x340A},
    {"es", "US", 0x540A}, {"fr", "BE", 0x080C}, {"fr", "CA", 0x0C0C}, {"fr", "CH", 0x100C},
    {"fr", "LU", 0x140C}, {"it", "CH", 0x0810}, {"pt", "PT", 0x0816}, {"ru", "MD", 0x0819},
    {"zh", "TW", 0x0404}, {"zh", "CN", 0x0804}, {"zh", "HK", 0x0C04}, {"zh", "SG", 0x1004},
    {"zh", "MO", 0x1404}, {"de", "DE", 0x0407}, {"fr", "FR", 0x040C}, {"pt", "BR", 0x0416},
    {"es", "ES", 0x0C0A}, {"en", "US", 0x0409},
}};

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return Lower(x) == Lower(y); });
}

struct LocaleParts {
    std::string_view language;
    std::string_view script;
    std::string_view territory;
};

// "language[_Script][_TERRITORY][.codeset][@modifier]"; the codeset and modifier do not matter.
LocaleParts Split(std::string_view name) {
    name = name.substr(0, std::min(name.find_first_of(".@"), name.size()));
    LocaleParts parts;
    bool first = true;
    while (!name.empty()) {
        const std::size_t end = std::min(name.find_first_of("_-"), name.size());
        const std::string_view part = name.substr(0, end);
        name.remove_prefix(std::min(end + 1, name.size()));
        if (first) {
            parts.language = part;
            first = false;
        } else if (part.size() == 4 && parts.script.empty() && parts.territory.empty()) {
            parts.script = part;
        } else if (parts.territory.empty()) {
            parts.territory = part;
        }
    }
    return parts;
}

std::optional<std::uint16_t> TerritoryId(std::string_view language, std::string_view territory) {
    for (const TerritoryEntry& entry : kTerritories) {
        if (entry.language == language && EqualsIgnoringCase(entry.territory, territory)) {
            return entry.id;
        }
    }
    return std::nullopt;
}

std::uint16_t ChineseId(const LocaleParts& parts) {
    if (const auto id = TerritoryId("zh", parts.territory)) {
        return *id;
    }
    if (EqualsIgnoringCase(parts.script, "Hant")) {
        return kChineseTaiwan;
    }
    if (EqualsIgnoringCase(parts.script, "Hans")) {
        return kChineseChina;
    }
    return parts.territory.empty() ? kChineseChina : kChineseNeutral;
}

// Whether the name is of a language that has an identifier of its own above.
bool IsMappedLanguage(std::string_view name) {
    const std::string_view language = Split(name).language;
    return EqualsIgnoringCase(language, "zh") ||
           std::any_of(kLanguages.begin(), kLanguages.end(), [&](const LanguageEntry& entry) {
               return EqualsIgnoringCase(entry.language, language);
           });
}

const char* Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? value : nullptr;
}

// The first of the variables that is set and not empty.
std::uint16_t FromFirstSet(std::initializer_list<const char*> names) {
    for (const char* name : names) {
        if (const char* value = Variable(name)) {
            return LanguageIdFromLocaleName(value);
        }
    }
    return kEnglishUnitedStates;
}

}  // namespace

std::uint16_t LanguageIdFromLocaleName(std::string_view name) {
    const LocaleParts parts = Split(name);
    std::array<char, 2> language{};
    if (parts.language.size() != language.size()) {
        return kEnglishUnitedStates;
    }
    std::transform(parts.language.begin(), parts.language.end(), language.begin(), Lower);
    const std::string_view code(language.data(), language.size());
    if (code == "zh") {
        return ChineseId(parts);
    }
    for (const LanguageEntry& entry : kLanguages) {
        if (entry.language == code) {
            return TerritoryId(code, parts.territory).value_or(entry.id);
        }
    }
    return kEnglishUnitedStates;
}

std::uint16_t UiLanguageIdFromEnvironment() {
    if (const char* list = Variable("LANGUAGE")) {
        std::string_view entries(list);
        bool anyEntry = false;
        while (!entries.empty()) {
            const std::size_t end = std::min(entries.find(':'), entries.size());
            const std::string_view entry = entries.substr(0, end);
            entries.remove_prefix(std::min(end + 1, entries.size()));
            if (entry.empty()) {
                continue;
            }
            anyEntry = true;
            if (IsMappedLanguage(entry)) {
                return LanguageIdFromLocaleName(entry);
            }
        }
        // The user named only languages the program does not know.
        if (anyEntry) {
            return kEnglishUnitedStates;
        }
    }
    return FromFirstSet({"LC_ALL", "LC_MESSAGES", "LANG"});
}

std::uint16_t LocaleLanguageIdFromEnvironment() {
    return FromFirstSet({"LC_ALL", "LC_CTYPE", "LANG"});
}

}  // namespace kelvane

#include "platform/linux/LinuxUiLanguage.h"

#include <gtest/gtest.h>

#include <ostream>

#include <array>
#include <cstdlib>
#include <optional>
#include <string>

#include "common/WideText.h"
#include "lang/UiLanguage.h"
#include "lang/WindowsVersion.h"
#include "platform/linux/LinuxSystemQueries.h"

namespace kelvane {
namespace {

// ---- Locale names -----------------------------------------------------------------------------

struct NameCase {
    const char* name;
    const char* locale;
    std::uint16_t languageId;

    friend void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }
};

class LocaleNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(LocaleNameTest, MapsToAWindowsLanguageIdentifier) {
    EXPECT_EQ(LanguageIdFromLocaleName(GetParam().locale), GetParam().languageId);
}

std::string NameCaseName(const ::testing::TestParamInfo<NameCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, LocaleNameTest,
    ::testing::Values(
        NameCase{"ChineseTaiwan", "zh_TW.UTF-8", 0x0404},
        NameCase{"ChineseTraditionalScript", "zh_Hant", 0x0404},
        NameCase{"ChineseChina", "zh_CN.GB2312", 0x0804},
        NameCase{"ChineseSimplifiedScript", "zh_Hans", 0x0804},
        NameCase{"ChineseHongKong", "zh_HK.UTF-8", 0x0C04},
        NameCase{"ChineseSingapore", "zh_SG", 0x1004}, NameCase{"ChineseMacao", "zh_MO", 0x1404},
        NameCase{"ChineseTerritoryBeforeScript", "zh_Hant_HK", 0x0C04},
        NameCase{"ChineseScriptWithOtherTerritory", "zh_Hant_US", 0x0404},
        NameCase{"ChineseOtherTerritory", "zh_MY", 0x0004}, NameCase{"ChineseAlone", "zh", 0x0804},
        NameCase{"ChineseWithHyphens", "zh-TW", 0x0404},
        NameCase{"GermanSwitzerland", "de_CH.UTF-8", 0x0807},
        NameCase{"GermanGermanyWithModifier", "de_DE@euro", 0x0407},
        NameCase{"GermanOtherTerritory", "de_BE", 0x0407},
        NameCase{"EnglishUnitedKingdom", "en_GB.UTF-8", 0x0809},
        NameCase{"FrenchCanada", "fr_CA", 0x0C0C}, NameCase{"Italian", "it_IT", 0x0410},
        NameCase{"SpanishSpain", "es_ES.UTF-8", 0x0C0A}, NameCase{"SpanishMexico", "es_MX", 0x080A},
        NameCase{"Japanese", "ja_JP.eucJP", 0x0411}, NameCase{"Korean", "ko_KR", 0x0412},
        NameCase{"PortugueseBrazil", "pt_BR", 0x0416},
        NameCase{"PortuguesePortugal", "pt_PT", 0x0816}, NameCase{"Russian", "ru_RU", 0x0419},
        NameCase{"Polish", "pl_PL", 0x0415}, NameCase{"Persian", "fa_IR", 0x0429},
        NameCase{"Indonesian", "id_ID", 0x0421}, NameCase{"ArabicEgypt", "ar_EG", 0x0C01},
        NameCase{"UpperCaseLanguage", "DE_ch", 0x0807},
        NameCase{"OutsideTheTable", "nl_NL.UTF-8", 0x0409},
        NameCase{"ThreeLetterLanguage", "ast_ES", 0x0409},
        NameCase{"LanguageWithModifierOnly", "sr@latin", 0x0409},
        NameCase{"CLocale", "C.UTF-8", 0x0409}, NameCase{"Posix", "POSIX", 0x0409},
        NameCase{"Empty", "", 0x0409}),
    NameCaseName);

// ---- The environment --------------------------------------------------------------------------

// Clears the language variables for each test and puts them back afterwards.
class EnvironmentTest : public ::testing::Test {
protected:
    static constexpr std::array<const char*, 5> kVariables = {"LANGUAGE", "LC_ALL", "LC_MESSAGES",
                                                              "LC_CTYPE", "LANG"};

    void SetUp() override {
        for (std::size_t i = 0; i < kVariables.size(); ++i) {
            if (const char* value = std::getenv(kVariables[i])) {
                m_saved[i] = value;
            }
            ::unsetenv(kVariables[i]);
        }
    }

    void TearDown() override {
        for (std::size_t i = 0; i < kVariables.size(); ++i) {
            if (m_saved[i]) {
                ::setenv(kVariables[i], m_saved[i]->c_str(), 1);
            } else {
                ::unsetenv(kVariables[i]);
            }
        }
    }

    static void Set(const char* name, const char* value) {
        if (value != nullptr) {
            ::setenv(name, value, 1);
        }
    }

private:
    std::array<std::optional<std::string>, kVariables.size()> m_saved;
};

struct EnvironmentCase {
    const char* name;
    const char* language;
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    std::uint16_t languageId;

    friend void PrintTo(const EnvironmentCase& c, std::ostream* os) { *os << c.name; }
};

class UiLanguageEnvironmentTest : public EnvironmentTest,
                                  public ::testing::WithParamInterface<EnvironmentCase> {};

TEST_P(UiLanguageEnvironmentTest, ReadsTheVariablesInQtsOrder) {
    const EnvironmentCase& c = GetParam();
    Set("LANGUAGE", c.language);
    Set("LC_ALL", c.lcAll);
    Set("LC_MESSAGES", c.lcMessages);
    Set("LANG", c.lang);
    // The character type names no interface language.
    Set("LC_CTYPE", "ko_KR.UTF-8");
    EXPECT_EQ(UiLanguageIdFromEnvironment(), c.languageId);
}

std::string EnvironmentName(const ::testing::TestParamInfo<EnvironmentCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Variables, UiLanguageEnvironmentTest,
    ::testing::Values(
        EnvironmentCase{"NothingSet", nullptr, nullptr, nullptr, nullptr, 0x0409},
        EnvironmentCase{"LangAlone", nullptr, nullptr, nullptr, "zh_TW.UTF-8", 0x0404},
        EnvironmentCase{"MessagesOverLang", nullptr, nullptr, "de_CH.UTF-8", "zh_TW.UTF-8", 0x0807},
        EnvironmentCase{"AllOverMessages", nullptr, "fr_CA.UTF-8", "de_DE.UTF-8", "zh_TW.UTF-8",
                        0x0C0C},
        EnvironmentCase{"LanguageOverAll", "zh_CN:en_US", "de_DE.UTF-8", nullptr, nullptr, 0x0804},
        EnvironmentCase{"LanguageFirstKnownEntry", "nl:pt_BR:en", nullptr, nullptr, "de_DE",
                        0x0416},
        EnvironmentCase{"LanguageOnlyUnknownEntries", "nl:sv", nullptr, nullptr, "de_DE", 0x0409},
        EnvironmentCase{"EmptyLanguageIsUnset", "", nullptr, nullptr, "ja_JP.UTF-8", 0x0411},
        EnvironmentCase{"LanguageOfSeparatorsOnly", "::", nullptr, nullptr, "ru_RU.UTF-8", 0x0419},
        EnvironmentCase{"EmptyAllIsUnset", nullptr, "", nullptr, "it_IT.UTF-8", 0x0410},
        EnvironmentCase{"CLocale", nullptr, nullptr, nullptr, "C", 0x0409}),
    EnvironmentName);

TEST_F(EnvironmentTest, LocaleLanguageFollowsTheCharacterType) {
    Set("LANG", "ja_JP.UTF-8");
    EXPECT_EQ(LocaleLanguageIdFromEnvironment(), 0x0411);
    Set("LC_MESSAGES", "de_DE.UTF-8");
    EXPECT_EQ(LocaleLanguageIdFromEnvironment(), 0x0411) << "messages are no locale";
    Set("LC_CTYPE", "ko_KR.UTF-8");
    EXPECT_EQ(LocaleLanguageIdFromEnvironment(), 0x0412);
    Set("LC_ALL", "pl_PL.UTF-8");
    EXPECT_EQ(LocaleLanguageIdFromEnvironment(), 0x0415);
}

TEST_F(EnvironmentTest, SystemQueriesGiveTheCodeOfTheEnvironmentsLanguage) {
    Set("LANG", "zh_TW.UTF-8");
    Set("LC_CTYPE", "zh_CN.UTF-8");
    LinuxSystemQueries system;

    std::array<char16_t, 32> code{};
    AppendLanguageCode(system, code);
    EXPECT_EQ(BufferText(code.data(), code.size()), u"cht")
        << "the interface language, not the locale";

    ::setenv("LANG", "en_US.UTF-8", 1);
    ::setenv("LANGUAGE", "de_CH", 1);
    EXPECT_EQ(GetUiLanguageIndex(system), 5) << "asked again, not cached";
}

// ---- The system ---------------------------------------------------------------------------------

TEST(LinuxSystemQueries, ReportTheNewestWindowsFamily) {
    LinuxSystemQueries system;
#if defined(__x86_64__)
    EXPECT_EQ(GetWindowsVersionCode(system), 15);
#else
    EXPECT_EQ(GetWindowsVersionCode(system), 14);
#endif
}

TEST(LinuxSystemQueries, KernelLibraryLoadsOnlyFromTheSystemDirectory) {
    LinuxSystemQueries system;
    std::array<char16_t, 512> directory{};
    const std::uint32_t length = system.GetSystemDirectoryW(directory.data(), 512);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(system.GetSystemDirectoryW(directory.data(), length), length + 1)
        << "too small a buffer gets the size needed";
    const std::u16string dir(BufferText(directory.data(), directory.size()));

    EXPECT_FALSE(system.LoadLibraryW((dir + u"/KERNEL32.DLL").c_str()).IsNull());
    EXPECT_TRUE(system.LoadLibraryW(u"KERNEL32.DLL").IsNull());
    EXPECT_TRUE(system.LoadLibraryW((dir + u"\\user32.dll").c_str()).IsNull());

    const ModuleHandle kernel = system.LoadLibraryW((dir + u"\\kernel32.dll").c_str());
    ASSERT_FALSE(kernel.IsNull());
    EXPECT_FALSE(system.GetProcAddress(kernel, "GetUserDefaultUILanguage").IsNull());
    EXPECT_TRUE(system.GetProcAddress(kernel, "GetUserDefaultLangID").IsNull());
    EXPECT_TRUE(system.FreeLibrary(kernel));
    EXPECT_TRUE(system.FreeLibrary(kernel));
    EXPECT_FALSE(system.FreeLibrary(kernel)) << "freed as often as loaded";
    EXPECT_TRUE(system.GetProcAddress(kernel, "GetUserDefaultUILanguage").IsNull());
}

}  // namespace
}  // namespace kelvane

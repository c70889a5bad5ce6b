#include "lang/UiLanguage.h"

#include <gtest/gtest.h>

#include <ostream>

#include <array>
#include <string>
#include <vector>

#include "common/WideText.h"
#include "tests/support/FakeSystemQueries.h"

namespace kelvane {
namespace {

using testing::FakeSystemQueries;

// ---- Identifier to index to code --------------------------------------------------------------

struct IdentifierCase {
    const char* name;
    std::uint16_t languageId;
    std::uint16_t index;
    std::u16string_view code;

    friend void PrintTo(const IdentifierCase& c, std::ostream* os) { *os << c.name; }
};

class LanguageIdentifierTest : public ::testing::TestWithParam<IdentifierCase> {};

TEST_P(LanguageIdentifierTest, GivesIndexAndCode) {
    const IdentifierCase& c = GetParam();
    const std::uint16_t index = LanguageIndexFromId(c.languageId);
    EXPECT_EQ(index, c.index);
    EXPECT_EQ(std::u16string_view(LanguageCodeFromIndex(index)), c.code);
}

std::string IdentifierName(const ::testing::TestParamInfo<IdentifierCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Identifiers, LanguageIdentifierTest,
    ::testing::Values(
        IdentifierCase{"ChineseTaiwan", 0x0404, 2, u"cht"},
        IdentifierCase{"ChineseChina", 0x0804, 3, u"chs"},
        IdentifierCase{"ChineseHongKong", 0x0C04, 1, u"eng"},
        IdentifierCase{"ChineseSingapore", 0x1004, 1, u"eng"},
        IdentifierCase{"ChineseMacao", 0x1404, 1, u"eng"},
        IdentifierCase{"ChineseNeutral", 0x0004, 1, u"eng"},
        IdentifierCase{"EnglishUnitedStates", 0x0409, 1, u"eng"},
        IdentifierCase{"EnglishUnitedKingdom", 0x0809, 1, u"eng"},
        IdentifierCase{"French", 0x040C, 4, u"frn"},
        IdentifierCase{"GermanGermany", 0x0407, 5, u"ger"},
        IdentifierCase{"GermanSwitzerland", 0x0807, 5, u"ger"},
        IdentifierCase{"Italian", 0x0410, 6, u"ita"},
        IdentifierCase{"SpanishModernSort", 0x0C0A, 7, u"spn"},
        IdentifierCase{"Japanese", 0x0411, 8, u"jpn"}, IdentifierCase{"Korean", 0x0412, 9, u"krn"},
        IdentifierCase{"PortugueseBrazil", 0x0416, 10, u"prt"},
        IdentifierCase{"PortuguesePortugal", 0x0816, 10, u"prt"},
        IdentifierCase{"Russian", 0x0419, 11, u"rus"}, IdentifierCase{"Polish", 0x0415, 12, u"pol"},
        IdentifierCase{"Persian", 0x0429, 13, u"prs"},
        IdentifierCase{"Indonesian", 0x0421, 14, u"ido"},
        IdentifierCase{"Arabic", 0x0401, 15, u"ara"}, IdentifierCase{"Zero", 0x0000, 1, u"eng"},
        IdentifierCase{"PrimaryAboveTheTable", 0x002A, 1, u"eng"},
        // The highest sub-language still leaves the primary language alone.
        IdentifierCase{"HighSubLanguage", 0xFC07, 5, u"ger"},
        IdentifierCase{"ChineseHighSubLanguage", 0xFC04, 1, u"eng"}),
    IdentifierName);

TEST(LanguageCodeFromIndex, OutsideTwoToFifteenGivesEng) {
    for (const std::uint16_t index : std::initializer_list<std::uint16_t>{0, 1, 16, 0xFFFF}) {
        EXPECT_EQ(std::u16string_view(LanguageCodeFromIndex(index)), u"eng") << index;
    }
}

// ---- The system's language ---------------------------------------------------------------------

struct SystemCase {
    const char* name;
    std::uint32_t platform;
    std::uint32_t major;
    std::uint32_t minor;
    bool systemDirectoryFails;
    bool kernelLoads;
    bool hasQuery;
    std::uint16_t expectedIndex;
    std::vector<std::u16string> expectedCalls;

    friend void PrintTo(const SystemCase& c, std::ostream* os) { *os << c.name; }
};

class SystemLanguageTest : public ::testing::TestWithParam<SystemCase> {};

// The interface language is Traditional Chinese, the locale Simplified Chinese, so the index
// tells which of the two was asked.
TEST_P(SystemLanguageTest, AsksTheInterfaceLanguageFromVersionCodeFourOn) {
    const SystemCase& c = GetParam();
    FakeSystemQueries system;
    system.platformId = c.platform;
    system.major = c.major;
    system.minor = c.minor;
    system.systemDirectoryFails = c.systemDirectoryFails;
    system.kernelLibraryLoads = c.kernelLoads;
    system.kernelHasUiLanguageQuery = c.hasQuery;
    system.uiLanguage = 0x0404;
    system.localeLanguage = 0x0804;

    EXPECT_EQ(GetUiLanguageIndex(system), c.expectedIndex);
    EXPECT_EQ(system.languageCalls, c.expectedCalls);
    EXPECT_EQ(system.loadedLibraries, 0) << "the kernel library is released";
}

std::string SystemName(const ::testing::TestParamInfo<SystemCase>& info) {
    return info.param.name;
}

const std::u16string kKernelPath = u"LoadLibraryW C:\\WINDOWS\\system32\\KERNEL32.DLL";
const std::u16string kQueryLookup = u"GetProcAddress GetUserDefaultUILanguage";

INSTANTIATE_TEST_SUITE_P(
    Systems, SystemLanguageTest,
    ::testing::Values(
        SystemCase{"Windows10",
                   2,
                   10,
                   0,
                   false,
                   true,
                   true,
                   2,
                   {u"GetSystemDirectoryW", kKernelPath, kQueryLookup, u"GetUserDefaultUILanguage",
                    u"FreeLibrary"}},
        SystemCase{"WindowsMe",
                   1,
                   4,
                   90,
                   false,
                   true,
                   true,
                   2,
                   {u"GetSystemDirectoryW", kKernelPath, kQueryLookup, u"GetUserDefaultUILanguage",
                    u"FreeLibrary"}},
        SystemCase{
            "Windows98UsesTheLocale", 1, 4, 10, false, true, true, 3, {u"GetUserDefaultLangID"}},
        SystemCase{"Nt4UsesTheLocale", 2, 4, 0, false, true, true, 3, {u"GetUserDefaultLangID"}},
        SystemCase{"KernelLibraryDoesNotLoad",
                   2,
                   5,
                   0,
                   false,
                   false,
                   true,
                   3,
                   {u"GetSystemDirectoryW", kKernelPath, u"GetUserDefaultLangID"}},
        SystemCase{"QueryNotInTheLibrary",
                   2,
                   5,
                   0,
                   false,
                   true,
                   false,
                   3,
                   {u"GetSystemDirectoryW", kKernelPath, kQueryLookup, u"FreeLibrary",
                    u"GetUserDefaultLangID"}},
        SystemCase{"NoSystemDirectory",
                   2,
                   6,
                   1,
                   true,
                   true,
                   true,
                   3,
                   {u"GetSystemDirectoryW", u"GetUserDefaultLangID"}}),
    SystemName);

TEST(GetUiLanguageIndex, SystemDirectoryTooLongForThePathIsNotLoadedFrom) {
    FakeSystemQueries system;
    system.uiLanguage = 0x0404;
    system.localeLanguage = 0x0804;
    // 500 characters fit the 512-character buffer, but not with "\KERNEL32.DLL" after them.
    system.systemDirectory = u"C:\\" + std::u16string(497, u'd');
    EXPECT_EQ(GetUiLanguageIndex(system), 3);
    EXPECT_EQ(system.languageCalls,
              (std::vector<std::u16string>{u"GetSystemDirectoryW", u"GetUserDefaultLangID"}));
}

// ---- AppendLanguageCode -----------------------------------------------------------------------

TEST(AppendLanguageCode, AppendsAfterTheBuffersText) {
    FakeSystemQueries system;
    system.uiLanguage = 0x0409;
    std::array<char16_t, 32> buffer{u'x'};
    AppendLanguageCode(system, buffer);
    EXPECT_EQ(BufferText(buffer.data(), buffer.size()), u"xeng");

    system.uiLanguage = 0x0804;
    std::array<char16_t, 32> empty{};
    AppendLanguageCode(system, empty);
    EXPECT_EQ(BufferText(empty.data(), empty.size()), u"chs");
}

TEST(AppendLanguageCode, LeavesABufferWithoutRoomForTheWholeCode) {
    FakeSystemQueries system;
    std::array<char16_t, 4> oneLetter{u'x'};
    AppendLanguageCode(system, oneLetter);
    EXPECT_EQ(BufferText(oneLetter.data(), oneLetter.size()), u"x");

    std::array<char16_t, 3> full{u'a', u'b', u'c'};
    AppendLanguageCode(system, full);
    EXPECT_EQ(std::u16string_view(full.data(), full.size()), u"abc") << "no terminator, no room";
}

}  // namespace
}  // namespace kelvane

#include "lang/LanguageIni.h"

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/WideText.h"
#include "res/ResourceIds.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/FakeWindowHost.h"
#include "tests/support/LanguageTableFile.h"

namespace kelvane {
namespace {

using testing::FakePlatform;
using testing::FakeResources;
using testing::ReadLanguageTableFile;
using testing::TableBytes;
using testing::Utf8;

constexpr std::u16string_view kPrompt = u"Please plug in Lumo";

// The table file as the program holds it after loading: its text and a terminator.
std::u16string TableFileText() {
    const std::vector<std::uint8_t> bytes = ReadLanguageTableFile();
    std::u16string text(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    return text;
}

class LanguageIniTest : public ::testing::Test {
protected:
    bool Load(std::vector<std::uint8_t> bytes) {
        fake.resources.resources.clear();
        fake.resources.Add(FakeResources::kProgramModule, kLanguageTableType, kLanguageTableId,
                           std::move(bytes));
        return ini.LoadFromResource(FakeResources::kProgramModule, kLanguageTableId,
                                    kLanguageTableType);
    }

    std::u16string Text(std::u16string_view key) {
        return ini.GetText(std::u16string(key).c_str());
    }

    FakePlatform fake;
    CLanguageIni ini{fake.platform()};
};

// ---- Lookups ----------------------------------------------------------------------------------

struct LookupCase {
    const char* name = "";
    // The table's text after its byte-order mark; none for the table file of the program.
    std::optional<std::u16string_view> table = std::nullopt;
    bool load = true;
    // SelectSection is called with each code in turn; the last call answers `selected`.
    std::vector<std::u16string_view> codes = {};
    bool selected = false;
    std::u16string_view key = {};
    std::u16string_view expected = {};

    friend void PrintTo(const LookupCase& c, std::ostream* os) { *os << c.name; }
};

class LookupTest : public LanguageIniTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(LookupTest, GivesTheValueOrTheKey) {
    const LookupCase& c = GetParam();
    if (c.load) {
        ASSERT_TRUE(Load(c.table ? TableBytes(*c.table) : ReadLanguageTableFile()));
    }
    bool selected = false;
    for (const std::u16string_view code : c.codes) {
        selected = ini.SelectSection(std::u16string(code).c_str());
    }
    EXPECT_EQ(selected, c.selected);
    EXPECT_EQ(Utf8(Text(c.key)), Utf8(c.expected));
}

std::string LookupName(const ::testing::TestParamInfo<LookupCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Tables, LookupTest,
    ::testing::Values(
        LookupCase{.name = "EngPrompt",
                   .codes = {u"eng"},
                   .selected = true,
                   .key = kPrompt,
                   .expected = kPrompt},
        LookupCase{.name = "EngCancel",
                   .codes = {u"eng"},
                   .selected = true,
                   .key = u"Cancel",
                   .expected = u"Cancel"},
        LookupCase{.name = "ChtPrompt",
                   .codes = {u"cht"},
                   .selected = true,
                   .key = kPrompt,
                   .expected = u"請插入 Lumo 印表機"},
        LookupCase{.name = "ChtCancel",
                   .codes = {u"cht"},
                   .selected = true,
                   .key = u"Cancel",
                   .expected = u"取消"},
        LookupCase{.name = "ChsPrompt",
                   .codes = {u"chs"},
                   .selected = true,
                   .key = kPrompt,
                   .expected = u"请插入 Lumo 打印机"},
        LookupCase{.name = "ChsCancel",
                   .codes = {u"chs"},
                   .selected = true,
                   .key = u"Cancel",
                   .expected = u"取消"},
        LookupCase{.name = "FrnPresentButEmpty",
                   .codes = {u"frn"},
                   .selected = true,
                   .key = kPrompt,
                   .expected = kPrompt},
        LookupCase{.name = "RusAbsent",
                   .codes = {u"rus"},
                   .selected = false,
                   .key = kPrompt,
                   .expected = kPrompt},
        LookupCase{.name = "CodeCaseMattersEng",
                   .codes = {u"ENG"},
                   .selected = false,
                   .key = u"Cancel",
                   .expected = u"Cancel"},
        LookupCase{.name = "CodeCaseMattersCht",
                   .codes = {u"CHT"},
                   .selected = false,
                   .key = u"Cancel",
                   .expected = u"Cancel"},
        LookupCase{.name = "KeyCaseMatters",
                   .codes = {u"cht"},
                   .selected = true,
                   .key = u"cancel",
                   .expected = u"cancel"},
        LookupCase{.name = "KeyOnlyInsideALine",
                   .codes = {u"eng"},
                   .selected = true,
                   .key = u"ancel",
                   .expected = u"ancel"},
        LookupCase{.name = "KeyOfAnotherSection",
                   .table = u"[eng]\r\nYes=Yes\r\n\r\n[cht]\r\nNo=否\r\n",
                   .codes = {u"eng"},
                   .selected = true,
                   .key = u"No",
                   .expected = u"No"},
        LookupCase{.name = "EmptyValue",
                   .table = u"[eng]\r\nCancel=\r\nOK=Okay\r\n",
                   .codes = {u"eng"},
                   .selected = true,
                   .key = u"Cancel",
                   .expected = u"Cancel"},
        LookupCase{
            .name = "EmptyKey", .codes = {u"eng"}, .selected = true, .key = u"", .expected = u""},
        LookupCase{.name = "EmptyCodeKeepsTheSelectedSection",
                   .codes = {u"cht", u""},
                   .selected = false,
                   .key = kPrompt,
                   .expected = u"請插入 Lumo 印表機"},
        LookupCase{.name = "ValueContainingABracketEndsTheSection",
                   .table = u"[eng]\r\nA=[x]\r\nCancel=Abbrechen\r\n",
                   .codes = {u"eng"},
                   .selected = true,
                   .key = u"Cancel",
                   .expected = u"Cancel"},
        LookupCase{.name = "LastHeaderWithoutLineEnd",
                   .table = u"[eng]\r\nCancel=Abbrechen\r\n\r\n[cht]",
                   .codes = {u"cht"},
                   .selected = false,
                   .key = u"Cancel",
                   .expected = u"Cancel"},
        LookupCase{.name = "LastEntryWithoutLineEnd",
                   .table = u"[eng]\r\nCancel=Abbrechen",
                   .codes = {u"eng"},
                   .selected = true,
                   .key = u"Cancel",
                   .expected = u"Abbrechen"},
        // The character after the header is skipped as the CR of its line end.
        LookupCase{.name = "HeaderEndingInLfAloneHidesTheFirstEntry",
                   .table = u"[eng]\nCancel=Abbrechen\nOK=Okay\n",
                   .codes = {u"eng"},
                   .selected = true,
                   .key = u"Cancel",
                   .expected = u"Cancel"},
        LookupCase{.name = "NothingLoaded",
                   .load = false,
                   .codes = {u"cht"},
                   .selected = true,
                   .key = kPrompt,
                   .expected = kPrompt}),
    LookupName);

// ---- Section bodies of the program's table ----------------------------------------------------

struct BodyCase {
    const char* name;
    std::u16string_view code;
    std::u16string_view body;

    friend void PrintTo(const BodyCase& c, std::ostream* os) { *os << c.name; }
};

class SectionBodyTest : public ::testing::TestWithParam<BodyCase> {};

TEST_P(SectionBodyTest, RunsFromTheHeadersLfToBeforeTheNextBracket) {
    const std::u16string text = TableFileText();
    std::u16string source = text + std::u16string(10, u'\0');
    std::vector<char16_t> destination(source.size(), u'\0');
    const auto capacity = static_cast<std::uint32_t>(text.size() * 2);

    const std::uint32_t length = CLanguageIni::ExtractSection(
        std::u16string(GetParam().code).c_str(), destination.data(), capacity, source.data());

    EXPECT_EQ(length, GetParam().body.size());
    EXPECT_EQ(BufferText(destination.data(), destination.size()), GetParam().body);
}

std::string BodyName(const ::testing::TestParamInfo<BodyCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    TableFile, SectionBodyTest,
    ::testing::Values(
        BodyCase{"Eng", u"eng",
                 u"\nPlease plug in Lumo=Please plug in Lumo\r\nCancel=Cancel\r\n\r\n\r"},
        BodyCase{"Cht", u"cht",
                 u"\nPlease plug in Lumo=請插入 Lumo 印表機\r\nCancel=取消\r\n\r\n\r"},
        BodyCase{"Frn", u"frn", u"\n\r\n\r"}, BodyCase{"Prt", u"prt", u"\n"},
        BodyCase{"RusNotFound", u"rus", u""}, BodyCase{"Empty", u"", u""}),
    BodyName);

TEST(ExtractSection, EngBodyHasSixtyCharacters) {
    const std::u16string text = TableFileText();
    std::vector<char16_t> destination(text.size() + 1, u'\0');
    EXPECT_EQ(
        CLanguageIni::ExtractSection(u"eng", destination.data(),
                                     static_cast<std::uint32_t>(text.size() * 2), text.c_str()),
        60u);
}

TEST(ExtractSection, CutsTheBodyToTheDestinationAndWritesNothingPastIt) {
    const std::u16string text = u"[eng]\r\nCancel=Abbrechen\r\n";
    std::vector<char16_t> destination(8, u'#');

    // 10 bytes: four characters and the terminator.
    EXPECT_EQ(CLanguageIni::ExtractSection(u"eng", destination.data(), 10, text.c_str()), 4u);
    EXPECT_EQ(std::u16string(destination.begin(), destination.end()),
              (std::u16string{u'\n', u'C', u'a', u'n', u'\0', u'#', u'#', u'#'}));
}

TEST(ExtractSection, RefusesMissingArgumentsAndLongCodes) {
    const std::u16string text = u"[eng]\r\nCancel=Abbrechen\r\n";
    char16_t destination[32] = {};
    EXPECT_EQ(CLanguageIni::ExtractSection(nullptr, destination, 64, text.c_str()), 0u);
    EXPECT_EQ(CLanguageIni::ExtractSection(u"eng", nullptr, 64, text.c_str()), 0u);
    EXPECT_EQ(CLanguageIni::ExtractSection(u"eng", destination, 0, text.c_str()), 0u);
    EXPECT_EQ(CLanguageIni::ExtractSection(u"eng", destination, 64, nullptr), 0u);
    EXPECT_EQ(destination[0], u'\0');

    // A code of 253 characters still has a header; one of 254 does not fit the header buffer.
    for (const std::size_t size : {253u, 254u}) {
        const std::u16string code(size, u'x');
        const std::u16string table = u"[" + code + u"]\r\nA=b\r\n";
        std::vector<char16_t> body(table.size() + 1, u'\0');
        EXPECT_EQ(CLanguageIni::ExtractSection(code.c_str(), body.data(),
                                               static_cast<std::uint32_t>(table.size() * 2),
                                               table.c_str()),
                  size == 253 ? 6u : 0u)
            << "code of " << size << " characters";
    }
}

// ---- FindKeyValue -----------------------------------------------------------------------------

const std::u16string kKey510(510, u'k');
const std::u16string kKey511(511, u'k');
const std::u16string kLongKeysText = u"\n" + kKey510 + u"=short\r\n" + kKey511 + u"=long\r\n";

struct FindCase {
    const char* name;
    const char16_t* key;
    const char16_t* defaultText;
    std::uint32_t outputBytes;
    std::u16string_view text;
    std::uint32_t expectedLength;
    // None: the output is not touched at all.
    std::optional<std::u16string_view> expectedOutput;

    friend void PrintTo(const FindCase& c, std::ostream* os) { *os << c.name; }
};

class FindKeyValueTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindKeyValueTest, StoresTheValueOrTheDefaultWithinTheOutput) {
    const FindCase& c = GetParam();
    std::u16string output(16, u'#');
    const std::u16string text(c.text);

    const std::uint32_t length = CLanguageIni::FindKeyValue(
        u"eng", c.key, c.defaultText, output.data(), c.outputBytes, text.c_str());

    EXPECT_EQ(length, c.expectedLength);
    if (c.expectedOutput) {
        EXPECT_EQ(Utf8(BufferText(output.data(), output.size())), Utf8(*c.expectedOutput));
        // Nothing is written past the output's size.
        const std::size_t touched = (c.outputBytes + 1) / 2;
        EXPECT_EQ(output.substr(touched), std::u16string(output.size() - touched, u'#'));
    } else {
        EXPECT_EQ(output, std::u16string(16, u'#'));
    }
}

std::string FindName(const ::testing::TestParamInfo<FindCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FindKeyValueTest,
    ::testing::Values(
        FindCase{"Found", u"Cancel", u"Cancel", 32, u"\nCancel=Abbrechen\r\n", 9, u"Abbrechen"},
        FindCase{"ValueEndsAtLf", u"Cancel", u"Cancel", 32, u"\nCancel=Abbrechen\nOK=x", 9,
                 u"Abbrechen"},
        FindCase{"ValueEndsAtTheEnd", u"Cancel", u"Cancel", 32, u"\nCancel=Abbrechen", 9,
                 u"Abbrechen"},
        FindCase{"MissingGivesTheDefault", u"OK", u"OK", 32, u"\nCancel=Abbrechen\r\n", 0, u"OK"},
        FindCase{"NullDefaultGivesEmpty", u"OK", nullptr, 32, u"\nCancel=Abbrechen\r\n", 0, u""},
        FindCase{"AtTheVeryStartDoesNotCount", u"Cancel", u"Cancel", 32, u"Cancel=Abbrechen\r\n", 0,
                 u"Cancel"},
        FindCase{"LaterOccurrenceAfterLfCounts", u"Cancel", u"Cancel", 32,
                 u"\nXCancel=1\r\nCancel=2\r\n", 1, u"2"},
        FindCase{"EmptyValueEmptiesTheOutput", u"Cancel", u"Cancel", 32, u"\nCancel=\r\n", 0, u""},
        FindCase{"ValueCutToTheOutput", u"Cancel", u"Cancel", 8, u"\nCancel=Abbrechen\r\n", 3,
                 u"Abb"},
        FindCase{"DefaultCutToTheOutput", u"OK", u"Default", 8, u"\n", 0, u"Def"},
        FindCase{"OddOutputSize", u"Cancel", u"Cancel", 9, u"\nCancel=Abbrechen\r\n", 3, u"Abb"},
        FindCase{"OutputOfOneCharacter", u"Cancel", u"Cancel", 2, u"\nCancel=Abbrechen\r\n", 0,
                 u""},
        FindCase{"NullKeyLeavesTheOutput", nullptr, u"Cancel", 32, u"\nCancel=A\r\n", 0,
                 std::nullopt},
        FindCase{"EmptyKeyLeavesTheOutput", u"", u"Cancel", 32, u"\n=A\r\n", 0, std::nullopt},
        FindCase{"NoSizeLeavesTheOutput", u"Cancel", u"Cancel", 0, u"\nCancel=A\r\n", 0,
                 std::nullopt},
        FindCase{"KeyOf510Characters", kKey510.c_str(), u"d", 32, kLongKeysText, 5, u"short"},
        // Longer keys do not fit the pattern buffer; cutting one would find the key above.
        FindCase{"KeyOf511CharactersIsNotLookedFor", kKey511.c_str(), u"d", 32, kLongKeysText, 0,
                 u"d"}),
    FindName);

TEST(FindKeyValue, NeedsTextAndSection) {
    std::u16string output(4, u'#');
    EXPECT_EQ(CLanguageIni::FindKeyValue(u"eng", u"A", u"d", output.data(), 8, nullptr), 0u);
    EXPECT_EQ(CLanguageIni::FindKeyValue(nullptr, u"A", u"d", output.data(), 8, u"\nA=b"), 0u);
    EXPECT_EQ(CLanguageIni::FindKeyValue(u"eng", u"A", u"d", nullptr, 8, u"\nA=b"), 0u);
    EXPECT_EQ(output, u"####");
}

// ---- Texts longer than the buffers ------------------------------------------------------------

const std::u16string kLongKey(1500, u'k');
const std::u16string kLongValue(1500, u'v');
const std::u16string kLongValueTable = u"[eng]\r\nK=" + kLongValue + u"\r\n";

struct LongCase {
    const char* name;
    bool load;
    std::u16string_view key;
    std::u16string_view expected;

    friend void PrintTo(const LongCase& c, std::ostream* os) { *os << c.name; }
};

class LongTextTest : public LanguageIniTest, public ::testing::WithParamInterface<LongCase> {};

TEST_P(LongTextTest, IsCutToTheResultBuffer) {
    if (GetParam().load) {
        ASSERT_TRUE(Load(TableBytes(kLongValueTable)));
    }
    ini.SelectSection(u"eng");
    const std::u16string text = Text(GetParam().key);
    EXPECT_EQ(text.size(), 1023u);
    EXPECT_EQ(text, GetParam().expected.substr(0, 1023));
}

std::string LongName(const ::testing::TestParamInfo<LongCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Lengths, LongTextTest,
                         ::testing::Values(LongCase{"KeyWithoutTable", false, kLongKey, kLongKey},
                                           LongCase{"KeyNotInTable", true, kLongKey, kLongKey},
                                           LongCase{"Value", true, u"K", kLongValue}),
                         LongName);

// ---- Loading ----------------------------------------------------------------------------------

struct LoadFailureCase {
    const char* name;
    ModuleHandle module;
    std::uint16_t id;
    const char16_t* type;
    bool loadFails;
    bool lockFails;

    friend void PrintTo(const LoadFailureCase& c, std::ostream* os) { *os << c.name; }
};

class LoadFailureTest : public LanguageIniTest,
                        public ::testing::WithParamInterface<LoadFailureCase> {};

TEST_P(LoadFailureTest, ReleasesTheHeldTableAndHoldsNothing) {
    const LoadFailureCase& c = GetParam();
    ASSERT_TRUE(Load(ReadLanguageTableFile()));
    ASSERT_TRUE(ini.SelectSection(u"cht"));
    ASSERT_EQ(Text(u"Cancel"), u"取消");

    fake.resources.loadFails = c.loadFails;
    fake.resources.lockFails = c.lockFails;
    EXPECT_FALSE(ini.LoadFromResource(c.module, c.id, c.type));

    // Holding nothing, lookups go to the (unnamed) INI file and give back the key.
    EXPECT_EQ(Text(u"Cancel"), u"Cancel");
    ASSERT_EQ(fake.files.profileReads.size(), 1u);
    EXPECT_EQ(fake.files.profileReads[0].section, u"cht") << "the section name stays";
    EXPECT_TRUE(ini.SelectSection(u"cht")) << "no table held";
}

std::string LoadFailureName(const ::testing::TestParamInfo<LoadFailureCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Failures, LoadFailureTest,
    ::testing::Values(
        LoadFailureCase{"OtherId", FakeResources::kProgramModule, 130, u"INI_FILE", false, false},
        LoadFailureCase{"OtherType", FakeResources::kProgramModule, 129, u"TEXT", false, false},
        LoadFailureCase{"OtherModule", ModuleHandle{0x10000000}, 129, u"INI_FILE", false, false},
        LoadFailureCase{"NotLoadable", FakeResources::kProgramModule, 129, u"INI_FILE", true,
                        false},
        LoadFailureCase{"NotLockable", FakeResources::kProgramModule, 129, u"INI_FILE", false,
                        true}),
    LoadFailureName);

TEST_F(LanguageIniTest, BeforeAnyLoadLooksInTheUnnamedIniFile) {
    EXPECT_EQ(Text(kPrompt), kPrompt);
    ini.SelectSection(u"cht");
    EXPECT_EQ(Text(u"Cancel"), u"Cancel");

    ASSERT_EQ(fake.files.profileReads.size(), 2u);
    for (const auto& read : fake.files.profileReads) {
        EXPECT_EQ(read.key, read.defaultText) << "the key is its own default";
        EXPECT_EQ(read.size, 1024u);
        EXPECT_EQ(read.fileName, u"");
    }
    EXPECT_EQ(fake.files.profileReads[0].section, u"");
    EXPECT_EQ(fake.files.profileReads[1].section, u"cht");
}

TEST_F(LanguageIniTest, LooksTheResourceUpByIdAndTypeName) {
    ASSERT_TRUE(Load(ReadLanguageTableFile()));
    EXPECT_EQ(fake.resources.calls, (std::vector<std::string>{"FindResourceW", "LoadResource",
                                                              "SizeofResource", "LockResource"}));
    EXPECT_TRUE(fake.files.profileReads.empty());
}

TEST_F(LanguageIniTest, EmptyResourceIsHeldButHasNoSections) {
    ASSERT_TRUE(Load({}));
    EXPECT_FALSE(ini.SelectSection(u"eng"));
    EXPECT_EQ(Text(u"Cancel"), u"Cancel");
    EXPECT_TRUE(fake.files.profileReads.empty()) << "the empty table is searched, not a file";
}

TEST_F(LanguageIniTest, OddByteAtTheEndIsHeldWithoutHarm) {
    std::vector<std::uint8_t> bytes = TableBytes(u"[eng]\r\nCancel=Abbrechen");
    bytes.push_back(0x41);
    ASSERT_TRUE(Load(std::move(bytes)));
    ASSERT_TRUE(ini.SelectSection(u"eng"));
    // The odd byte and the first of the zero bytes after it make one more character.
    EXPECT_EQ(Text(u"Cancel"), u"AbbrechenA");
}

}  // namespace
}  // namespace kelvane

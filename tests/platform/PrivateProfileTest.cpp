#include "platform/PrivateProfile.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

namespace kelvane {
namespace {

struct ProfileCase {
    const char* name;
    std::u16string text;
    std::u16string section;
    std::u16string key;
    std::optional<std::u16string> value;  // none: not found

    friend void PrintTo(const ProfileCase& c, std::ostream* os) { *os << c.name; }
};

class PrivateProfileRules : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(PrivateProfileRules, FindTheValueAsWindowsDoes) {
    std::u16string value = u"(untouched)";
    const bool found = FindProfileValue(GetParam().text, GetParam().section, GetParam().key, value);
    ASSERT_EQ(found, GetParam().value.has_value());
    EXPECT_EQ(value, GetParam().value.value_or(u"(untouched)"));
}

std::string ProfileName(const ::testing::TestParamInfo<ProfileCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, PrivateProfileRules,
    ::testing::Values(
        ProfileCase{"Plain", u"[LumoA]\nversion=V1\nEXE=E.exe\n", u"LumoA", u"EXE", u"E.exe"},
        ProfileCase{"NamesIgnoreCase", u"[lumoa]\nVERSION=V1\n", u"LumoA", u"version", u"V1"},
        ProfileCase{"BlanksAroundNamesAndEquals", u"  [ LumoA ]  \n \t version \t=\t V 1 \t\n",
                    u"LumoA", u"version", u"V 1"},
        ProfileCase{"DoubleQuotesRemoved", u"[s]\nk=\" a b \"\n", u"s", u"k", u" a b "},
        ProfileCase{"SingleQuotesRemoved", u"[s]\nk='x'\n", u"s", u"k", u"x"},
        ProfileCase{"UnmatchedQuotesKept", u"[s]\nk=\"x'\n", u"s", u"k", u"\"x'"},
        ProfileCase{"LoneQuoteKept", u"[s]\nk=\"\n", u"s", u"k", u"\""},
        ProfileCase{"NoInlineComments", u"[s]\nk=a ; b # c\n", u"s", u"k", u"a ; b # c"},
        ProfileCase{"CommentLineIsJustAnotherKey", u"[s]\n;k=x\nk=y\n", u"s", u"k", u"y"},
        ProfileCase{"FirstSectionWins", u"[s]\nother=1\n[s]\nk=second\n", u"s", u"k", {}},
        ProfileCase{"FirstKeyWins", u"[s]\nk=first\nk=second\n", u"s", u"k", u"first"},
        ProfileCase{"LineWithoutEqualsIsKeyWithoutValue", u"[s]\nk\n", u"s", u"k", u""},
        ProfileCase{"ValueMayHoldEquals", u"[s]\nk=a=b\n", u"s", u"k", u"a=b"},
        ProfileCase{"CrLineEnds", u"[s]\rk=v\rj=w", u"s", u"j", u"w"},
        ProfileCase{"CrLfLineEnds", u"[s]\r\nk=v\r\n", u"s", u"k", u"v"},
        ProfileCase{"MixedLineEnds", u"[a]\r\nk=1\n[s]\rk=2\r\n", u"s", u"k", u"2"},
        ProfileCase{"LastLineWithoutEnd", u"[s]\nk=v", u"s", u"k", u"v"},
        ProfileCase{
            "KeyOfAnotherSection", u"[LumoA]\nEXE=a\n[LumoB]\nversion=b\n", u"LumoB", u"EXE", {}},
        ProfileCase{"KeyBeforeAnySection", u"k=v\n[s]\n", u"s", u"k", {}},
        ProfileCase{"MissingSection", u"[x]\nk=v\n", u"s", u"k", {}},
        ProfileCase{"HeaderWithoutClosingBracket", u"[s\nk=v\n", u"s", u"k", u"v"},
        ProfileCase{"TextAfterHeaderIgnored", u"[s] trailing\nk=v\n", u"s", u"k", u"v"},
        ProfileCase{"EmptyText", u"", u"s", u"k", {}},
        ProfileCase{"ShellCharactersAreJustText", u"[s]\nk=a;$(rm -rf x)`id` b\n", u"s", u"k",
                    u"a;$(rm -rf x)`id` b"}),
    ProfileName);

TEST(DecodeProfileText, ReadsUtf16AfterItsBomAndUtf8Otherwise) {
    using namespace std::string_literals;
    EXPECT_EQ(DecodeProfileText("\xFF\xFE[\0s\0]\0"s), u"[s]");
    EXPECT_EQ(DecodeProfileText("\xFF\xFE"
                                "a\0b"s),
              u"a")
        << "an odd last byte is dropped";
    EXPECT_EQ(DecodeProfileText("\xEF\xBB\xBF[s]"), u"[s]");
    EXPECT_EQ(DecodeProfileText("k=\xE5\x8F\x96\xE6\xB6\x88"), u"k=\u53D6\u6D88");
    EXPECT_EQ(DecodeProfileText("k=\xFF\x80"), u"k=\uFFFD") << "one mark for one broken sequence";
}

}  // namespace
}  // namespace kelvane

#include "common/WideFormat.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

namespace kelvane {
namespace {

struct FormatCase {
    const char* name;
    std::u16string format;
    std::vector<FormatArg> args;
    std::u16string expected;

    friend void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }
};

class WideFormatTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(WideFormatTest, FormatsAsTheCLibraryDoes) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(FormatWide(c.format, c.args), c.expected);
}

std::string CaseName(const ::testing::TestParamInfo<FormatCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, WideFormatTest,
    ::testing::Values(
        FormatCase{"HexUpperPadded", u"VID_%04X&PID_%04X", {0x2E47u, 0x50Eu}, u"VID_2E47&PID_050E"},
        FormatCase{"HexLower", u"%04x", {0xABu}, u"00ab"},
        FormatCase{"HexEightDigits", u"0x%08X", {0x2E470502u}, u"0x2E470502"},
        FormatCase{"SignedReadsLow32Bits", u"%d", {0xFFFFFFFFu}, u"-1"},
        FormatCase{"SignedMinimum", u"%d", {0x80000000u}, u"-2147483648"},
        FormatCase{"UnsignedOfNegative", u"%u", {-1}, u"4294967295"},
        FormatCase{"ZeroPaddedDecimal", u"[%04d/%02d/%02d]", {2024, 3, 5}, u"[2024/03/05]"},
        FormatCase{"ZeroPadAfterSign", u"%05d", {-42}, u"-0042"},
        FormatCase{"LeftAlignWins", u"[%-4d]", {7}, u"[7   ]"},
        FormatCase{"WidthWithSpaces", u"[%4s]", {u"ab"}, u"[  ab]"},
        FormatCase{"PrecisionCutsText", u"%.2s", {u"abcdef"}, u"ab"},
        FormatCase{"PlusFlag", u"%+d", {5}, u"+5"},
        FormatCase{"AlternateHex", u"%#x", {255u}, u"0xff"},
        FormatCase{"WideStringAndQuotes",
                   u"\"%s\", %d,\n",
                   {u"\\\\?\\usb#x", 1},
                   u"\"\\\\?\\usb#x\", 1,\n"},
        FormatCase{"LengthModifiersIgnored", u"%ls %ld %hd", {u"x", 3, 4}, u"x 3 4"},
        FormatCase{"Percent", u"100%%", {}, u"100%"}, FormatCase{"Character", u"%c", {u'Z'}, u"Z"},
        FormatCase{"MissingValuesFormatEmpty", u"%d|%s|%X", {}, u"0||0"},
        FormatCase{"TextWhereNumberExpected", u"%d", {u"12"}, u"0"},
        FormatCase{"UnknownConversionKept", u"%q and %", {1}, u"%q and %"},
        FormatCase{"NullTextPrintsNull", u"%s", {static_cast<const char16_t*>(nullptr)}, u"(null)"},
        FormatCase{"HugeWidthClamped", u"%99999999d", {1}, std::u16string(4095, u' ') + u"1"}),
    CaseName);

}  // namespace
}  // namespace kelvane

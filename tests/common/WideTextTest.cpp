#include "common/WideText.h"

#include <gtest/gtest.h>

#include <ostream>

#include <array>

namespace kelvane {
namespace {

struct HexCase {
    const char* name;
    std::u16string_view text;
    std::uint32_t value;
    std::size_t consumed;

    friend void PrintTo(const HexCase& c, std::ostream* os) { *os << c.name; }
};

class ReadHexNumberTest : public ::testing::TestWithParam<HexCase> {};

TEST_P(ReadHexNumberTest, ReadsLikeWcstoulBase16) {
    const HexCase& c = GetParam();
    const HexReading reading = ReadHexNumber(c.text);
    EXPECT_EQ(reading.value, c.value);
    EXPECT_EQ(reading.consumed, c.consumed);
}

std::string HexName(const ::testing::TestParamInfo<HexCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadHexNumberTest,
    ::testing::Values(HexCase{"StopsAtHyphen", u"28D78FAD-5A12", 0x28D78FAD, 8},
                      HexCase{"LowerCaseDigits", u"2e47&pid", 0x2E47, 4},
                      HexCase{"LeadingBlanks", u" \t 1f", 0x1F, 5},
                      HexCase{"PlusSign", u"+10", 0x10, 3},
                      HexCase{"MinusSignNegates", u"-1", 0xFFFFFFFF, 2},
                      HexCase{"HexPrefixSkipped", u"0x1A", 0x1A, 4},
                      HexCase{"PrefixWithoutDigitIsZero", u"0xg", 0, 1},
                      HexCase{"OverflowSaturates", u"123456789", 0xFFFFFFFF, 9},
                      HexCase{"NegativeOverflowSaturates", u"-123456789", 0xFFFFFFFF, 10},
                      HexCase{"NoDigitReportsStart", u"  -z", 0, 0}, HexCase{"Empty", u"", 0, 0},
                      HexCase{"SignOnly", u"+", 0, 0}),
    HexName);

TEST(WideText, ComparesIgnoringCaseOfAToZOnly) {
    EXPECT_TRUE(EqualsIgnoreAsciiCase(u"USB\\VID_2E47", u"usb\\vid_2e47"));
    EXPECT_FALSE(EqualsIgnoreAsciiCase(u"USB", u"USBX"));
    // Letters beyond A to Z are not folded.
    EXPECT_FALSE(EqualsIgnoreAsciiCase(u"\u00C4", u"\u00E4"));
}

TEST(WideText, CopiesOnlyWhatFitsWithItsTerminator) {
    std::array<char16_t, 4> buffer{u'x', u'x', u'x', u'x'};
    EXPECT_TRUE(CopyIfFits(buffer.data(), buffer.size(), u"abc"));
    EXPECT_EQ(BufferText(buffer.data(), buffer.size()), u"abc");

    EXPECT_FALSE(CopyIfFits(buffer.data(), buffer.size(), u"abcd"));
    EXPECT_EQ(BufferText(buffer.data(), buffer.size()), u"abc") << "a refused copy writes nothing";
}

TEST(WideText, UnterminatedBufferCountsAsFull) {
    const std::array<char16_t, 3> buffer{u'a', u'b', u'c'};
    EXPECT_EQ(BoundedLength(buffer.data(), buffer.size()), 3u);
    EXPECT_EQ(BoundedLength(nullptr, 10), 0u);
}

}  // namespace
}  // namespace kelvane

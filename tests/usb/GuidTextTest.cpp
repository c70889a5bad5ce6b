#include "usb/GuidText.h"

#include <gtest/gtest.h>

#include <ostream>

#include <array>
#include <cstring>

namespace kelvane {
namespace {

GUID Parse(const char16_t* text) {
    GUID guid;
    std::memset(&guid, 0xCC, sizeof(guid));
    ParseGuidString(guid, text);
    return guid;
}

constexpr GUID kPrintClass{
    0x28D78FAD, 0x5A12, 0x11D1, {0xAE, 0x5B, 0x00, 0x00, 0xF8, 0x03, 0xA8, 0xC2}};

TEST(ParseGuidString, PrintClassTextGivesItsRecordAndMemoryLayout) {
    const GUID guid = Parse(kUsbPrintClassText);
    EXPECT_EQ(guid, kPrintClass);

    std::array<std::uint8_t, 16> bytes{};
    std::memcpy(bytes.data(), &guid, bytes.size());
    const std::array<std::uint8_t, 16> expected{0xAD, 0x8F, 0xD7, 0x28, 0x12, 0x5A, 0xD1, 0x11,
                                                0xAE, 0x5B, 0x00, 0x00, 0xF8, 0x03, 0xA8, 0xC2};
    EXPECT_EQ(bytes, expected);
}

struct GuidCase {
    const char* name;
    const char16_t* text;
    GUID expected;

    friend void PrintTo(const GuidCase& c, std::ostream* os) { *os << c.name; }
};

class ParseGuidStringCases : public ::testing::TestWithParam<GuidCase> {};

TEST_P(ParseGuidStringCases, ReadsByPositionWithoutValidating) {
    EXPECT_EQ(Parse(GetParam().text), GetParam().expected);
}

std::string GuidName(const ::testing::TestParamInfo<GuidCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseGuidStringCases,
    ::testing::Values(
        GuidCase{"LowerCase", u"{28d78fad-5a12-11d1-ae5b-0000f803a8c2}", kPrintClass},
        // The first character is skipped unseen, so without the brace the first digit is lost.
        GuidCase{"MissingBraceLosesFirstDigit",
                 u"28D78FAD-5A12-11D1-AE5B-0000F803A8C2",
                 {0x8D78FAD, 0x5A12, 0x11D1, {0xAE, 0x5B, 0x00, 0x00, 0xF8, 0x03, 0xA8, 0xC2}}},
        GuidCase{"ClosingBraceNotLookedAt", u"{28D78FAD-5A12-11D1-AE5B-0000F803A8C2", kPrintClass},
        GuidCase{"ShortGroupsEndAtTheirHyphen",
                 u"{1-22-33-44-556677889900}",
                 {0x1, 0x22, 0x33, {0x00, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0x00}}},
        // The last group is cut every four characters whatever they hold, so a stray hyphen
        // shifts every later chunk.
        GuidCase{"HyphenInLastGroupShiftsChunks",
                 u"{0-0-0-0-12-345678901234}",
                 {0, 0, 0, {0, 0, 0x00, 0x12, 0x45, 0x67, 0x89, 0x01}}},
        GuidCase{"WideGroupsKeepTheirLowBits",
                 u"{123456789-12345-12345-12345-0000F803A8C2}",
                 {0xFFFFFFFF, 0x2345, 0x2345, {0x23, 0x45, 0x00, 0x00, 0xF8, 0x03, 0xA8, 0xC2}}},
        GuidCase{"LastGroupReadFourAtATime",
                 u"{0-0-0-0-1g2h3i4j5k6l}",
                 {0, 0, 0, {0, 0, 0x00, 0x01, 0x00, 0x03, 0x00, 0x05}}},
        GuidCase{"EmptyTextGivesZeroes", u"", {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}}},
        GuidCase{"NullTextGivesZeroes", nullptr, {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}}},
        GuidCase{"TextEndingMidwayReadsZeroes",
                 u"{28D78FAD-5A",
                 {0x28D78FAD, 0x5A, 0, {0, 0, 0, 0, 0, 0, 0, 0}}}),
    GuidName);

}  // namespace
}  // namespace kelvane

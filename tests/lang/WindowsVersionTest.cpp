#include "lang/WindowsVersion.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "tests/support/FakeSystemQueries.h"

namespace kelvane {
namespace {

using testing::FakeSystemQueries;

struct VersionCase {
    const char* name;
    std::uint32_t platform;
    std::uint32_t major;
    std::uint32_t minor;
    std::uint16_t suite;
    std::uint16_t code32;  // on an x86 system
    std::uint16_t code64;  // on an x64 system

    friend void PrintTo(const VersionCase& c, std::ostream* os) { *os << c.name; }
};

class VersionClassification : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionClassification, PureRuleGivesTheCode) {
    const VersionCase& c = GetParam();
    EXPECT_EQ(ClassifyWindowsVersion(c.platform, c.major, c.minor, c.suite, false), c.code32);
    EXPECT_EQ(ClassifyWindowsVersion(c.platform, c.major, c.minor, c.suite, true), c.code64);
}

TEST_P(VersionClassification, QueriedSystemGivesTheSameCode) {
    const VersionCase& c = GetParam();
    FakeSystemQueries system;
    system.platformId = c.platform;
    system.major = c.major;
    system.minor = c.minor;
    system.suiteMask = c.suite;

    system.architecture = 0;  // Intel x86
    EXPECT_EQ(GetWindowsVersionCode(system), c.code32);
    system.architecture = kProcessorArchitectureAmd64;
    EXPECT_EQ(GetWindowsVersionCode(system), c.code64);
}

std::string VersionName(const ::testing::TestParamInfo<VersionCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Systems, VersionClassification,
    ::testing::Values(
        VersionCase{"Win32s", 0, 3, 10, 0, 0, 0}, VersionCase{"Windows95", 1, 4, 0, 0, 1, 1},
        VersionCase{"Windows98", 1, 4, 10, 0, 3, 3}, VersionCase{"WindowsMe", 1, 4, 90, 0, 4, 4},
        VersionCase{"NineXMinor95", 1, 4, 95, 0, 3, 3},
        VersionCase{"NineXMajorIgnored", 1, 9, 90, 0, 4, 4},
        VersionCase{"Nt351", 2, 3, 51, 0, 0, 0}, VersionCase{"Nt4", 2, 4, 0, 0, 2, 2},
        VersionCase{"Windows2000", 2, 5, 0, 0, 5, 9},
        VersionCase{"XpTerminalSuites", 2, 5, 1, 0x0300, 6, 9},
        VersionCase{"XpEmbedded", 2, 5, 1, 0x0040, 7, 9},
        VersionCase{"XpOtherSuiteBit", 2, 5, 1, 0x0080, 6, 9},
        VersionCase{"Server2003", 2, 5, 2, 0, 8, 9}, VersionCase{"Vista", 2, 6, 0, 0, 10, 11},
        VersionCase{"Windows7", 2, 6, 1, 0, 12, 13}, VersionCase{"Windows8", 2, 6, 2, 0, 14, 15},
        VersionCase{"Windows81", 2, 6, 3, 0, 14, 15}, VersionCase{"Windows10", 2, 10, 0, 0, 14, 15},
        VersionCase{"UnknownPlatform", 3, 10, 0, 0, 0, 0}),
    VersionName);

TEST(Is64BitWindows, OnlyAmd64Counts) {
    FakeSystemQueries system;
    for (const auto& [architecture, expected] :
         {std::pair<std::uint16_t, int>{9, 1}, {0, 0}, {6, 0}, {12, 0}}) {
        system.architecture = architecture;
        EXPECT_EQ(Is64BitWindows(system), expected) << "architecture " << architecture;
    }
    system.hasNativeSystemInfo = false;
    system.architecture = kProcessorArchitectureAmd64;
    EXPECT_EQ(Is64BitWindows(system), 0) << "no native query: not 64-bit";
    EXPECT_EQ(system.nativeSystemInfoCalls, 4);
}

TEST(GetWindowsVersionCode, ArmSystemGetsTheEvenCode) {
    FakeSystemQueries system;
    system.architecture = 12;
    EXPECT_EQ(GetWindowsVersionCode(system), 14);
}

TEST(GetWindowsVersionCode, RetriesWithThePlainRecordAndKeepsTheSuiteMaskEmpty) {
    FakeSystemQueries system;
    system.knowsExtendedRecord = false;
    system.major = 5;
    system.minor = 1;
    system.suiteMask = 0x0040;
    system.architecture = 0;

    EXPECT_EQ(GetWindowsVersionCode(system), 6) << "the embedded bit is never seen";
    EXPECT_EQ(system.versionQuerySizes, (std::vector<std::uint32_t>{284, 276}));
}

TEST(GetWindowsVersionCode, TwoFailedQueriesGiveZero) {
    FakeSystemQueries system;
    system.versionQueryFails = true;
    EXPECT_EQ(GetWindowsVersionCode(system), 0);
    EXPECT_EQ(system.versionQuerySizes.size(), 2u);
    EXPECT_EQ(system.nativeSystemInfoCalls, 0);
}

TEST(GetWindowsVersionCode, AsksThe64BitQuestionOnceOnlyOnNt5AndLater) {
    struct Expectation {
        std::uint32_t platform, major;
        int calls;
    };
    for (const Expectation& e :
         {Expectation{2, 10, 1}, Expectation{2, 6, 1}, Expectation{2, 5, 1}, Expectation{2, 4, 0},
          Expectation{1, 4, 0}, Expectation{0, 5, 0}}) {
        FakeSystemQueries system;
        system.platformId = e.platform;
        system.major = e.major;
        GetWindowsVersionCode(system);
        EXPECT_EQ(system.nativeSystemInfoCalls, e.calls) << e.platform << "." << e.major;
    }
}

}  // namespace
}  // namespace kelvane

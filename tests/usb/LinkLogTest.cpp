#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>

#include "tests/support/FakePlatform.h"
#include "usb/UsbLink.h"

namespace kelvane {
namespace {

using testing::FakePlatform;

// A log file of the test's own; the link owns the stream once it is attached.
class LinkLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/kelvane-log-XXXXXX";
        const int fd = mkstemp(name);
        ASSERT_GE(fd, 0);
        m_path = name;
        m_stream = fdopen(fd, "w+");
        ASSERT_NE(m_stream, nullptr);
    }
    void TearDown() override {
        link.reset();
        std::remove(m_path.c_str());
    }

    CUsbLink& Attach(std::uint32_t level, bool trailer = false) {
        link = std::make_unique<CUsbLink>(fake.platform());
        link->m_pLogFile = m_stream;
        link->m_dwLogLevel = level;
        link->m_bLogTrailer = trailer ? 1 : 0;
        return *link;
    }

    std::string Contents() const {
        std::ifstream in(m_path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

    FakePlatform fake;
    std::unique_ptr<CUsbLink> link;
    std::FILE* m_stream = nullptr;
    std::string m_path;
};

struct LevelCase {
    const char* name;
    std::uint32_t logLevel;
    std::uint32_t lineLevel;
    bool written;

    friend void PrintTo(const LevelCase& c, std::ostream* os) { *os << c.name; }
};

class LogLevels : public LinkLogTest, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(LogLevels, WriteOnlyWithinTheLevel) {
    CUsbLink& l = Attach(GetParam().logLevel);
    l.WriteLog(GetParam().lineLevel, u"line %d\n", 1);
    link.reset();
    EXPECT_EQ(Contents(), GetParam().written ? "line 1\n" : "");
}

std::string LevelName(const ::testing::TestParamInfo<LevelCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Levels, LogLevels,
                         ::testing::Values(LevelCase{"DeeperLevelSkipped", 1, 2, false},
                                           LevelCase{"SameLevelWritten", 1, 1, true},
                                           LevelCase{"LevelZeroWrittenWhenOn", 1, 0, true},
                                           LevelCase{"LogOffWritesNothing", 0, 0, false},
                                           LevelCase{"ComparedUnsigned", 2, 0xFFFFFFFF, false}),
                         LevelName);

TEST_F(LinkLogTest, LinesAreAppendedAtTheEndWithoutAdditions) {
    std::fputs("earlier\n", m_stream);
    std::rewind(m_stream);
    CUsbLink& l = Attach(2);
    l.WriteLog(1, u"a=%s,", u"\u00E9");
    l.WriteLog(2, u"b=%04X\n", 0x2Eu);
    link.reset();
    EXPECT_EQ(Contents(), "earlier\na=\xC3\xA9,b=002E\n");
}

TEST_F(LinkLogTest, OpenIOChannelIsLoggedAtLevelTwo) {
    CUsbLink& l = Attach(2);
    l.Open(68, 1, 0x102, 3);
    link.reset();
    EXPECT_EQ(Contents(),
              "In OpenIOChannel, m_dwModelSN = 68, m_dwInstIndex = 1, m_dwEnumMode = 258, "
              "dwDevNum = 0,\n");
}

TEST_F(LinkLogTest, TrailerClosesTheLogWithTheLocalTime) {
    fake.clock.now.tm_year = 124;
    fake.clock.now.tm_mon = 2;
    fake.clock.now.tm_mday = 5;
    fake.clock.now.tm_hour = 9;
    fake.clock.now.tm_min = 7;
    fake.clock.now.tm_sec = 2;
    CUsbLink& l = Attach(1, true);
    l.WriteLog(1, u"first\n");
    link.reset();
    EXPECT_EQ(Contents(),
              "first\n========================== End  [2024/03/05], [09:07:02] "
              "========================\n\n");
}

TEST_F(LinkLogTest, NoTrailerWithoutTheFlagOrWithTheLogOff) {
    Attach(1, false);
    link.reset();
    EXPECT_EQ(Contents(), "");

    SetUp();
    Attach(0, true);
    link.reset();
    EXPECT_EQ(Contents(), "");
}

TEST_F(LinkLogTest, NoTrailerWithoutALocalTime) {
    fake.clock.localTimeFails = true;
    Attach(1, true);
    link.reset();
    EXPECT_EQ(Contents(), "");
}

TEST_F(LinkLogTest, OverlongLinesAreCutToTheBuffers) {
    CUsbLink& l = Attach(1);
    l.WriteLog(1, u"%s|", std::u16string(5000, u'a'));
    // Each of these takes three bytes once converted: 4095 bytes hold 1365 of them.
    l.WriteLog(1, u"%s", std::u16string(3000, u'\u4E2D'));
    link.reset();
    const std::string contents = Contents();
    EXPECT_EQ(contents.substr(0, 4095), std::string(4095, 'a'));
    EXPECT_EQ(contents.size(), 4095u + 1365u * 3u);
}

}  // namespace
}  // namespace kelvane

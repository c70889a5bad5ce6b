#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

#include "common/WideText.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/TraceRecorder.h"
#include "usb/NarrowText.h"
#include "usb/UsbLink.h"

namespace kelvane {
namespace {

using testing::FakePlatform;
using testing::TraceRecorder;

class DeviceMutexTest : public ::testing::Test {
protected:
    void SetPath(std::u16string_view path) {
        ASSERT_TRUE(CopyIfFits(link.m_szSymbolicLink, kPathCapacity, path));
    }
    testing::FakeKernelObjects& kernel() { return fake.kernelObjects; }

    FakePlatform fake;
    CUsbLink link{fake.platform()};
};

struct NameCase {
    const char* name;
    std::u16string path;
    std::string mutexName;

    friend void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }
};

class MutexName : public DeviceMutexTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(MutexName, FollowsTheDevicePath) {
    SetPath(GetParam().path);
    EXPECT_EQ(link.EnableMutex(true), 0u);
    ASSERT_EQ(kernel().mutexCreations.size(), 1u);
    EXPECT_EQ(kernel().mutexCreations[0].name, GetParam().mutexName);
}

std::string NameCaseName(const ::testing::TestParamInfo<NameCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, MutexName,
    ::testing::Values(
        NameCase{"WindowsInterfacePath",
                 u"\\\\?\\USB#VID_1234&PID_5678#7&2F1A&0&1#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}",
                 "Global\\usb#vid_1234&pid_5678#7&2f1a&0&1#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}"},
        NameCase{"BackslashesRemovedNotReplaced", u"\\\\?\\AB\\CD", "Global\\abcd"},
        NameCase{"FirstFourDroppedWhateverTheyAre", u"/dev/usb/lp0", "Global\\/usb/lp0"},
        NameCase{"FourCharactersGiveThePrefixAlone", u"ABCD", "Global\\"},
        NameCase{"ShorterPathGivesThePrefixAlone", u"AB", "Global\\"},
        NameCase{"OnlyAToZLowered", u"\\\\?\\\u00C4Z", "Global\\\xC3\x84z"},
        NameCase{"LongestNameThatFits", u"\\\\?\\" + std::u16string(252, u'X'),
                 "Global\\" + std::string(252, 'x')}),
    NameCaseName);

TEST_F(DeviceMutexTest, IsOpenToEveryoneInheritableAndNotOwned) {
    SetPath(u"\\\\?\\usb#a");
    link.EnableMutex(true);
    ASSERT_EQ(kernel().mutexCreations.size(), 1u);
    const auto& creation = kernel().mutexCreations[0];
    EXPECT_TRUE(creation.nullDacl);
    EXPECT_TRUE(creation.inheritable);
    EXPECT_FALSE(creation.initialOwner);
    EXPECT_EQ(creation.attributesLength, sizeof(SECURITY_ATTRIBUTES));
}

TEST_F(DeviceMutexTest, SecondEnableKeepsTheOneMutex) {
    SetPath(u"\\\\?\\usb#a");
    EXPECT_EQ(link.EnableMutex(true), 0u);
    const Handle first = link.m_hMutexRW;
    EXPECT_EQ(link.EnableMutex(true), 0u);
    EXPECT_EQ(link.m_hMutexRW, first);
    EXPECT_EQ(kernel().mutexCreations.size(), 1u);
}

TEST_F(DeviceMutexTest, EmptyPathCreatesNothing) {
    EXPECT_EQ(link.EnableMutex(true), 0u);
    EXPECT_TRUE(kernel().calls.empty());
}

TEST_F(DeviceMutexTest, ExistingMutexServesAndIsTraced) {
    SetPath(u"\\\\?\\AB");
    kernel().existingMutexes.insert("Global\\ab");
    TraceRecorder trace;

    EXPECT_EQ(link.EnableMutex(true), 0u);

    EXPECT_TRUE(kernel().IsMutex(link.m_hMutexRW));
    const std::u16string handle = FormatWide(u"%d", {link.m_hMutexRW.value});
    EXPECT_EQ(trace.Texts(u"CUsbLink::EnableMutex"),
              (std::vector<std::u16string>{u"CUsbLink::EnableMutex(szMutexName=\"Global\\ab\"), "
                                           u"m_hMutexRW = " +
                                           handle + u", error = 183,\n"}));
}

TEST_F(DeviceMutexTest, FailedCreationReturnsItsCodeAndHoldsNothing) {
    SetPath(u"\\\\?\\AB");
    kernel().mutexFailure = 5;
    EXPECT_EQ(link.EnableMutex(true), 5u);
    EXPECT_TRUE(link.m_hMutexRW.IsNull());
}

TEST_F(DeviceMutexTest, OpenSucceedsWithoutTheMutex) {
    fake.deviceSetup.AddPrinters(0x2E470502, 1);
    kernel().mutexFailure = 5;
    EXPECT_EQ(link.Open(68, 1, 0x102, 3), kLinkOpened);
    EXPECT_TRUE(link.IsOpened());
    EXPECT_TRUE(link.m_hMutexRW.IsNull());
}

TEST_F(DeviceMutexTest, FailedConversionGoesOnWithAnEmptyName) {
    SetPath(u"\\\\?\\AB");
    kernel().conversionFails = true;
    EXPECT_EQ(link.EnableMutex(true), 0u);
    ASSERT_EQ(kernel().mutexCreations.size(), 1u);
    EXPECT_EQ(kernel().mutexCreations[0].name, "");
}

TEST_F(DeviceMutexTest, NameThatDoesNotFitIsNeverCut) {
    // 7 + 253 characters leave no room for the terminator.
    SetPath(u"\\\\?\\" + std::u16string(253, u'x'));
    EXPECT_EQ(link.EnableMutex(true), 206u);
    // Fits as wide text, but not once converted: each character takes two bytes.
    SetPath(u"\\\\?\\" + std::u16string(200, u'\u00E9'));
    EXPECT_EQ(link.EnableMutex(true), 206u);
    EXPECT_TRUE(kernel().mutexCreations.empty());
    EXPECT_TRUE(link.m_hMutexRW.IsNull());
}

TEST_F(DeviceMutexTest, DisableReleasesAndClosesOnlyAHeldMutex) {
    EXPECT_EQ(link.EnableMutex(false), 0u);
    EXPECT_TRUE(kernel().calls.empty());

    SetPath(u"\\\\?\\AB");
    link.EnableMutex(true);
    kernel().calls.clear();
    EXPECT_EQ(link.EnableMutex(false), 0u);
    EXPECT_EQ(kernel().calls, (std::vector<std::string>{"ReleaseMutex", "CloseHandle"}));
    EXPECT_TRUE(link.m_hMutexRW.IsNull());
    EXPECT_EQ(kernel().OpenHandleCount(), 0);
}

TEST_F(DeviceMutexTest, CloseDropsTheMutexAndTheNextOpenMakesANewOne) {
    fake.deviceSetup.AddPrinters(0x2E470502, 1);
    ASSERT_EQ(link.Open(68, 1, 0x102, 3), kLinkOpened);
    const Handle first = link.m_hMutexRW;
    link.Close();
    EXPECT_TRUE(link.m_hMutexRW.IsNull());
    EXPECT_FALSE(kernel().IsOpen(first));
    ASSERT_EQ(link.Open(68, 1, 0x102, 3), kLinkOpened);
    EXPECT_TRUE(kernel().IsMutex(link.m_hMutexRW));
}

TEST(ToNarrow, ConvertsWhatFitsAndWritesNothingOtherwise) {
    testing::FakeKernelObjects kernel;
    char buffer[6] = {'x', 'x', 'x', 'x', 'x', 'x'};

    EXPECT_EQ(ToNarrow(kernel, buffer, u"ab\u00E9"), buffer);
    EXPECT_STREQ(buffer, "ab\xC3\xA9");

    char small[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(ToNarrow(kernel, small, u"abcd"), nullptr);
    EXPECT_EQ(std::string(small, 4), "xxxx");

    kernel.conversionFails = true;
    EXPECT_EQ(ToNarrow(kernel, buffer, u"a"), nullptr);
}

}  // namespace
}  // namespace kelvane

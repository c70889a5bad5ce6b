#include "usb/UsbLink.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "common/WideText.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/TraceRecorder.h"

namespace kelvane {
namespace {

using testing::FakePlatform;
using testing::TraceRecorder;

constexpr std::uint32_t kLumoA = 0x2E470502;
constexpr std::uint32_t kLumoB = 0x2E47050E;
constexpr std::uint32_t kDialogMode = 0x102;
constexpr std::uint32_t kOverlappedFlags = 0x48000080;
constexpr std::uint32_t kPlainFlags = 0x08000080;

// Scripts the system so that the link's version code comes out as `code`.
void SetVersionCode(testing::FakeSystemQueries& system, std::uint16_t code) {
    struct Version {
        std::uint32_t platform, major, minor;
        std::uint16_t architecture;
    };
    const Version version = code == 2    ? Version{2, 4, 0, 0}
                            : code == 4  ? Version{1, 4, 90, 0}
                            : code == 5  ? Version{2, 5, 0, 0}
                            : code == 6  ? Version{2, 5, 1, 0}
                            : code == 14 ? Version{2, 6, 2, 0}
                                         : Version{2, 10, 0, kProcessorArchitectureAmd64};
    system.platformId = version.platform;
    system.major = version.major;
    system.minor = version.minor;
    system.architecture = version.architecture;
}

class UsbLinkTest : public ::testing::Test {
protected:
    CUsbLink& MakeLink(std::uint16_t versionCode = 15) {
        SetVersionCode(fake.systemQueries, versionCode);
        link = std::make_unique<CUsbLink>(fake.platform());
        EXPECT_EQ(link->m_wWinVer, versionCode);
        return *link;
    }

    std::u16string Path() const {
        return std::u16string(BufferText(link->m_szSymbolicLink, kPathCapacity));
    }
    testing::FakeKernelObjects& kernel() { return fake.kernelObjects; }

    FakePlatform fake;
    std::unique_ptr<CUsbLink> link;
};

// ---- Construction ----------------------------------------------------------------------------

struct ConstructionCase {
    const char* name;
    std::uint16_t versionCode;
    std::uint32_t transferSize;

    friend void PrintTo(const ConstructionCase& c, std::ostream* os) { *os << c.name; }
};

class LinkConstruction : public UsbLinkTest,
                         public ::testing::WithParamInterface<ConstructionCase> {};

TEST_P(LinkConstruction, StartsClosedWithItsDefaults) {
    CUsbLink& l = MakeLink(GetParam().versionCode);
    EXPECT_EQ(l.m_dwTransferSize, GetParam().transferSize);
    EXPECT_FALSE(l.IsOpened());
    EXPECT_EQ(l.m_byPipeFlags, 3);
    EXPECT_EQ(l.m_dwTimeoutR, 5000u);
    EXPECT_EQ(l.m_dwTimeoutW, 5000u);
    EXPECT_EQ(l.m_dwModelSN, 0u);
    EXPECT_EQ(l.m_dwLogLevel, 0u);
    EXPECT_EQ(l.m_pLogFile, nullptr);
    EXPECT_TRUE(l.m_hPipeR.IsNull());
    EXPECT_TRUE(l.m_hPipeW.IsNull());
    EXPECT_TRUE(l.m_hMutexRW.IsNull());
    EXPECT_TRUE(l.m_OverlappedR.hEvent.IsNull());
    EXPECT_EQ(Path(), u"");
    EXPECT_EQ(fake.systemQueries.versionQuerySizes.size(), 1u) << "the code is taken once";
    EXPECT_TRUE(kernel().calls.empty());
}

std::string ConstructionName(const ::testing::TestParamInfo<ConstructionCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(VersionCodes, LinkConstruction,
                         ::testing::Values(ConstructionCase{"Windows2000", 5, 4096},
                                           ConstructionCase{"WindowsMe", 4, 0x40000},
                                           ConstructionCase{"WindowsXp", 6, 0x40000},
                                           ConstructionCase{"Windows10x64", 15, 0x40000}),
                         ConstructionName);

// ---- Open and Close --------------------------------------------------------------------------

TEST_F(UsbLinkTest, OpenOnWindows2000AndLaterSharesOneHandleAndOneEvent) {
    fake.deviceSetup.AddPrinters(kLumoA, 1);
    CUsbLink& l = MakeLink(5);

    EXPECT_EQ(l.Open(68, 1, kDialogMode, 3), kLinkOpened);

    EXPECT_TRUE(l.IsOpened());
    ASSERT_EQ(kernel().fileOpens.size(), 1u);
    const auto& open = kernel().fileOpens[0];
    EXPECT_EQ(open.path, Path());
    EXPECT_EQ(open.access, 0xC0000000u);
    EXPECT_EQ(open.share, 3u);
    EXPECT_EQ(open.disposition, 3u);
    EXPECT_EQ(open.flags, kOverlappedFlags);
    EXPECT_EQ(kernel().eventCreations, (std::vector<std::pair<bool, bool>>{{true, true}}))
        << "one manual-reset event, initially signalled";
    EXPECT_EQ(l.m_hPipeW, l.m_hPipeR);
    EXPECT_EQ(l.m_OverlappedW.hEvent, l.m_OverlappedR.hEvent);
    EXPECT_TRUE(kernel().IsMutex(l.m_hMutexRW));
    EXPECT_EQ(BufferText(l.m_szVidPid, kPathCapacity), u"VID_2E47&PID_0502");
    EXPECT_EQ(l.m_dwModelSN, 68u);
    EXPECT_EQ(l.m_dwLinked, 1u);

    kernel().calls.clear();
    l.Close();

    EXPECT_EQ(kernel().calls, (std::vector<std::string>{"GetHandleInformation", "CloseHandle",
                                                        "GetHandleInformation", "CloseHandle",
                                                        "GetHandleInformation", "CloseHandle"}))
        << "handle, mutex and event, each closed once";
    EXPECT_EQ(kernel().OpenHandleCount(), 0);
    EXPECT_FALSE(l.IsOpened());
    EXPECT_TRUE(l.m_hPipeR.IsNull());
    EXPECT_TRUE(l.m_hPipeW.IsNull());
    EXPECT_TRUE(l.m_hMutexRW.IsNull());
    EXPECT_TRUE(l.m_OverlappedR.hEvent.IsNull());
    EXPECT_TRUE(l.m_OverlappedW.hEvent.IsNull());
    // What the last Open found is kept for the dialog to compare with.
    EXPECT_NE(Path(), u"");
    EXPECT_EQ(l.m_dwModelSN, 68u);
    EXPECT_EQ(l.m_dwLinked, 1u);
    EXPECT_EQ(BufferText(l.m_szVidPid, kPathCapacity), u"VID_2E47&PID_0502");
}

TEST_F(UsbLinkTest, OpenBeforeWindows2000OpensTwoHandlesWithTwoEvents) {
    fake.deviceSetup.AddPrinters(kLumoA, 1);
    CUsbLink& l = MakeLink(4);

    EXPECT_EQ(l.Open(68, 1, kDialogMode, 3), kLinkOpened);

    EXPECT_EQ(kernel().fileOpens.size(), 2u);
    EXPECT_EQ(kernel().eventCreations.size(), 2u);
    EXPECT_NE(l.m_hPipeW, l.m_hPipeR);
    EXPECT_NE(l.m_OverlappedW.hEvent, l.m_OverlappedR.hEvent);
    l.Close();
    EXPECT_EQ(kernel().closedHandles.size(), 5u);
    EXPECT_EQ(kernel().OpenHandleCount(), 0);
}

TEST_F(UsbLinkTest, FailedWriteOpenGivesOneAndClosesTheReadHandleAgain) {
    fake.deviceSetup.AddPrinters(kLumoA, 1);
    CUsbLink& l = MakeLink(2);
    kernel().failingFileOpens = {2};

    EXPECT_EQ(l.Open(68, 1, kDialogMode, 3), kLinkPartlyOpened);

    EXPECT_FALSE(l.IsOpened());
    EXPECT_EQ(kernel().OpenHandleCount(), 0) << "read handle and its event closed again";
    EXPECT_TRUE(kernel().mutexCreations.empty());
}

struct PipeFlagsCase {
    const char* name;
    std::uint16_t versionCode;
    std::uint8_t pipeFlags;
    std::uint32_t result;
    std::size_t fileOpens;

    friend void PrintTo(const PipeFlagsCase& c, std::ostream* os) { *os << c.name; }
};

class PipeFlags : public UsbLinkTest, public ::testing::WithParamInterface<PipeFlagsCase> {};

TEST_P(PipeFlags, OpenWhatTheFlagsAskFor) {
    fake.deviceSetup.AddPrinters(kLumoA, 1);
    CUsbLink& l = MakeLink(GetParam().versionCode);

    EXPECT_EQ(l.Open(68, 1, kDialogMode, GetParam().pipeFlags), GetParam().result);

    EXPECT_EQ(kernel().fileOpens.size(), GetParam().fileOpens);
    EXPECT_EQ(l.IsOpened(), GetParam().result == kLinkOpened);
    EXPECT_EQ(kernel().mutexCreations.size(), GetParam().result == kLinkOpened ? 1u : 0u);
    if (GetParam().result != kLinkOpened) {
        EXPECT_EQ(kernel().OpenHandleCount(), 0);
    }
}

std::string PipeFlagsName(const ::testing::TestParamInfo<PipeFlagsCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Flags, PipeFlags,
    ::testing::Values(PipeFlagsCase{"ReadOnly", 15, 1, kLinkOpened, 1},
                      // The write handle would be the read handle, which was not asked for.
                      PipeFlagsCase{"WriteAloneNeverOpensOnSharedHandles", 15, 2, kLinkNotOpened,
                                    0},
                      PipeFlagsCase{"WriteAloneOpensBeforeWindows2000", 2, 2, kLinkOpened, 1},
                      PipeFlagsCase{"NoneOpensNothingButSucceeds", 15, 0, kLinkOpened, 0},
                      PipeFlagsCase{"OtherBitsCanNeverMatch", 15, 7, kLinkPartlyOpened, 1},
                      PipeFlagsCase{"OtherBitsAloneOpenNothing", 15, 4, kLinkNotOpened, 0}),
    PipeFlagsName);

TEST_F(UsbLinkTest, ZeroTimeoutOpensWithoutOverlappedAndWithoutEvent) {
    fake.deviceSetup.AddPrinters(kLumoA, 1);
    CUsbLink& l = MakeLink();
    l.m_dwTimeoutR = 0;

    EXPECT_EQ(l.Open(68, 1, kDialogMode, 3), kLinkOpened);

    ASSERT_EQ(kernel().fileOpens.size(), 1u);
    EXPECT_EQ(kernel().fileOpens[0].flags, kPlainFlags);
    EXPECT_TRUE(kernel().eventCreations.empty());
    EXPECT_TRUE(l.m_OverlappedR.hEvent.IsNull());
}

TEST_F(UsbLinkTest, FailedEventStillCountsTheHandleAsOpened) {
    fake.deviceSetup.AddPrinters(kLumoA, 1);
    CUsbLink& l = MakeLink();
    kernel().eventsFail = true;
    EXPECT_EQ(l.Open(68, 1, kDialogMode, 3), kLinkOpened);
    EXPECT_TRUE(l.m_OverlappedR.hEvent.IsNull());
}

TEST_F(UsbLinkTest, ModelOutOfRangeChangesNothingAtAll) {
    fake.deviceSetup.AddPrinters(kLumoA, 1);
    CUsbLink& l = MakeLink();
    ASSERT_EQ(l.Open(68, 1, kDialogMode, 3), kLinkOpened);
    const Handle read = l.m_hPipeR;
    const Handle mutex = l.m_hMutexRW;
    kernel().calls.clear();
    const int setsBuilt = fake.deviceSetup.counts.SetupDiGetClassDevsW;

    for (const std::uint32_t model : {0u, 92u, 0xFFFFFFFFu}) {
        EXPECT_EQ(l.Open(model, 1, 0x002, 1), kLinkNoDevice) << model;
    }

    EXPECT_TRUE(l.IsOpened());
    EXPECT_EQ(l.m_hPipeR, read);
    EXPECT_EQ(l.m_hMutexRW, mutex);
    EXPECT_EQ(l.m_dwModelSN, 68u);
    EXPECT_EQ(l.m_byPipeFlags, 3);
    EXPECT_EQ(l.m_dwEnumMode, kDialogMode);
    EXPECT_TRUE(kernel().calls.empty());
    EXPECT_EQ(fake.deviceSetup.counts.SetupDiGetClassDevsW, setsBuilt);
}

TEST_F(UsbLinkTest, ReopeningClosesEverythingFirstAndCreatesTheMutexAgain) {
    fake.deviceSetup.AddPrinters(kLumoA, 1);
    CUsbLink& l = MakeLink();
    ASSERT_EQ(l.Open(68, 1, kDialogMode, 3), kLinkOpened);
    const Handle firstMutex = l.m_hMutexRW;

    ASSERT_EQ(l.Open(68, 1, kDialogMode, 3), kLinkOpened);

    EXPECT_FALSE(kernel().IsOpen(firstMutex));
    EXPECT_NE(l.m_hMutexRW, firstMutex);
    EXPECT_EQ(kernel().mutexCreations.size(), 2u);
    EXPECT_EQ(kernel().OpenHandleCount(), 3);
}

struct FailureCase {
    const char* name;
    int printers;            // model-68 printers present
    std::uint32_t flags;     // their interface flags
    bool pathFails;          // opening their path fails
    std::uint32_t instance;  // instance index passed to Open
    std::uint32_t result;

    friend void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }
};

class OpenFailures : public UsbLinkTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(OpenFailures, ReportTheCauseAndLeaveTheLinkClosed) {
    const FailureCase& c = GetParam();
    fake.deviceSetup.AddPrinters(kLumoB, 1);
    fake.deviceSetup.AddPrinters(kLumoA, c.printers);
    for (auto& printer : fake.deviceSetup.interfaces) {
        if (printer.instanceId.find(u"PID_0502") != std::u16string::npos) {
            printer.flags = c.flags;
            if (c.pathFails) {
                kernel().failingPaths[printer.devicePath] = 32;
            }
        }
    }
    CUsbLink& l = MakeLink();

    EXPECT_EQ(l.Open(68, c.instance, kDialogMode, 3), c.result);

    EXPECT_FALSE(l.IsOpened());
    EXPECT_EQ(kernel().OpenHandleCount(), 0);
    EXPECT_TRUE(kernel().mutexCreations.empty());
}

std::string FailureName(const ::testing::TestParamInfo<FailureCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Causes, OpenFailures,
    ::testing::Values(FailureCase{"NoDeviceOfTheModel", 0, 1, false, 1, kLinkNoDevice},
                      FailureCase{"ActiveAndDefaultIsNotLinked", 1, 3, false, 1, kLinkNotActive},
                      FailureCase{"InactiveIsNotLinked", 1, 0, false, 1, kLinkNotActive},
                      FailureCase{"DeviceThatCannotBeOpened", 1, 1, true, 1, kLinkNotOpened},
                      // No lookup has succeeded yet, so there is no linked flag to go on.
                      FailureCase{"InstanceBeyondTheDevices", 1, 1, false, 2, kLinkNotActive},
                      FailureCase{"InstanceZero", 1, 1, false, 0, kLinkNotActive}),
    FailureName);

TEST_F(UsbLinkTest, LaterLookupThatFindsNothingReopensTheKeptPath) {
    fake.deviceSetup.AddPrinters(kLumoA, 1);
    CUsbLink& l = MakeLink();
    ASSERT_EQ(l.Open(68, 1, kDialogMode, 3), kLinkOpened);
    const std::u16string path = Path();
    l.Close();

    // Instance 2 does not exist, but the count is not 0: the earlier path and flag stand.
    EXPECT_EQ(l.Open(68, 2, kDialogMode, 3), kLinkOpened);
    EXPECT_EQ(kernel().fileOpens.back().path, path);
    l.Close();

    // Once that device is gone, opening the kept path fails.
    kernel().failingPaths[path] = 2;
    EXPECT_EQ(l.Open(68, 2, kDialogMode, 3), kLinkNotOpened);
    EXPECT_EQ(Path(), path);
}

TEST_F(UsbLinkTest, OpenMayEndWithAnotherModelThanAskedFor) {
    fake.deviceSetup.AddPrinters(kLumoB, 1);
    CUsbLink& l = MakeLink();
    EXPECT_EQ(l.Open(68, 1, 0x002, 3), kLinkOpened);
    EXPECT_EQ(l.m_dwModelSN, 91u);
    EXPECT_EQ(BufferText(l.m_szVidPid, kPathCapacity), u"VID_2E47&PID_0502")
        << "the short form keeps the model asked for";
}

TEST_F(UsbLinkTest, CloseOnAnEmptyLinkMakesNoPlatformCall) {
    CUsbLink& l = MakeLink();
    l.Close();
    l.Close();
    EXPECT_TRUE(kernel().calls.empty());
}

TEST_F(UsbLinkTest, HandleNoLongerValidIsNotClosedButForgotten) {
    fake.deviceSetup.AddPrinters(kLumoA, 1);
    CUsbLink& l = MakeLink();
    ASSERT_EQ(l.Open(68, 1, kDialogMode, 3), kLinkOpened);
    const Handle read = l.m_hPipeR;
    kernel().Invalidate(read);
    kernel().closedHandles.clear();

    l.Close();

    EXPECT_TRUE(l.m_hPipeR.IsNull());
    EXPECT_EQ(std::count(kernel().closedHandles.begin(), kernel().closedHandles.end(), read), 0);
    EXPECT_EQ(kernel().closedHandles.size(), 2u) << "mutex and event are still closed";
}

TEST_F(UsbLinkTest, InvalidHandleValuesAreLeftAlone) {
    CUsbLink& l = MakeLink();
    l.m_hPipeR = Handle::Invalid();
    l.m_OverlappedAux.hEvent = Handle::Invalid();
    l.Close();
    EXPECT_TRUE(l.m_hPipeR.IsInvalid());
    EXPECT_TRUE(l.m_OverlappedAux.hEvent.IsInvalid());
    EXPECT_TRUE(kernel().calls.empty());
}

TEST_F(UsbLinkTest, AuxiliaryEventIsClosedLast) {
    CUsbLink& l = MakeLink();
    l.m_OverlappedAux.hEvent = kernel().CreateEventW(true, true);
    kernel().calls.clear();
    l.Close();
    EXPECT_EQ(kernel().calls, (std::vector<std::string>{"GetHandleInformation", "CloseHandle"}));
    EXPECT_TRUE(l.m_OverlappedAux.hEvent.IsNull());
}

TEST_F(UsbLinkTest, DestructionClosesEverything) {
    fake.deviceSetup.AddPrinters(kLumoA, 1);
    MakeLink().Open(68, 1, kDialogMode, 3);
    ASSERT_EQ(kernel().OpenHandleCount(), 3);
    link.reset();
    EXPECT_EQ(kernel().OpenHandleCount(), 0);
}

TEST_F(UsbLinkTest, OverlongPathIsNeverOpened) {
    CUsbLink& l = MakeLink();
    Handle handle{0x99};
    std::u16string path(300, u'p');
    EXPECT_FALSE(l.OpenPipe(path.c_str(), 1, handle, nullptr, 5000));
    EXPECT_TRUE(handle.IsNull());
    EXPECT_TRUE(kernel().fileOpens.empty());

    path.resize(259);
    EXPECT_TRUE(l.OpenPipe(path.c_str(), 1, handle, nullptr, 5000));
    EXPECT_EQ(kernel().fileOpens.at(0).path, path);
    EXPECT_TRUE(kernel().eventCreations.empty()) << "no overlapped record, no event";
}

TEST_F(UsbLinkTest, TracesTheChannelAndThePipes) {
    fake.deviceSetup.AddPrinters(kLumoA, 2);
    CUsbLink& l = MakeLink();
    TraceRecorder trace;

    ASSERT_EQ(l.Open(68, 2, kDialogMode, 3), kLinkOpened);

    EXPECT_EQ(
        trace.Texts(u"In OpenIOChannel"),
        (std::vector<std::u16string>{u"In OpenIOChannel, m_dwModelSN = 68, m_dwInstIndex = 2, "
                                     u"m_dwEnumMode = 258, dwDevNum = 2,\n"}));
    const std::u16string handle = FormatWide(u"%d", {l.m_hPipeR.value});
    const std::u16string event = FormatWide(u"%d", {l.m_OverlappedR.hEvent.value});
    EXPECT_EQ(
        trace.Texts(u"CUsbLink::CreatePipes"),
        (std::vector<std::u16string>{u"CUsbLink::CreatePipes(), m_hPipeW = " + handle +
                                     u", m_hPipeR = " + handle + u", m_OverlappedW.hEvent = " +
                                     event + u", m_OverlappedR.hEvent = " + event + u",\n"}));
}

}  // namespace
}  // namespace kelvane

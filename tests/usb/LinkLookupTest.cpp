#include <gtest/gtest.h>

#include <ostream>

#include <array>
#include <string>
#include <vector>

#include "common/WideText.h"
#include "platform/ErrorCodes.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/PrinterClass.h"
#include "tests/support/TraceRecorder.h"
#include "usb/GuidText.h"
#include "usb/PrinterModels.h"
#include "usb/UsbLink.h"

namespace kelvane {
namespace {

using testing::FakeInterface;
using testing::FakePlatform;
using testing::kPrinterClassGuid;
using testing::TraceRecorder;

constexpr std::uint32_t kLumoA = 0x2E470502;
constexpr std::uint32_t kLumoB = 0x2E47050E;
constexpr std::uint32_t kOtherVendor = 0x04B80E20;
constexpr std::uint32_t kPresentByVidPid = 0x102;

FakeInterface Printer(std::u16string instanceId, std::u16string path = {}) {
    FakeInterface printer;
    printer.devicePath = path.empty() ? u"\\\\?\\" + instanceId : std::move(path);
    printer.instanceId = std::move(instanceId);
    return printer;
}

struct LookupResult {
    std::uint32_t code = 0;
    std::u16string path;
    std::uint32_t linked = 0;
};

class LinkLookupTest : public ::testing::Test {
protected:
    LookupResult Lookup(std::uint32_t index, std::uint32_t mode, std::uint32_t vidPid,
                        std::u16string_view pathBefore = u"(before)",
                        std::uint32_t linkedBefore = 7) {
        std::array<char16_t, kPathCapacity> path{};
        CopyIfFits(path.data(), path.size(), pathBefore);
        LookupResult result;
        result.linked = linkedBefore;
        result.code =
            link.GetLinkByInterface(kPrinterClassGuid, index, path, result.linked, mode, vidPid);
        result.path = BufferText(path.data(), path.size());
        return result;
    }

    void ExpectEverythingReleased() const {
        EXPECT_EQ(fake.deviceSetup.OpenSetCount(), 0);
        EXPECT_EQ(fake.deviceSetup.OpenKeyCount(), 0);
        EXPECT_EQ(fake.deviceSetup.counts.SetupDiDestroyDeviceInfoList,
                  fake.deviceSetup.counts.SetupDiGetClassDevsW)
            << "every set built is destroyed once, also one that failed to build";
    }

    FakePlatform fake;
    CUsbLink link{fake.platform()};
    std::vector<FakeInterface>& interfaces = fake.deviceSetup.interfaces;
};

// ---- Counting --------------------------------------------------------------------------------

struct CountCase {
    const char* name;
    std::vector<std::u16string> instanceIds;
    std::uint32_t model;
    std::uint32_t mode;
    std::uint32_t expected;

    friend void PrintTo(const CountCase& c, std::ostream* os) { *os << c.name; }
};

class DeviceCountTest : public LinkLookupTest, public ::testing::WithParamInterface<CountCase> {};

TEST_P(DeviceCountTest, CountsTheInterfacesTheModeSelects) {
    for (const auto& id : GetParam().instanceIds) {
        interfaces.push_back(Printer(id));
    }
    EXPECT_EQ(link.GetDeviceCount(GetParam().model, GetParam().mode), GetParam().expected);
    ExpectEverythingReleased();
}

std::string CountName(const ::testing::TestParamInfo<CountCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Populations, DeviceCountTest,
    ::testing::Values(
        CountCase{"NoInterface", {}, 68, kPresentByVidPid, 0},
        CountCase{"OnlyOtherVendors",
                  {u"USB\\VID_04B8&PID_0E20\\1", u"USB\\VID_03F0&PID_1C17\\2"},
                  68,
                  kPresentByVidPid,
                  0},
        CountCase{"TwoOfTheModel",
                  {u"USB\\VID_2E47&PID_0502\\A", u"USB\\VID_2E47&PID_0502\\B"},
                  68,
                  kPresentByVidPid,
                  2},
        CountCase{"OtherModelFirst",
                  {u"USB\\VID_2E47&PID_050E\\A", u"USB\\VID_2E47&PID_0502\\B"},
                  68,
                  kPresentByVidPid,
                  1},
        CountCase{"LowerCaseId", {u"usb\\vid_2e47&pid_050e\\a"}, 91, kPresentByVidPid, 1},
        CountCase{"InterfaceOfCompositeDevice",
                  {u"USB\\VID_2E47&PID_0502&MI_00\\6&1"},
                  68,
                  kPresentByVidPid,
                  1},
        CountCase{"PrefixMustBeWhole", {u"USB\\VID_2E47&PID_050"}, 68, kPresentByVidPid, 0},
        CountCase{"NoRuleBitCountsEveryVendor",
                  {u"USB\\VID_04B8&PID_0E20\\1", u"USB\\VID_2E47&PID_050E\\2"},
                  68,
                  0x002,
                  2},
        CountCase{"PortBitPlaysNoPartInCounting", {u"USB\\VID_04B8&PID_0E20\\1"}, 68, 0x202, 1},
        CountCase{"PrefixRuleWithoutModelCountsNothing",
                  {u"USB\\VID_2E47&PID_0502\\A"},
                  0,
                  kPresentByVidPid,
                  0}),
    CountName);

TEST_F(LinkLookupTest, CountBuildsThePresentInterfaceSetOfThePrintClass) {
    link.GetDeviceCount(68, kPresentByVidPid);
    ASSERT_EQ(fake.deviceSetup.classDevsFlags.size(), 1u);
    EXPECT_EQ(fake.deviceSetup.classDevsFlags[0], kDigcfPresent | kDigcfDeviceInterface);
}

TEST_F(LinkLookupTest, CountExaminesOnlyTheFirstHundredMemberIndexes) {
    fake.deviceSetup.AddPrinters(kLumoA, 150);
    EXPECT_EQ(link.GetDeviceCount(68, kPresentByVidPid), 100u);
    EXPECT_EQ(fake.deviceSetup.HighestEnumeratedIndex(), 99u);
}

TEST_F(LinkLookupTest, CountSkipsAnOddEnumerationFailureAndStopsAtTheEnd) {
    fake.deviceSetup.AddPrinters(kLumoA, 3);
    fake.deviceSetup.enumerationFailures[1] = kErrorNotEnoughMemory;
    EXPECT_EQ(link.GetDeviceCount(68, kPresentByVidPid), 2u);

    fake.deviceSetup.enumerationFailures[1] = kErrorNoMoreItems;
    EXPECT_EQ(link.GetDeviceCount(68, kPresentByVidPid), 1u);
}

TEST_F(LinkLookupTest, SetThatCannotBeBuiltCountsNothingAndIsStillDestroyed) {
    fake.deviceSetup.AddPrinters(kLumoA, 2);
    fake.deviceSetup.setCannotBeBuilt = true;
    EXPECT_EQ(link.GetDeviceCount(68, kPresentByVidPid), 0u);
    EXPECT_EQ(link.GetDeviceCount(68, 0x002), 0u);
    EXPECT_EQ(fake.deviceSetup.counts.SetupDiDestroyDeviceInfoList, 2);
}

TEST_F(LinkLookupTest, InstanceIdThatCannotBeReadMatchesNothing) {
    interfaces.push_back(Printer(u"USB\\VID_2E47&PID_0502\\" + std::u16string(300, u'7'), u"p"));
    EXPECT_EQ(link.GetDeviceCount(68, kPresentByVidPid), 0u);
}

TEST_F(LinkLookupTest, ListingFillsSlotsInOrderAndCountingGoesOnWhenTheyAreFull) {
    interfaces.push_back(Printer(u"USB\\VID_2E47&PID_0502\\A", u"\\\\?\\first"));
    interfaces.push_back(Printer(u"USB\\VID_2E47&PID_050E\\B", u"\\\\?\\other"));
    interfaces.push_back(Printer(u"USB\\VID_2E47&PID_0502\\C", u"\\\\?\\second"));
    interfaces.push_back(Printer(u"USB\\VID_2E47&PID_0502\\D", u"\\\\?\\third"));
    interfaces[2].flags = kSpintActive | kSpintDefault;
    std::array<DevicePathSlot, 2> slots{};
    TraceRecorder trace;

    EXPECT_EQ(link.GetDeviceCount(68, kPresentByVidPid, slots), 3u);

    EXPECT_EQ(BufferText(slots[0].data(), slots[0].size()), u"\\\\?\\first");
    EXPECT_EQ(BufferText(slots[1].data(), slots[1].size()), u"\\\\?\\second");
    EXPECT_EQ(
        trace.Texts(u"szSymbolicLink"),
        (std::vector<std::u16string>{u"szSymbolicLink = \"\\\\?\\first\", dwLinked = 1,\n",
                                     u"szSymbolicLink = \"\\\\?\\second\", dwLinked = 0,\n"}));
}

TEST_F(LinkLookupTest, ListedPathThatCannotBeFetchedOrDoesNotFitLeavesAnEmptySlot) {
    interfaces.push_back(Printer(u"USB\\VID_2E47&PID_0502\\A", u"\\\\?\\gone"));
    interfaces[0].pathFetchFails = true;
    interfaces.push_back(Printer(u"USB\\VID_2E47&PID_0502\\B", std::u16string(256, u'p')));
    interfaces.push_back(Printer(u"USB\\VID_2E47&PID_0502\\C", std::u16string(255, u'q')));
    std::array<DevicePathSlot, 3> slots;
    for (auto& slot : slots) {
        slot.fill(u'x');
    }

    EXPECT_EQ(link.GetDeviceCount(68, kPresentByVidPid, slots), 3u);

    EXPECT_EQ(BufferText(slots[0].data(), slots[0].size()), u"");
    EXPECT_EQ(BufferText(slots[1].data(), slots[1].size()), u"") << "never cut to fit";
    EXPECT_EQ(BufferText(slots[2].data(), slots[2].size()), std::u16string(255, u'q'));
}

TEST_F(LinkLookupTest, ListingWithoutThePrefixRuleListsNothing) {
    fake.deviceSetup.AddPrinters(kLumoA, 2);
    std::array<DevicePathSlot, 2> slots{};
    EXPECT_EQ(link.GetDeviceCount(68, 0x002, slots), 2u);
    EXPECT_EQ(slots[0][0], u'\0');
    EXPECT_EQ(fake.deviceSetup.counts.SetupDiGetDeviceInterfaceDetailW, 0);
}

// ---- Lookup by prefix ------------------------------------------------------------------------

TEST_F(LinkLookupTest, PrefixRuleSelectsTheNthMatchingInterface) {
    interfaces.push_back(Printer(u"USB\\VID_2E47&PID_0502\\A", u"\\\\?\\a"));
    interfaces.push_back(Printer(u"USB\\VID_2E47&PID_0502\\B", u"\\\\?\\b"));
    link.m_dwModelSN = 68;

    const LookupResult first = Lookup(0, kPresentByVidPid, kLumoA);
    EXPECT_EQ(first.code, 0u);
    EXPECT_EQ(first.path, u"\\\\?\\a");
    EXPECT_EQ(first.linked, 1u);

    EXPECT_EQ(Lookup(1, kPresentByVidPid, kLumoA).path, u"\\\\?\\b");

    const LookupResult none = Lookup(2, kPresentByVidPid, kLumoA);
    EXPECT_EQ(none.code, kErrorNoMoreItems);
    EXPECT_EQ(none.path, u"(before)") << "a lookup that finds nothing writes no path";
    EXPECT_EQ(none.linked, 7u) << "nor the linked flag";
    EXPECT_EQ(link.m_dwModelSN, 68u);
    ExpectEverythingReleased();
}

TEST_F(LinkLookupTest, PrefixRuleSkipsOtherModelsEnumeratedBefore) {
    interfaces.push_back(Printer(u"USB\\VID_2E47&PID_050E\\A", u"\\\\?\\lumo-b"));
    interfaces.push_back(Printer(u"USB\\VID_2E47&PID_0502\\B", u"\\\\?\\lumo-a"));
    link.m_dwModelSN = 68;

    const LookupResult result = Lookup(0, kPresentByVidPid, kLumoA);
    EXPECT_EQ(result.code, 0u);
    EXPECT_EQ(result.path, u"\\\\?\\lumo-a");
    EXPECT_EQ(link.m_dwModelSN, 68u);
}

TEST_F(LinkLookupTest, InstanceIndexZeroSelectsNothing) {
    fake.deviceSetup.AddPrinters(kLumoA, 2);
    EXPECT_EQ(Lookup(0xFFFFFFFF, kPresentByVidPid, kLumoA).code, kErrorNoMoreItems);
    EXPECT_EQ(Lookup(0xFFFFFFFF, 0x002, 0).code, kErrorNoMoreItems);
}

TEST_F(LinkLookupTest, ActiveAndDefaultInterfaceIsFoundButNotLinked) {
    interfaces.push_back(Printer(u"USB\\VID_2E47&PID_0502\\A", u"\\\\?\\a"));
    interfaces[0].flags = kSpintActive | kSpintDefault;
    const LookupResult result = Lookup(0, kPresentByVidPid, kLumoA);
    EXPECT_EQ(result.path, u"\\\\?\\a");
    EXPECT_EQ(result.linked, 0u);
}

TEST_F(LinkLookupTest, ResultIsTheLastSkippedFailureEvenWhenFound) {
    fake.deviceSetup.AddPrinters(kLumoA, 3);
    fake.deviceSetup.enumerationFailures[0] = kErrorNotEnoughMemory;
    const LookupResult result = Lookup(1, kPresentByVidPid, kLumoA);
    EXPECT_EQ(result.code, kErrorNotEnoughMemory);
    EXPECT_NE(result.path.find(u"sn0003"), std::u16string::npos)
        << "index 0 was skipped, so the second match is member 2";
}

TEST_F(LinkLookupTest, SetThatCannotBeBuiltSelectsNothingAndReportsInvalidHandle) {
    fake.deviceSetup.AddPrinters(kLumoA, 1);
    fake.deviceSetup.setCannotBeBuilt = true;
    EXPECT_EQ(Lookup(0, kPresentByVidPid, kLumoA).code, kErrorInvalidHandle);
    EXPECT_EQ(Lookup(0, 0x002, 0).code, kErrorInvalidHandle);
    ExpectEverythingReleased();
}

TEST_F(LinkLookupTest, PrefixRuleSearchesOnlyTheFirstHundredMembers) {
    fake.deviceSetup.AddPrinters(kOtherVendor, 120);
    interfaces.push_back(Printer(u"USB\\VID_2E47&PID_0502\\LATE"));

    const LookupResult result = Lookup(0, kPresentByVidPid, kLumoA);

    EXPECT_EQ(result.code, kErrorNoMoreItems) << "the final enumeration of no member fails";
    EXPECT_EQ(result.path, u"(before)");
    for (const std::uint32_t index : fake.deviceSetup.enumeratedIndexes) {
        EXPECT_TRUE(index < 100 || index == 0xFFFFFFFF) << index;
    }
}

// ---- Direct index and model correction -------------------------------------------------------

TEST_F(LinkLookupTest, DirectIndexCorrectsTheModelFromTheDeviceFound) {
    interfaces.push_back(Printer(u"USB\\VID_2E47&PID_050E\\A", u"\\\\?\\b"));
    link.m_dwModelSN = 68;
    TraceRecorder trace;

    const LookupResult result = Lookup(0, 0x002, 0);

    EXPECT_EQ(result.code, 0u);
    EXPECT_EQ(result.path, u"\\\\?\\b");
    EXPECT_EQ(link.m_dwModelSN, 91u);
    EXPECT_EQ(trace.Texts(u"In GetLinkByInterface"),
              (std::vector<std::u16string>{
                  u"In GetLinkByInterface, szUsbVidPid = \"USB\\VID_0000&PID_0000\", dwIndex = 0, "
                  u"dwFlag = 2,\n",
                  u"In GetLinkByInterface, szSymbolicLink = \"\\\\?\\b\", dwLinked = 1, "
                  u"szInstanceId = \"USB\\VID_2E47&PID_050E\\A\",\n",
                  u"In GetLinkByInterface, dwVidPid2 = 0x2E47050E, dwVidPid = 0x2E470502,\n",
                  u"In GetLinkByInterface, m_dwModelSN = 91,\n"}));
}

struct CorrectionCase {
    const char* name;
    std::u16string instanceId;
    std::uint32_t modelAfter;

    friend void PrintTo(const CorrectionCase& c, std::ostream* os) { *os << c.name; }
};

class ModelCorrectionTest : public LinkLookupTest,
                            public ::testing::WithParamInterface<CorrectionCase> {};

TEST_P(ModelCorrectionTest, ReadsTheWordBackOutOfTheInstanceId) {
    interfaces.push_back(Printer(GetParam().instanceId, u"\\\\?\\x"));
    link.m_dwModelSN = 68;
    EXPECT_EQ(Lookup(0, 0x002, 0).code, 0u);
    EXPECT_EQ(link.m_dwModelSN, GetParam().modelAfter);
}

std::string CorrectionName(const ::testing::TestParamInfo<CorrectionCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    InstanceIds, ModelCorrectionTest,
    ::testing::Values(
        CorrectionCase{"SameModel", u"USB\\VID_2E47&PID_0502\\A", 68},
        CorrectionCase{"AnotherModelInTheTable", u"usb\\vid_2e47&pid_050e\\a", 91},
        CorrectionCase{"WordInNoRow", u"USB\\VID_04B8&PID_0E20\\1", 68},
        // The first "vid" and "pid" count, wherever they stand.
        CorrectionCase{"FirstOccurrencesCount", u"USB\\VID_2E47&PID_050E\\VID_04B8&PID_0E20", 91},
        CorrectionCase{"NumbersKeepTheirLow16Bits", u"USB\\VID_12E47&PID_1050E\\A", 91},
        CorrectionCase{"NoPid", u"USB\\VID_2E47\\A", 68},
        CorrectionCase{"NoVidOrPidAtAll", u"ROOT\\PRINTER\\0000", 68},
        CorrectionCase{"VidAtTheVeryEnd", u"USB\\PID_050E\\VID", 68},
        CorrectionCase{"EmptyId", u"", 68}),
    CorrectionName);

TEST_F(LinkLookupTest, PrefixRuleWithoutAWordFallsBackToPortRuleOrDirectIndex) {
    interfaces.push_back(Printer(u"USB\\VID_04B8&PID_0E20\\1", u"\\\\?\\direct"));
    interfaces[0].registry = {{u"Port Number", 1u}, {u"Base Name", u"USB"}};
    link.m_wWinVer = 14;

    EXPECT_EQ(Lookup(0, 0x102, 0).path, u"\\\\?\\direct");
    EXPECT_EQ(fake.deviceSetup.counts.SetupDiOpenDeviceInterfaceRegKey, 0);

    EXPECT_EQ(Lookup(0, 0x302, 0).path, u"\\\\?\\direct");
    EXPECT_EQ(fake.deviceSetup.counts.SetupDiOpenDeviceInterfaceRegKey, 1);
}

TEST_F(LinkLookupTest, DirectIndexMayNameAMemberBeyondTheHundredth) {
    fake.deviceSetup.AddPrinters(kLumoA, 151);
    const LookupResult result = Lookup(150, 0x002, 0);
    EXPECT_EQ(result.code, 0u);
    EXPECT_NE(result.path.find(u"sn0151"), std::u16string::npos);
}

// ---- Lookup by port --------------------------------------------------------------------------

FakeInterface PortInterface(std::u16string path, std::uint32_t port, std::u16string baseName,
                            std::uint32_t vidPid = kLumoA) {
    FakeInterface printer = Printer(u"USB\\VID_2E47&PID_0502\\" + path, u"\\\\?\\" + path);
    printer.registry = {{u"Port Number", port}, {u"Base Name", baseName}, {u"VID&PID", vidPid}};
    return printer;
}

struct PortCase {
    const char* name;
    std::uint16_t winVer;
    std::uint32_t index;
    std::u16string expectedPath;  // empty: nothing selected

    friend void PrintTo(const PortCase& c, std::ostream* os) { *os << c.name; }
};

class PortRuleTest : public LinkLookupTest, public ::testing::WithParamInterface<PortCase> {
protected:
    void SetUp() override {
        interfaces.push_back(PortInterface(u"dot4", 1, u"DOT4", kLumoB));
        interfaces.push_back(PortInterface(u"usb1", 1, u"USB"));
        interfaces.push_back(PortInterface(u"usb2", 2, u"uSb"));
        interfaces.push_back(PortInterface(u"lpt3", 3, u"LPT"));
        link.m_wWinVer = GetParam().winVer;
    }
};

TEST_P(PortRuleTest, SelectsByPortNumberAmongQualifyingInterfaces) {
    const LookupResult result = Lookup(GetParam().index, 0x202, kLumoA);
    if (GetParam().expectedPath.empty()) {
        EXPECT_EQ(result.code, kErrorNoMoreItems);
        EXPECT_EQ(result.path, u"(before)");
    } else {
        EXPECT_EQ(result.code, 0u);
        EXPECT_EQ(result.path, u"\\\\?\\" + GetParam().expectedPath);
    }
    ExpectEverythingReleased();
}

std::string PortName(const ::testing::TestParamInfo<PortCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(VersionCodes, PortRuleTest,
                         ::testing::Values(PortCase{"XpPortOneIsFirstUsbBaseName", 6, 0, u"usb1"},
                                           PortCase{"XpBaseNameIgnoresCase", 6, 1, u"usb2"},
                                           PortCase{"LaterWindowsTheSame", 15, 1, u"usb2"},
                                           PortCase{"OtherBaseNameNeverSelected", 6, 2, u""},
                                           PortCase{"Win2000MatchesVidPidValue", 5, 0, u"usb1"},
                                           PortCase{"Win2000OtherVidPidSkipped", 5, 1, u"usb2"},
                                           PortCase{"BelowWin2000NothingQualifies", 4, 0, u""},
                                           PortCase{"UnrecognisedSystemNothingQualifies", 0, 1,
                                                    u""}),
                         PortName);

TEST_F(LinkLookupTest, PortRuleTracesEachBaseNameAndClosesEachKey) {
    interfaces.push_back(PortInterface(u"a", 4, u"DOT4"));
    interfaces.push_back(PortInterface(u"b", 1, u"USB"));
    link.m_wWinVer = 6;
    TraceRecorder trace;

    Lookup(0, 0x202, 0);

    EXPECT_EQ(trace.Texts(u"In GetLinkByInterface, BaseName"),
              (std::vector<std::u16string>{
                  u"In GetLinkByInterface, BaseName = \"DOT4\", dwPortNumber = 4,\n",
                  u"In GetLinkByInterface, BaseName = \"USB\", dwPortNumber = 1,\n"}));
    EXPECT_EQ(fake.deviceSetup.counts.RegCloseKey, 2);
    EXPECT_EQ(fake.deviceSetup.OpenKeyCount(), 0);
}

TEST_F(LinkLookupTest, UnreadablePortNumberTakesThePreviousInterfacesValue) {
    interfaces.push_back(PortInterface(u"first", 2, u"LPT"));
    interfaces.push_back(PortInterface(u"second", 0, u"USB"));
    interfaces[1].registry.erase(u"Port Number");
    link.m_wWinVer = 6;

    EXPECT_EQ(Lookup(1, 0x202, 0).path, u"\\\\?\\second");
}

TEST_F(LinkLookupTest, UnreadableValuesOnTheFirstInterfaceReadAsZero) {
    interfaces.push_back(PortInterface(u"first", 0, u"USB"));
    interfaces[0].registry.erase(u"Port Number");
    link.m_wWinVer = 6;
    EXPECT_EQ(Lookup(0xFFFFFFFF, 0x202, 0).path, u"\\\\?\\first")
        << "port 0 minus 1 wraps to the instance index 0";
}

TEST_F(LinkLookupTest, UnreadableBaseNameOrKeyDoesNotQualify) {
    interfaces.push_back(PortInterface(u"nobase", 1, u"USB"));
    interfaces[0].registry.erase(u"Base Name");
    interfaces.push_back(PortInterface(u"nokey", 1, u"USB"));
    interfaces[1].registryKeyFails = true;
    interfaces.push_back(PortInterface(u"huge", 1, std::u16string(300, u'U')));
    link.m_wWinVer = 6;

    EXPECT_EQ(Lookup(0, 0x202, 0).code, kErrorNoMoreItems);
    ExpectEverythingReleased();
}

// ---- Paths -----------------------------------------------------------------------------------

TEST_F(LinkLookupTest, PathFetchThatFailsKeepsTheBufferButWritesTheLinkedFlag) {
    interfaces.push_back(Printer(u"USB\\VID_2E47&PID_0502\\A"));
    interfaces[0].pathFetchFails = true;
    const LookupResult result = Lookup(0, kPresentByVidPid, kLumoA, u"\\\\?\\earlier", 0);
    EXPECT_EQ(result.code, 0u);
    EXPECT_EQ(result.path, u"\\\\?\\earlier");
    EXPECT_EQ(result.linked, 1u);
}

TEST_F(LinkLookupTest, PathThatDoesNotFitIsNeverCutAndNeverLeftOver) {
    interfaces.push_back(Printer(u"USB\\VID_2E47&PID_0502\\A", std::u16string(260, u'p')));
    interfaces.push_back(Printer(u"USB\\VID_2E47&PID_0502\\B", std::u16string(259, u'q')));

    EXPECT_EQ(Lookup(0, kPresentByVidPid, kLumoA, u"\\\\?\\earlier").path, u"");
    EXPECT_EQ(Lookup(1, kPresentByVidPid, kLumoA).path, std::u16string(259, u'q'));
}

TEST_F(LinkLookupTest, DetailRecordIsAskedWithItsFixedSizeAndFreedEachTime) {
    fake.deviceSetup.AddPrinters(kLumoA, 1);
    EXPECT_EQ(Lookup(0, kPresentByVidPid, kLumoA).code, 0u);
    // One size query and one fetch; the fake refuses a record whose size field is wrong.
    EXPECT_EQ(fake.deviceSetup.counts.SetupDiGetDeviceInterfaceDetailW, 2);
    EXPECT_NE(Lookup(0, kPresentByVidPid, kLumoA).path, u"(before)");
}

}  // namespace
}  // namespace kelvane

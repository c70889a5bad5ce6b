// The link's device lookup over the udev provider, against mocked printers.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <umockdev.h>

#include <array>
#include <ostream>
#include <string>

#include "common/WideText.h"
#include "platform/ErrorCodes.h"
#include "platform/linux/LinuxDeviceSetup.h"
#include "platform/linux/LinuxKernelObjects.h"
#include "tests/platform/linux/UsbTestbed.h"
#include "tests/support/FakePlatform.h"
#include "usb/GuidText.h"
#include "usb/UsbLink.h"

namespace kelvane {
namespace {

using testing::FakePlatform;
using testing::MockUsbDevice;
using testing::UsbTestbed;

constexpr std::uint32_t kPresentByVidPid = 0x102;
constexpr std::uint32_t kPresentByPort = 0x202;
constexpr std::uint32_t kLumoA = 0x2E470502;
constexpr std::uint32_t kLumoB = 0x2E47050E;

MockUsbDevice Printer(std::string port, std::string product, unsigned lpMinor) {
    MockUsbDevice device;
    device.serial = "SN-" + port;
    device.idProduct = std::move(product);
    device.lpMinor = lpMinor;
    device.deviceNumber = 10 + static_cast<int>(lpMinor);
    device.port = std::move(port);
    return device;
}

struct Found {
    std::uint32_t code = 0;
    std::u16string path;
    std::uint32_t linked = 0;
};

FakePlatform WithRealDeviceSetup(LinuxDeviceSetup& setup) {
    FakePlatform platform;
    platform.Use(setup);
    return platform;
}

class LinuxLinkLookupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(umockdev_in_mock_environment()) << "run this program under umockdev-wrapper";
        ParseGuidString(printClass, kUsbPrintClassText);
    }

    void Add(const MockUsbDevice& device) { ASSERT_FALSE(usb.Add(device).empty()); }

    Found Lookup(std::uint32_t index, std::uint32_t mode, std::uint32_t vidPid) {
        std::array<char16_t, kPathCapacity> path{};
        Found found;
        found.linked = 7;
        found.code = link.GetLinkByInterface(printClass, index, path, found.linked, mode, vidPid);
        found.path = BufferText(path.data(), path.size());
        return found;
    }

    UsbTestbed usb;
    LinuxDeviceSetup setup;
    FakePlatform fake = WithRealDeviceSetup(setup);
    CUsbLink link{fake.platform()};
    GUID printClass{};
};

TEST_F(LinuxLinkLookupTest, FindsTheModelsPrinterAndItsLpNode) {
    Add(Printer("1-1", "0502", 0));
    link.m_dwModelSN = 68;

    EXPECT_EQ(link.GetDeviceCount(68, kPresentByVidPid), 1u);
    EXPECT_EQ(link.GetDeviceCount(91, kPresentByVidPid), 0u);

    const Found found = Lookup(0, kPresentByVidPid, kLumoA);
    EXPECT_EQ(found.code, 0u);
    EXPECT_EQ(found.path, u"/dev/usb/lp0");
    EXPECT_EQ(found.linked, 1u);
    EXPECT_EQ(link.m_dwModelSN, 68u);
    EXPECT_EQ(Lookup(1, kPresentByVidPid, kLumoA).code, kErrorNoMoreItems);
}

TEST_F(LinuxLinkLookupTest, OtherModelEnumeratedFirstIsPassedOver) {
    Add(Printer("1-1", "050e", 0));
    Add(Printer("1-2", "0502", 1));
    link.m_dwModelSN = 68;

    std::array<DevicePathSlot, 2> slots{};
    EXPECT_EQ(link.GetDeviceCount(68, kPresentByVidPid, slots), 1u);
    EXPECT_EQ(BufferText(slots[0].data(), slots[0].size()), u"/dev/usb/lp1");
    EXPECT_EQ(Lookup(0, kPresentByVidPid, kLumoA).path, u"/dev/usb/lp1");
    EXPECT_EQ(link.m_dwModelSN, 68u);
}

TEST_F(LinuxLinkLookupTest, DirectIndexCorrectsTheModelFromTheUdevInstanceId) {
    Add(Printer("1-1", "050e", 0));
    link.m_dwModelSN = 68;
    EXPECT_EQ(Lookup(0, 0x002, 0).path, u"/dev/usb/lp0");
    EXPECT_EQ(link.m_dwModelSN, 91u);
}

TEST_F(LinuxLinkLookupTest, PrinterWhoseNodeIsGoneIsFoundButNotLinked) {
    MockUsbDevice printer = Printer("1-1", "0502", 0);
    printer.nodesExist = false;
    Add(printer);
    const Found found = Lookup(0, kPresentByVidPid, kLumoA);
    EXPECT_EQ(found.code, 0u);
    EXPECT_EQ(found.path, u"/dev/usb/lp0");
    EXPECT_EQ(found.linked, 0u);
}

struct PortCase {
    const char* name;
    std::uint16_t winVer;
    std::uint32_t index;
    std::uint32_t vidPid;
    std::u16string expectedPath;  // empty: nothing selected

    friend void PrintTo(const PortCase& c, std::ostream* os) { *os << c.name; }
};

class LinuxPortRuleTest : public LinuxLinkLookupTest,
                          public ::testing::WithParamInterface<PortCase> {};

// The port rule reads the interface key's values, which only usblp's nodes give a port.
TEST_P(LinuxPortRuleTest, SelectsByTheLpNodesPort) {
    // Sysfs order differs from port order: 1-1 is on lp1, 1-2 on lp0.
    Add(Printer("1-1", "0502", 1));
    Add(Printer("1-2", "050e", 0));
    link.m_wWinVer = GetParam().winVer;

    const Found found = Lookup(GetParam().index, kPresentByPort, GetParam().vidPid);
    if (GetParam().expectedPath.empty()) {
        EXPECT_EQ(found.code, kErrorNoMoreItems);
        EXPECT_EQ(found.path, u"");
    } else {
        EXPECT_EQ(found.code, 0u);
        EXPECT_EQ(found.path, GetParam().expectedPath);
    }
}

std::string PortName(const ::testing::TestParamInfo<PortCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    VersionCodes, LinuxPortRuleTest,
    ::testing::Values(PortCase{"FirstPort", 6, 0, kLumoA, u"/dev/usb/lp0"},
                      PortCase{"SecondPort", 15, 1, kLumoA, u"/dev/usb/lp1"},
                      PortCase{"NoThirdPort", 15, 2, kLumoA, u""},
                      PortCase{"Win2000ByVidPidWord", 5, 0, kLumoB, u"/dev/usb/lp0"},
                      PortCase{"Win2000OtherWordOnThatPort", 5, 0, kLumoA, u""}),
    PortName);

TEST_F(LinuxLinkLookupTest, OpensAndClosesTheMockedLpNode) {
    Add(Printer("1-1", "0502", 0));
    LinuxKernelObjects kernel;
    fake.Use(kernel);
    CUsbLink realLink{fake.platform()};

    ASSERT_EQ(realLink.Open(68, 1, kPresentByVidPid, 3), kLinkOpened);
    EXPECT_EQ(kernel.PathOf(realLink.m_hPipeR), u"/dev/usb/lp0");
    const int fd = kernel.DescriptorOf(realLink.m_hPipeR);
    EXPECT_GE(fd, 0);
    realLink.Close();
    EXPECT_EQ(kernel.DescriptorOf(realLink.m_hPipeR), -1);
    EXPECT_FALSE(realLink.IsOpened());
    // The mutex's name outlives its handles; leave the machine as it was.
    ::shm_unlink(LinuxKernelObjects::SharedObjectName("Global\\/usb/lp0").c_str());
}

}  // namespace
}  // namespace kelvane

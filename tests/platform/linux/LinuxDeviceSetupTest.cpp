#include <gtest/gtest.h>
#include <umockdev.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/ErrorCodes.h"
#include "platform/linux/LinuxDeviceSetup.h"
#include "tests/platform/linux/UsbTestbed.h"
#include "tests/support/PrinterClass.h"

namespace kelvane {
namespace {

using testing::kPrinterClassGuid;
using testing::MockUsbDevice;
using testing::UsbTestbed;

constexpr std::uint32_t kInterfacesOfPresent = kDigcfPresent | kDigcfDeviceInterface;
constexpr GUID kOtherClassGuid{
    0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

std::string Narrow(std::u16string_view text) {
    std::string narrow;
    for (const char16_t c : text) {
        narrow += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return narrow;
}

// One interface of a set as a caller of the device-setup services sees it.
struct Member {
    std::u16string instanceId;
    std::u16string path;
    std::uint32_t flags = 0;

    friend bool operator==(const Member&, const Member&) = default;
    friend void PrintTo(const Member& m, std::ostream* os) {
        *os << "{" << Narrow(m.instanceId) << ", " << Narrow(m.path) << ", flags " << m.flags
            << "}";
    }
};

// A registry value as RegQueryValueExW returned it.
struct ValueRead {
    std::int32_t code = -1;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;

    std::uint32_t Number() const {
        std::uint32_t number = 0;
        if (data.size() == sizeof(number)) {
            std::memcpy(&number, data.data(), sizeof(number));
        }
        return number;
    }
    std::u16string Text() const {
        std::u16string text(data.size() / 2, u'\0');
        std::memcpy(text.data(), data.data(), text.size() * 2);
        return text;
    }
};

SP_DEVICE_INTERFACE_DATA NewInterfaceData() {
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof(data);
    return data;
}

SP_DEVINFO_DATA NewDeviceData() {
    SP_DEVINFO_DATA data{};
    data.cbSize = sizeof(data);
    return data;
}

class LinuxDeviceSetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(umockdev_in_mock_environment()) << "run this program under umockdev-wrapper";
    }

    void AddDevice(const MockUsbDevice& device) { ASSERT_FALSE(usb.Add(device).empty()); }

    DeviceInfoSet BuildSet(const GUID& classGuid = kPrinterClassGuid,
                           std::uint32_t flags = kInterfacesOfPresent) {
        const DeviceInfoSet set = setup.SetupDiGetClassDevsW(classGuid, flags);
        EXPECT_TRUE(set.HoldsHandle());
        return set;
    }

    void Destroy(DeviceInfoSet set) { EXPECT_TRUE(setup.SetupDiDestroyDeviceInfoList(set)); }

    SP_DEVICE_INTERFACE_DATA Interface(DeviceInfoSet set, std::uint32_t index) {
        SP_DEVICE_INTERFACE_DATA data = NewInterfaceData();
        EXPECT_TRUE(setup.SetupDiEnumDeviceInterfaces(set, kPrinterClassGuid, index, data))
            << "error " << setup.GetLastError();
        return data;
    }

    // Interface `index` with its instance ID, read from the device element of the same index,
    // and its path, read through a detail record of the size the provider asked for.
    Member ReadMember(DeviceInfoSet set, std::uint32_t index) {
        Member member;
        const SP_DEVICE_INTERFACE_DATA data = Interface(set, index);
        member.flags = data.Flags;

        SP_DEVINFO_DATA device = NewDeviceData();
        EXPECT_TRUE(setup.SetupDiEnumDeviceInfo(set, index, device));
        char16_t id[260] = {};
        std::uint32_t required = 0;
        EXPECT_TRUE(setup.SetupDiGetDeviceInstanceIdW(set, device, id, 260, &required));
        member.instanceId = id;
        EXPECT_EQ(required, member.instanceId.size() + 1);

        std::uint32_t size = 0;
        EXPECT_FALSE(setup.SetupDiGetDeviceInterfaceDetailW(set, data, nullptr, 0, &size));
        EXPECT_EQ(setup.GetLastError(), kErrorInsufficientBuffer);
        std::vector<std::uint8_t> buffer(size, 0xCC);
        if (buffer.size() < kDetailPathOffset + sizeof(char16_t)) {
            ADD_FAILURE() << "detail size " << size;
            return member;
        }
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = kDetailFixedSize;
        EXPECT_TRUE(setup.SetupDiGetDeviceInterfaceDetailW(set, data, detail, size, nullptr));
        std::u16string path((size - kDetailPathOffset) / 2, u'\0');
        std::memcpy(path.data(), buffer.data() + kDetailPathOffset, path.size() * 2);
        EXPECT_EQ(path.back(), u'\0') << "the reported size holds the path and its terminator";
        path.pop_back();
        EXPECT_EQ(path.find(u'\0'), std::u16string::npos);
        member.path = path;
        return member;
    }

    // Every member of one set, which ends with 259 after the last.
    std::vector<Member> ReadMembers(DeviceInfoSet set) {
        std::vector<Member> members;
        for (std::uint32_t index = 0;; ++index) {
            SP_DEVICE_INTERFACE_DATA data = NewInterfaceData();
            if (!setup.SetupDiEnumDeviceInterfaces(set, kPrinterClassGuid, index, data)) {
                EXPECT_EQ(setup.GetLastError(), kErrorNoMoreItems);
                return members;
            }
            members.push_back(ReadMember(set, index));
        }
    }

    // The members of a set built now.
    std::vector<Member> Members() {
        const DeviceInfoSet set = BuildSet();
        std::vector<Member> members = ReadMembers(set);
        Destroy(set);
        return members;
    }

    ValueRead QueryValue(RegistryKey key, const char16_t* name, std::uint32_t capacity = 520) {
        ValueRead read;
        read.data.assign(capacity, 0xCC);
        std::uint32_t size = capacity;
        read.code = setup.RegQueryValueExW(key, name, &read.type, read.data.data(), &size);
        if (read.code == 0) {
            read.data.resize(size);
        }
        return read;
    }

    // Value `name` of interface `index`, through a key opened and closed for it.
    ValueRead QueryValue(DeviceInfoSet set, std::uint32_t index, const char16_t* name) {
        const RegistryKey key =
            setup.SetupDiOpenDeviceInterfaceRegKey(set, Interface(set, index), kKeyQueryValue);
        EXPECT_TRUE(key.HoldsHandle());
        ValueRead read = QueryValue(key, name);
        EXPECT_EQ(setup.RegCloseKey(key), 0);
        return read;
    }

    UsbTestbed usb;
    LinuxDeviceSetup setup;
};

// ---- What a member shows ---------------------------------------------------------------------

struct MemberCase {
    const char* name;
    MockUsbDevice device;
    Member expected;
    // The "Port Number" value; nullopt: it cannot be read.
    std::optional<std::uint32_t> portNumber;

    friend void PrintTo(const MemberCase& c, std::ostream* os) { *os << c.name; }
};

MockUsbDevice WithoutUsblp() {
    MockUsbDevice device;
    device.lpMinor = std::nullopt;
    return device;
}

MockUsbDevice WithUsblp(unsigned minor) {
    MockUsbDevice device;
    device.lpMinor = minor;
    return device;
}

MockUsbDevice WithoutNodes(MockUsbDevice device) {
    device.nodesExist = false;
    return device;
}

MockUsbDevice WithoutLpNumber() {
    MockUsbDevice device;
    device.lpHasDeviceNumber = false;
    return device;
}

class MemberTest : public LinuxDeviceSetupTest, public ::testing::WithParamInterface<MemberCase> {};

TEST_P(MemberTest, ShowsTheInterfaceAndItsKey) {
    AddDevice(GetParam().device);
    const DeviceInfoSet set = BuildSet();

    EXPECT_EQ(ReadMembers(set), std::vector<Member>{GetParam().expected});

    const ValueRead port = QueryValue(set, 0, u"Port Number");
    if (GetParam().portNumber) {
        EXPECT_EQ(port.code, 0);
        EXPECT_EQ(port.type, kRegDword);
        EXPECT_EQ(port.data.size(), 4u);
        EXPECT_EQ(port.Number(), *GetParam().portNumber);
    } else {
        EXPECT_EQ(port.code, static_cast<std::int32_t>(kErrorFileNotFound));
    }
    const ValueRead baseName = QueryValue(set, 0, u"Base Name");
    EXPECT_EQ(baseName.code, 0);
    EXPECT_EQ(baseName.type, kRegSz);
    EXPECT_EQ(baseName.Text(), std::u16string(u"USB\0", 4)) << "REG_SZ keeps its terminator";
    const ValueRead vidPid = QueryValue(set, 0, u"VID&PID");
    EXPECT_EQ(vidPid.code, 0);
    EXPECT_EQ(vidPid.type, kRegDword);
    EXPECT_EQ(vidPid.Number(), 0x2E470502u);
    Destroy(set);
}

std::string MemberName(const ::testing::TestParamInfo<MemberCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Printers, MemberTest,
    ::testing::Values(
        MemberCase{"DrivenByUsblp",
                   WithUsblp(0),
                   {u"USB\\VID_2E47&PID_0502\\LUMO0001", u"/dev/usb/lp0", kSpintActive},
                   1},
        MemberCase{"PortNumberFollowsTheLpMinor",
                   WithUsblp(3),
                   {u"USB\\VID_2E47&PID_0502\\LUMO0001", u"/dev/usb/lp3", kSpintActive},
                   4},
        MemberCase{"WithoutUsblpTheUsbfsNode",
                   WithoutUsblp(),
                   {u"USB\\VID_2E47&PID_0502\\LUMO0001", u"/dev/bus/usb/001/002", kSpintActive},
                   std::nullopt},
        MemberCase{"LpNodeMissingIsNotActive",
                   WithoutNodes(WithUsblp(0)),
                   {u"USB\\VID_2E47&PID_0502\\LUMO0001", u"/dev/usb/lp0", 0},
                   1},
        MemberCase{"UsbfsNodeMissingIsNotActive",
                   WithoutNodes(WithoutUsblp()),
                   {u"USB\\VID_2E47&PID_0502\\LUMO0001", u"/dev/bus/usb/001/002", 0},
                   std::nullopt},
        MemberCase{"LpNodeWithoutNumberHasNoPort",
                   WithoutLpNumber(),
                   {u"USB\\VID_2E47&PID_0502\\LUMO0001", u"/dev/usb/lp0", kSpintActive},
                   std::nullopt}),
    MemberName);

// ---- Instance IDs ----------------------------------------------------------------------------

struct InstanceIdCase {
    const char* name;
    std::string port;
    std::string idProduct;
    std::optional<std::string> serial;
    std::u16string expected;

    friend void PrintTo(const InstanceIdCase& c, std::ostream* os) { *os << c.name; }
};

class InstanceIdTest : public LinuxDeviceSetupTest,
                       public ::testing::WithParamInterface<InstanceIdCase> {};

TEST_P(InstanceIdTest, NamesTheDeviceBySerialOrPortPath) {
    MockUsbDevice device;
    device.port = GetParam().port;
    device.idProduct = GetParam().idProduct;
    device.serial = GetParam().serial;
    AddDevice(device);

    const std::vector<Member> members = Members();
    ASSERT_EQ(members.size(), 1u);
    EXPECT_EQ(members[0].instanceId, GetParam().expected);
    EXPECT_LE(members[0].instanceId.size(), 199u) << "no longer than Windows makes them";
}

std::string InstanceIdName(const ::testing::TestParamInfo<InstanceIdCase>& info) {
    return info.param.name;
}

const std::u16string kLumoA = u"USB\\VID_2E47&PID_0502\\";

INSTANTIATE_TEST_SUITE_P(
    Devices, InstanceIdTest,
    ::testing::Values(
        InstanceIdCase{"Serial", "1-1", "0502", "LUMO0001", kLumoA + u"LUMO0001"},
        InstanceIdCase{"HexInUpperCase", "1-1", "050e", "x9", u"USB\\VID_2E47&PID_050E\\x9"},
        InstanceIdCase{"NoSerialPortPath", "1-1.2", "0502", std::nullopt, kLumoA + u"1-1.2"},
        InstanceIdCase{"EmptySerialPortPath", "1-1.2", "0502", "", kLumoA + u"1-1.2"},
        InstanceIdCase{"SerialWithBlankPortPath", "1-3", "0502", "AB 12", kLumoA + u"1-3"},
        InstanceIdCase{"SerialWithBackslashPortPath", "1-3", "0502", "AB\\12", kLumoA + u"1-3"},
        InstanceIdCase{"NonAsciiSerialPortPath", "1-3", "0502", "caf\xC3\xA9", kLumoA + u"1-3"},
        InstanceIdCase{"LongestSerialThatFits", "1-3", "0502", std::string(177, 'S'),
                       kLumoA + std::u16string(177, u'S')},
        InstanceIdCase{"SerialOneTooLongPortPath", "1-3", "0502", std::string(178, 'S'),
                       kLumoA + u"1-3"},
        InstanceIdCase{"HugeSerialPortPath", "1-3", "0502", std::string(4000, 'S'),
                       kLumoA + u"1-3"}),
    InstanceIdName);

// ---- Which devices are members ---------------------------------------------------------------

struct MembershipCase {
    const char* name;
    MockUsbDevice device;
    bool member;

    friend void PrintTo(const MembershipCase& c, std::ostream* os) { *os << c.name; }
};

template <typename Change>
MockUsbDevice Changed(Change change) {
    MockUsbDevice device;
    change(device);
    return device;
}

class MembershipTest : public LinuxDeviceSetupTest,
                       public ::testing::WithParamInterface<MembershipCase> {};

TEST_P(MembershipTest, OnlyPrinterInterfacesThatCanBeNamedAndOpened) {
    AddDevice(GetParam().device);
    EXPECT_EQ(Members().size(), GetParam().member ? 1u : 0u);
}

std::string MembershipName(const ::testing::TestParamInfo<MembershipCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Devices, MembershipTest,
    ::testing::Values(
        MembershipCase{"PrinterInterface", MockUsbDevice{}, true},
        MembershipCase{"OtherInterfaceClass",
                       Changed([](MockUsbDevice& d) { d.interfaceClass = "03"; }), false},
        MembershipCase{"NoInterfaceClass",
                       Changed([](MockUsbDevice& d) { d.interfaceClass.reset(); }), false},
        MembershipCase{"InterfaceClassNotHex",
                       Changed([](MockUsbDevice& d) { d.interfaceClass = "0g"; }), false},
        MembershipCase{"InterfaceClassHidingAPrinter",
                       Changed([](MockUsbDevice& d) { d.interfaceClass = "107"; }), false},
        MembershipCase{"NoVendor", Changed([](MockUsbDevice& d) { d.idVendor.reset(); }), false},
        MembershipCase{"NoProduct", Changed([](MockUsbDevice& d) { d.idProduct.reset(); }), false},
        MembershipCase{"VendorNotHex", Changed([](MockUsbDevice& d) { d.idVendor = "2e4z"; }),
                       false},
        MembershipCase{"VendorWithSign", Changed([](MockUsbDevice& d) { d.idVendor = "-2e4"; }),
                       false},
        MembershipCase{"VendorBeyondSixteenBits",
                       Changed([](MockUsbDevice& d) { d.idVendor = "12e47"; }), false},
        MembershipCase{"NothingToOpen", Changed([](MockUsbDevice& d) {
                           d.lpMinor.reset();
                           d.hasUsbfsNode = false;
                       }),
                       false},
        MembershipCase{"UsbfsNodeIsEnoughToOpen",
                       Changed([](MockUsbDevice& d) { d.hasUsbfsNode = false; }), true}),
    MembershipName);

TEST_F(LinuxDeviceSetupTest, InterfaceWithoutItsUsbDeviceIsNoMember) {
    ASSERT_TRUE(usb.AddFromString(
        "P: /devices/platform/stray/9-9:1.0\n"
        "E: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\nA: bInterfaceClass=07\n\n"
        "P: /devices/platform/stray/9-9:1.0/usbmisc/lp5\n"
        "N: usb/lp5\nE: SUBSYSTEM=usbmisc\nE: DEVNAME=/dev/usb/lp5\nE: MAJOR=180\nE: MINOR=5\n"));
    AddDevice(MockUsbDevice{});

    const std::vector<Member> members = Members();
    ASSERT_EQ(members.size(), 1u);
    EXPECT_EQ(members[0].path, u"/dev/usb/lp0");
}

// ---- Order and snapshots ---------------------------------------------------------------------

TEST_F(LinuxDeviceSetupTest, TwoPrintersOfOneModelInAStableOrderWithDevicesPaired) {
    MockUsbDevice second;
    second.port = "1-2";
    second.serial = "B";
    second.lpMinor = 0;
    second.deviceNumber = 3;
    MockUsbDevice first;
    first.port = "1-10";
    first.serial = "A";
    first.lpMinor = 1;
    first.deviceNumber = 4;
    // Added in the order opposite to the one the set keeps.
    AddDevice(second);
    AddDevice(first);

    const std::vector<Member> expected{
        {kLumoA + u"A", u"/dev/usb/lp1", kSpintActive},
        {kLumoA + u"B", u"/dev/usb/lp0", kSpintActive},
    };
    EXPECT_EQ(Members(), expected);
    EXPECT_EQ(Members(), expected) << "every set lists them in the same order";
}

TEST_F(LinuxDeviceSetupTest, BuiltSetAndOpenKeyKeepWhatTheySawWhenDevicesComeAndGo) {
    MockUsbDevice gone;
    gone.serial = "GONE";
    gone.lpMinor = 2;
    const std::string gonePath = usb.Add(gone);
    ASSERT_FALSE(gonePath.empty());
    const DeviceInfoSet before = BuildSet();
    const RegistryKey key =
        setup.SetupDiOpenDeviceInterfaceRegKey(before, Interface(before, 0), kKeyQueryValue);

    usb.Remove(gonePath);
    MockUsbDevice arrived;
    arrived.port = "1-4";
    arrived.serial = "NEW";
    arrived.deviceNumber = 5;
    AddDevice(arrived);

    EXPECT_EQ(ReadMembers(before),
              (std::vector<Member>{{kLumoA + u"GONE", u"/dev/usb/lp2", kSpintActive}}));
    Destroy(before);
    EXPECT_EQ(QueryValue(key, u"Port Number").Number(), 3u) << "the key outlives its set";
    EXPECT_EQ(setup.RegCloseKey(key), 0);

    EXPECT_EQ(Members(), (std::vector<Member>{{kLumoA + u"NEW", u"/dev/usb/lp0", kSpintActive}}));
}

// ---- Registry values -------------------------------------------------------------------------

TEST_F(LinuxDeviceSetupTest, ValueNamesMatchIgnoringCaseAndUnknownNamesAreNotFound) {
    AddDevice(MockUsbDevice{});
    const DeviceInfoSet set = BuildSet();

    EXPECT_EQ(QueryValue(set, 0, u"pORT nUMBER").Number(), 1u);
    EXPECT_EQ(QueryValue(set, 0, u"vid&pid").Number(), 0x2E470502u);
    EXPECT_EQ(QueryValue(set, 0, u"BASE NAME").code, 0);
    for (const char16_t* name :
         {u"Port", u"Port Number ", u"", static_cast<const char16_t*>(nullptr)}) {
        EXPECT_EQ(QueryValue(set, 0, name).code, static_cast<std::int32_t>(kErrorFileNotFound))
            << Narrow(name != nullptr ? name : u"(null)");
    }
    Destroy(set);
}

TEST_F(LinuxDeviceSetupTest, ValueThatDoesNotFitIsNotWrittenAndItsSizeIsReported) {
    AddDevice(MockUsbDevice{});
    const DeviceInfoSet set = BuildSet();
    const RegistryKey key =
        setup.SetupDiOpenDeviceInterfaceRegKey(set, Interface(set, 0), kKeyQueryValue);

    struct SizeCase {
        const char16_t* name;
        std::uint32_t capacity;
        std::uint32_t needed;
    };
    for (const SizeCase& c : {SizeCase{u"Port Number", 3, 4}, SizeCase{u"Base Name", 7, 8}}) {
        std::vector<std::uint8_t> buffer(16, 0xCC);
        std::uint32_t size = c.capacity;
        EXPECT_EQ(setup.RegQueryValueExW(key, c.name, nullptr, buffer.data(), &size),
                  static_cast<std::int32_t>(kErrorMoreData));
        EXPECT_EQ(size, c.needed);
        EXPECT_EQ(buffer, std::vector<std::uint8_t>(16, 0xCC)) << "nothing is written";

        size = 0;
        EXPECT_EQ(setup.RegQueryValueExW(key, c.name, nullptr, nullptr, &size), 0)
            << "with no buffer the size alone is asked for";
        EXPECT_EQ(size, c.needed);
    }
    EXPECT_EQ(setup.RegCloseKey(key), 0);
    Destroy(set);
}

// ---- Failures --------------------------------------------------------------------------------

TEST_F(LinuxDeviceSetupTest, EnumerationEndsWithNoMoreItems) {
    AddDevice(MockUsbDevice{});
    const DeviceInfoSet set = BuildSet();
    for (const std::uint32_t index : {1u, 2u, 0xFFFFFFFFu}) {
        SP_DEVICE_INTERFACE_DATA data = NewInterfaceData();
        EXPECT_FALSE(setup.SetupDiEnumDeviceInterfaces(set, kPrinterClassGuid, index, data));
        EXPECT_EQ(setup.GetLastError(), kErrorNoMoreItems) << index;
        SP_DEVINFO_DATA device = NewDeviceData();
        EXPECT_FALSE(setup.SetupDiEnumDeviceInfo(set, index, device));
        EXPECT_EQ(setup.GetLastError(), kErrorNoMoreItems) << index;
    }
    SP_DEVICE_INTERFACE_DATA data = NewInterfaceData();
    EXPECT_FALSE(setup.SetupDiEnumDeviceInterfaces(set, kOtherClassGuid, 0, data))
        << "a printer set has no interface of another class";
    EXPECT_EQ(setup.GetLastError(), kErrorNoMoreItems);
    Destroy(set);
}

struct EmptySetCase {
    const char* name;
    GUID classGuid;
    std::uint32_t flags;

    friend void PrintTo(const EmptySetCase& c, std::ostream* os) { *os << c.name; }
};

class EmptySetTest : public LinuxDeviceSetupTest,
                     public ::testing::WithParamInterface<EmptySetCase> {};

TEST_P(EmptySetTest, HoldsNoPrinter) {
    AddDevice(MockUsbDevice{});
    const DeviceInfoSet set = BuildSet(GetParam().classGuid, GetParam().flags);
    SP_DEVICE_INTERFACE_DATA data = NewInterfaceData();
    EXPECT_FALSE(setup.SetupDiEnumDeviceInterfaces(set, GetParam().classGuid, 0, data));
    EXPECT_EQ(setup.GetLastError(), kErrorNoMoreItems);
    SP_DEVINFO_DATA device = NewDeviceData();
    EXPECT_FALSE(setup.SetupDiEnumDeviceInfo(set, 0, device));
    EXPECT_EQ(setup.GetLastError(), kErrorNoMoreItems);
    Destroy(set);
}

std::string EmptySetName(const ::testing::TestParamInfo<EmptySetCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Requests, EmptySetTest,
    ::testing::Values(EmptySetCase{"OtherClass", kOtherClassGuid, kInterfacesOfPresent},
                      EmptySetCase{"PrinterClassAsSetupClass", kPrinterClassGuid, kDigcfPresent}),
    EmptySetName);

TEST_F(LinuxDeviceSetupTest, WithoutThePresentFlagTheSameInterfaces) {
    AddDevice(MockUsbDevice{});
    const DeviceInfoSet set = BuildSet(kPrinterClassGuid, kDigcfDeviceInterface);
    EXPECT_EQ(ReadMembers(set), Members());
    Destroy(set);
}

// A handle on which every operation fails with ERROR_INVALID_HANDLE.
struct HandleCase {
    const char* name;
    // Builds a set and gives back a handle that names no set, maybe that one after destroying it.
    DeviceInfoSet (*make)(LinuxDeviceSetup&);

    friend void PrintTo(const HandleCase& c, std::ostream* os) { *os << c.name; }
};

class DeadHandleTest : public LinuxDeviceSetupTest,
                       public ::testing::WithParamInterface<HandleCase> {};

TEST_P(DeadHandleTest, EveryOperationFailsWithInvalidHandle) {
    AddDevice(MockUsbDevice{});
    // Records filled in while the set was alive, handed back after it is gone.
    const DeviceInfoSet live = BuildSet();
    const SP_DEVICE_INTERFACE_DATA interfaceData = Interface(live, 0);
    SP_DEVINFO_DATA device = NewDeviceData();
    ASSERT_TRUE(setup.SetupDiEnumDeviceInfo(live, 0, device));
    Destroy(live);
    const DeviceInfoSet dead = GetParam().make(setup);
    const auto expectInvalidHandle = [this](bool result, const char* operation) {
        EXPECT_FALSE(result) << operation;
        EXPECT_EQ(setup.GetLastError(), kErrorInvalidHandle) << operation;
    };

    SP_DEVICE_INTERFACE_DATA data = NewInterfaceData();
    expectInvalidHandle(setup.SetupDiEnumDeviceInterfaces(dead, kPrinterClassGuid, 0, data),
                        "SetupDiEnumDeviceInterfaces");
    SP_DEVINFO_DATA info = NewDeviceData();
    expectInvalidHandle(setup.SetupDiEnumDeviceInfo(dead, 0, info), "SetupDiEnumDeviceInfo");
    char16_t id[260] = {};
    expectInvalidHandle(setup.SetupDiGetDeviceInstanceIdW(dead, device, id, 260, nullptr),
                        "SetupDiGetDeviceInstanceIdW");
    std::uint32_t size = 0;
    expectInvalidHandle(
        setup.SetupDiGetDeviceInterfaceDetailW(dead, interfaceData, nullptr, 0, &size),
        "SetupDiGetDeviceInterfaceDetailW");
    EXPECT_EQ(size, 0u);
    const RegistryKey key = setup.SetupDiOpenDeviceInterfaceRegKey(dead, interfaceData, 1);
    expectInvalidHandle(key.HoldsHandle(), "SetupDiOpenDeviceInterfaceRegKey");
    expectInvalidHandle(setup.SetupDiDestroyDeviceInfoList(dead), "SetupDiDestroyDeviceInfoList");
}

std::string HandleName(const ::testing::TestParamInfo<HandleCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Handles, DeadHandleTest,
    ::testing::Values(HandleCase{"Destroyed",
                                 [](LinuxDeviceSetup& s) {
                                     const DeviceInfoSet set =
                                         s.SetupDiGetClassDevsW(kPrinterClassGuid, 0x12);
                                     s.SetupDiDestroyDeviceInfoList(set);
                                     return set;
                                 }},
                      HandleCase{"Null", [](LinuxDeviceSetup&) { return DeviceInfoSet::Null(); }},
                      HandleCase{"Invalid",
                                 [](LinuxDeviceSetup&) { return DeviceInfoSet::Invalid(); }},
                      HandleCase{"NeverIssued",
                                 [](LinuxDeviceSetup& s) {
                                     const DeviceInfoSet set =
                                         s.SetupDiGetClassDevsW(kPrinterClassGuid, 0x12);
                                     return DeviceInfoSet{set.value + 1000};
                                 }}),
    HandleName);

TEST_F(LinuxDeviceSetupTest, ClosedOrUnknownKeyIsAnInvalidHandle) {
    AddDevice(MockUsbDevice{});
    const DeviceInfoSet set = BuildSet();
    const RegistryKey key =
        setup.SetupDiOpenDeviceInterfaceRegKey(set, Interface(set, 0), kKeyQueryValue);
    ASSERT_TRUE(key.HoldsHandle());
    EXPECT_EQ(setup.RegCloseKey(key), 0);

    const auto invalidHandle = static_cast<std::int32_t>(kErrorInvalidHandle);
    for (const RegistryKey dead :
         {key, RegistryKey::Null(), RegistryKey::Invalid(), RegistryKey{set.value}}) {
        EXPECT_EQ(QueryValue(dead, u"Base Name").code, invalidHandle) << dead.value;
        EXPECT_EQ(setup.RegCloseKey(dead), invalidHandle) << dead.value;
    }
    Destroy(set);
}

TEST_F(LinuxDeviceSetupTest, RecordsMustCarryTheirSizeAndComeFromTheSet) {
    AddDevice(MockUsbDevice{});
    const DeviceInfoSet set = BuildSet();

    SP_DEVICE_INTERFACE_DATA data = NewInterfaceData();
    data.cbSize = sizeof(data) - 1;
    EXPECT_FALSE(setup.SetupDiEnumDeviceInterfaces(set, kPrinterClassGuid, 0, data));
    EXPECT_EQ(setup.GetLastError(), kErrorInvalidUserBuffer);
    SP_DEVINFO_DATA device = NewDeviceData();
    device.cbSize = 0;
    EXPECT_FALSE(setup.SetupDiEnumDeviceInfo(set, 0, device));
    EXPECT_EQ(setup.GetLastError(), kErrorInvalidUserBuffer);

    // Records the set never filled in, or filled in for another member than they claim.
    const SP_DEVICE_INTERFACE_DATA blank = NewInterfaceData();
    std::uint32_t size = 0;
    EXPECT_FALSE(setup.SetupDiGetDeviceInterfaceDetailW(set, blank, nullptr, 0, &size));
    EXPECT_EQ(setup.GetLastError(), kErrorInvalidParameter);
    EXPECT_FALSE(setup.SetupDiOpenDeviceInterfaceRegKey(set, blank, kKeyQueryValue).HoldsHandle());
    EXPECT_EQ(setup.GetLastError(), kErrorInvalidParameter);
    SP_DEVICE_INTERFACE_DATA beyond = Interface(set, 0);
    beyond.Reserved += 1;
    EXPECT_FALSE(setup.SetupDiGetDeviceInterfaceDetailW(set, beyond, nullptr, 0, &size));
    EXPECT_EQ(setup.GetLastError(), kErrorInvalidParameter);
    char16_t id[260] = {};
    device = NewDeviceData();
    EXPECT_FALSE(setup.SetupDiGetDeviceInstanceIdW(set, device, id, 260, nullptr));
    EXPECT_EQ(setup.GetLastError(), kErrorInvalidParameter);
    ASSERT_TRUE(setup.SetupDiEnumDeviceInfo(set, 0, device));
    device.DevInst = 1;
    EXPECT_FALSE(setup.SetupDiGetDeviceInstanceIdW(set, device, id, 260, nullptr));
    EXPECT_EQ(setup.GetLastError(), kErrorInvalidParameter);

    EXPECT_FALSE(setup.SetupDiOpenDeviceInterfaceRegKey(set, Interface(set, 0), 0).HoldsHandle())
        << "a key that cannot be read is of no use";
    Destroy(set);
}

TEST_F(LinuxDeviceSetupTest, InstanceIdThatDoesNotFitIsNotWritten) {
    AddDevice(MockUsbDevice{});
    const DeviceInfoSet set = BuildSet();
    SP_DEVINFO_DATA device = NewDeviceData();
    ASSERT_TRUE(setup.SetupDiEnumDeviceInfo(set, 0, device));
    const std::u16string expected = kLumoA + u"LUMO0001";
    const auto needed = static_cast<std::uint32_t>(expected.size() + 1);

    std::vector<char16_t> buffer(needed + 8, u'#');
    std::uint32_t required = 0;
    EXPECT_FALSE(
        setup.SetupDiGetDeviceInstanceIdW(set, device, buffer.data(), needed - 1, &required));
    EXPECT_EQ(setup.GetLastError(), kErrorInsufficientBuffer);
    EXPECT_EQ(required, needed);
    EXPECT_EQ(buffer, std::vector<char16_t>(needed + 8, u'#'));

    required = 0;
    EXPECT_FALSE(setup.SetupDiGetDeviceInstanceIdW(set, device, nullptr, 0, &required));
    EXPECT_EQ(setup.GetLastError(), kErrorInsufficientBuffer);
    EXPECT_EQ(required, needed);

    EXPECT_TRUE(setup.SetupDiGetDeviceInstanceIdW(set, device, buffer.data(), needed, nullptr));
    EXPECT_EQ(std::u16string(buffer.data()), expected);
    EXPECT_EQ(buffer[needed], u'#') << "nothing past the capacity";
    Destroy(set);
}

TEST_F(LinuxDeviceSetupTest, DetailRecordIsCheckedAndNeverOverrun) {
    AddDevice(MockUsbDevice{});
    const DeviceInfoSet set = BuildSet();
    const SP_DEVICE_INTERFACE_DATA data = Interface(set, 0);
    const std::u16string path = u"/dev/usb/lp0";
    const auto needed = static_cast<std::uint32_t>(4 + (path.size() + 1) * 2);

    std::uint32_t required = 0;
    EXPECT_FALSE(setup.SetupDiGetDeviceInterfaceDetailW(set, data, nullptr, 0, &required));
    EXPECT_EQ(setup.GetLastError(), kErrorInsufficientBuffer);
    EXPECT_EQ(required, needed);
    EXPECT_FALSE(setup.SetupDiGetDeviceInterfaceDetailW(set, data, nullptr, 64, &required));
    EXPECT_EQ(setup.GetLastError(), kErrorInvalidUserBuffer) << "a size with no buffer";

    std::vector<std::uint8_t> buffer(needed + 16, 0xCC);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
    for (const std::uint32_t wrongSize : {0u, 4u, kDetailFixedSize + 1, needed}) {
        detail->cbSize = wrongSize;
        EXPECT_FALSE(setup.SetupDiGetDeviceInterfaceDetailW(set, data, detail, needed, nullptr));
        EXPECT_EQ(setup.GetLastError(), kErrorInvalidUserBuffer) << wrongSize;
    }

    detail->cbSize = kDetailFixedSize;
    required = 0;
    EXPECT_FALSE(setup.SetupDiGetDeviceInterfaceDetailW(set, data, detail, needed - 1, &required));
    EXPECT_EQ(setup.GetLastError(), kErrorInsufficientBuffer);
    EXPECT_EQ(required, needed);
    EXPECT_TRUE(std::all_of(buffer.begin() + 4, buffer.end(), [](auto b) { return b == 0xCC; }))
        << "nothing is written into a record that is too small";

    EXPECT_TRUE(setup.SetupDiGetDeviceInterfaceDetailW(set, data, detail, needed, nullptr));
    std::u16string written(path.size() + 1, u'#');
    std::memcpy(written.data(), buffer.data() + 4, written.size() * 2);
    EXPECT_EQ(written, path + u'\0');
    EXPECT_TRUE(
        std::all_of(buffer.begin() + needed, buffer.end(), [](auto b) { return b == 0xCC; }));
    Destroy(set);
}

}  // namespace
}  // namespace kelvane

#include <gtest/gtest.h>

#include <windows.h>

#include <setupapi.h>

#include <array>
#include <ostream>
#include <string>
#include <vector>

#include "common/WideText.h"
#include "platform/ErrorCodes.h"
#include "platform/win32/Win32DeviceSetup.h"
#include "tests/platform/win32/Win32TestSupport.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/ForwardingDeviceSetup.h"
#include "tests/support/PrinterClass.h"
#include "usb/UsbLink.h"

namespace kelvane {
namespace {

using testing::FakePlatform;
using testing::kPrinterClassGuid;
using testing::ToU16;

constexpr std::uint32_t kLumoA = 0x2E470502;

// GUID_DEVINTERFACE_MONITOR: the test prefix's display has one present interface of it.
constexpr kelvane::GUID kMonitorClassGuid{
    0xE6F07B5F, 0xEE97, 0x4A90, {0xB0, 0x76, 0x33, 0xF5, 0x7B, 0xF4, 0xEA, 0xA7}};

// The real provider, with a count of the sets built and destroyed and of the keys opened and
// closed, so a test can tell that everything was released.
class CountingDeviceSetup final : public kelvane::testing::ForwardingDeviceSetup {
public:
    CountingDeviceSetup() : ForwardingDeviceSetup(m_real) {}

    int setsBuilt = 0;
    int setsDestroyed = 0;
    int destroyFailures = 0;
    int keysOpened = 0;
    int keysClosed = 0;

    DeviceInfoSet SetupDiGetClassDevsW(const GUID& classGuid, std::uint32_t flags) override {
        ++setsBuilt;
        return ForwardingDeviceSetup::SetupDiGetClassDevsW(classGuid, flags);
    }
    RegistryKey SetupDiOpenDeviceInterfaceRegKey(DeviceInfoSet set,
                                                 const SP_DEVICE_INTERFACE_DATA& interfaceData,
                                                 std::uint32_t samDesired) override {
        const RegistryKey key =
            ForwardingDeviceSetup::SetupDiOpenDeviceInterfaceRegKey(set, interfaceData, samDesired);
        keysOpened += key.HoldsHandle() ? 1 : 0;
        return key;
    }
    std::int32_t RegCloseKey(RegistryKey key) override {
        const std::int32_t status = ForwardingDeviceSetup::RegCloseKey(key);
        keysClosed += status == 0 ? 1 : 0;
        return status;
    }
    bool SetupDiDestroyDeviceInfoList(DeviceInfoSet set) override {
        ++setsDestroyed;
        const bool destroyed = ForwardingDeviceSetup::SetupDiDestroyDeviceInfoList(set);
        destroyFailures += destroyed ? 0 : 1;
        return destroyed;
    }

private:
    // Built before the base uses it: the base holds only a reference.
    Win32DeviceSetup m_real;
};

class LookupOverSetupApi : public ::testing::Test {
protected:
    void ExpectEverythingReleased() const {
        EXPECT_GT(setup.setsBuilt, 0);
        EXPECT_EQ(setup.setsDestroyed, setup.setsBuilt);
        EXPECT_EQ(setup.destroyFailures, 0) << "every set was a real one";
        EXPECT_EQ(setup.keysClosed, setup.keysOpened);
    }

    CountingDeviceSetup setup;
    FakePlatform fake;
    CUsbLink link{[this] {
        fake.Use(setup);
        return fake.platform();
    }()};
};

// ---- The printing class: no printer on this machine --------------------------------------

struct ModeCase {
    const char* name;
    std::uint32_t mode;

    friend void PrintTo(const ModeCase& c, std::ostream* os) { *os << c.name; }
};

class NoPrinterPresent : public LookupOverSetupApi,
                         public ::testing::WithParamInterface<ModeCase> {};

TEST_P(NoPrinterPresent, CountsNoneLooksUpNothingAndDestroysEverySet) {
    const std::uint32_t mode = GetParam().mode;
    EXPECT_EQ(link.GetDeviceCount(68, mode), 0u);

    std::array<char16_t, kPathCapacity> path{};
    CopyIfFits(path.data(), path.size(), u"(before)");
    std::uint32_t linked = 7;
    EXPECT_EQ(link.GetLinkByInterface(kPrinterClassGuid, 0, path, linked, mode, kLumoA),
              kErrorNoMoreItems)
        << "the set was built and is empty; a set that failed to build would give 6";
    EXPECT_EQ(BufferText(path.data(), path.size()), u"(before)");
    EXPECT_EQ(linked, 7u);

    EXPECT_EQ(link.Open(68, 1, mode, kPipeRead | kPipeWrite), kLinkNoDevice);
    EXPECT_FALSE(link.IsOpened());
    ExpectEverythingReleased();
}

std::string ModeName(const ::testing::TestParamInfo<ModeCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Modes, NoPrinterPresent,
                         ::testing::Values(ModeCase{"PresentByVidPid", 0x102},
                                           ModeCase{"PresentByPort", 0x202},
                                           ModeCase{"EveryPresentInterface", 0x002},
                                           ModeCase{"RegisteredByVidPid", 0x100}),
                         ModeName);

// ---- A class that has an interface here: the path fetch ----------------------------------

struct ListedInterface {
    std::u16string path;
    std::uint32_t flags = 0;
};

// The class's present interfaces as SetupAPI lists them, fetched here without the provider.
std::vector<ListedInterface> ListPresentInterfaces(const kelvane::GUID& interfaceClass) {
    const auto* guid = reinterpret_cast<const ::GUID*>(&interfaceClass);
    const HDEVINFO set =
        ::SetupDiGetClassDevsW(guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    std::vector<ListedInterface> listed;
    ::SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof(data);
    for (DWORD i = 0; ::SetupDiEnumDeviceInterfaces(set, nullptr, guid, i, &data); ++i) {
        std::vector<unsigned char> buffer(4096);
        auto* detail = reinterpret_cast<::SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof(::SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        if (::SetupDiGetDeviceInterfaceDetailW(
                set, &data, detail, static_cast<DWORD>(buffer.size()), nullptr, nullptr)) {
            listed.push_back({ToU16(detail->DevicePath), data.Flags});
        }
    }
    ::SetupDiDestroyDeviceInfoList(set);
    return listed;
}

TEST_F(LookupOverSetupApi, FetchesThePathAndLinkedFlagOfARealInterface) {
    const std::vector<ListedInterface> listed = ListPresentInterfaces(kMonitorClassGuid);
    ASSERT_FALSE(listed.empty()) << "the test prefix has a display, and so a monitor interface";

    EXPECT_EQ(link.EnumDeviceLinks(kMonitorClassGuid, kDigcfPresent, 0), listed.size());
    std::array<char16_t, kPathCapacity> path{};
    std::uint32_t linked = 7;
    EXPECT_EQ(link.GetLinkByInterface(kMonitorClassGuid, 0, path, linked, kDigcfPresent, 0),
              kErrorSuccess);
    EXPECT_EQ(BufferText(path.data(), path.size()), listed[0].path);
    EXPECT_EQ(linked, listed[0].flags == kSpintActive ? 1u : 0u);
    ExpectEverythingReleased();
}

// ---- The provider's own conduct ----------------------------------------------------------

TEST(Win32DeviceSetup, EmptySetEndsAtOnceAndItsErrorOutlivesLaterCalls) {
    Win32DeviceSetup setup;
    const DeviceInfoSet set =
        setup.SetupDiGetClassDevsW(kPrinterClassGuid, kDigcfPresent | kDigcfDeviceInterface);
    ASSERT_TRUE(set.HoldsHandle());
    kelvane::SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof(data);
    EXPECT_FALSE(setup.SetupDiEnumDeviceInterfaces(set, kPrinterClassGuid, 0, data));
    ::SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(setup.GetLastError(), kErrorNoMoreItems);
    EXPECT_TRUE(setup.SetupDiDestroyDeviceInfoList(set));
}

TEST(Win32DeviceSetup, KeyOfAFailedOpenIsNotClosed) {
    Win32DeviceSetup setup;
    EXPECT_EQ(setup.RegCloseKey(RegistryKey::Invalid()),
              static_cast<std::int32_t>(kErrorInvalidHandle));
    EXPECT_EQ(setup.RegCloseKey(RegistryKey::Null()),
              static_cast<std::int32_t>(kErrorInvalidHandle));
}

// Registry reads through the provider, on a scratch key of this process's own.
struct RegistryReadCase {
    const char* name;
    const char16_t* valueName;
    std::uint32_t bufferSize;
    std::int32_t status;
    std::uint32_t type;  // looked at only on success
    std::uint32_t size;  // what the size argument holds afterwards

    friend void PrintTo(const RegistryReadCase& c, std::ostream* os) { *os << c.name; }
};

class ScratchRegistryKey : public ::testing::Test {
protected:
    void SetUp() override {
        m_keyPath = L"Software\\Kelvane-test-" + std::to_wstring(::GetCurrentProcessId());
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, m_keyPath.c_str(), 0, nullptr, 0,
                                    KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const DWORD port = 3;
        ::RegSetValueExW(key, L"Port Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&port),
                         sizeof(port));
        const wchar_t baseName[] = L"USB";
        ::RegSetValueExW(key, L"Base Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(baseName),
                         sizeof(baseName));
        m_key = RegistryKey{reinterpret_cast<std::uintptr_t>(key)};
    }
    void TearDown() override {
        if (m_key.HoldsHandle()) {
            EXPECT_EQ(setup.RegCloseKey(m_key), 0);
        }
        ::RegDeleteKeyW(HKEY_CURRENT_USER, m_keyPath.c_str());
    }

    Win32DeviceSetup setup;
    RegistryKey m_key;

private:
    std::wstring m_keyPath;
};

class RegistryReads : public ScratchRegistryKey,
                      public ::testing::WithParamInterface<RegistryReadCase> {};

TEST_P(RegistryReads, ReportLikeTheRegistry) {
    const RegistryReadCase& c = GetParam();
    std::array<std::uint8_t, 16> buffer{};
    std::uint32_t type = 0xFFFF;
    std::uint32_t size = c.bufferSize;
    EXPECT_EQ(setup.RegQueryValueExW(m_key, c.valueName, &type, buffer.data(), &size), c.status);
    EXPECT_EQ(size, c.size);
    if (c.status == 0) {
        EXPECT_EQ(type, c.type);
    }
}

std::string RegistryReadName(const ::testing::TestParamInfo<RegistryReadCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Values, RegistryReads,
    ::testing::Values(RegistryReadCase{"Number", u"Port Number", 4, 0, kRegDword, 4},
                      RegistryReadCase{"NameIgnoresCase", u"PORT NUMBER", 16, 0, kRegDword, 4},
                      RegistryReadCase{"Text", u"Base Name", 16, 0, kRegSz, 8},
                      RegistryReadCase{"TooSmall", u"Base Name", 4, 234, 0, 8},
                      RegistryReadCase{"Missing", u"VID&PID", 4, 2, 0, 4}),
    RegistryReadName);

TEST_F(ScratchRegistryKey, ValuesArriveWhole) {
    std::uint32_t port = 0;
    std::uint32_t size = sizeof(port);
    ASSERT_EQ(setup.RegQueryValueExW(m_key, u"Port Number", nullptr,
                                     reinterpret_cast<std::uint8_t*>(&port), &size),
              0);
    EXPECT_EQ(port, 3u);
    char16_t text[8] = {};
    size = sizeof(text);
    ASSERT_EQ(setup.RegQueryValueExW(m_key, u"Base Name", nullptr,
                                     reinterpret_cast<std::uint8_t*>(text), &size),
              0);
    EXPECT_EQ(std::u16string_view(text), u"USB");
}

}  // namespace
}  // namespace kelvane

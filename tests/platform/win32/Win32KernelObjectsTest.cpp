#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>

#include <array>
#include <string>

#include "platform/ErrorCodes.h"
#include "platform/win32/Win32KernelObjects.h"
#include "tests/platform/win32/Win32TestSupport.h"
#include "tests/support/FakePlatform.h"
#include "usb/UsbLink.h"

namespace kelvane {
namespace {

using testing::ChildResult;
using testing::FakePlatform;
using testing::OwnHandleCount;
using testing::RunChildRole;
using testing::ScratchFile;
using testing::ToU16;

constexpr std::uint32_t kLumoA = 0x2E470502;

HANDLE ToWindows(Handle handle) {
    return reinterpret_cast<HANDLE>(handle.value);
}

bool IsOpenHandle(HANDLE handle) {
    DWORD flags = 0;
    return ::GetHandleInformation(handle, &flags) != FALSE;
}

// How a file handle was opened: FILE_SYNCHRONOUS_IO_NONALERT is absent for overlapped use.
bool IsOverlapped(HANDLE file) {
    constexpr ULONG kFileModeInformation = 16;
    constexpr ULONG kFileSynchronousIoNonalert = 0x20;
    ULONG mode = 0;
    if (testing::QueryFileInformation(file, kFileModeInformation, &mode, sizeof(mode)) != 0) {
        ADD_FAILURE() << "the file mode cannot be read";
    }
    return (mode & kFileSynchronousIoNonalert) == 0;
}

// A scratch file in the place of the printer: the only interface of the fake device population
// has its path, written the way device paths are ("\\?\" first).
class LinkOverWin32Kernel : public ::testing::Test {
protected:
    void SetUp() override {
        fake.Use(kernel);
        fake.deviceSetup.AddPrinters(kLumoA, 1);
        fake.deviceSetup.interfaces[0].devicePath = u"\\\\?\\" + ToU16(file.path());
    }

    std::u16string DevicePath() const { return fake.deviceSetup.interfaces[0].devicePath; }

    // The first named object a process makes leaves the system holding a handle to the folder
    // of named objects for the rest of the process; one open and close before counting keeps
    // that handle out of the balance.
    void OpenAndCloseOnce() {
        CUsbLink link(fake.platform());
        ASSERT_EQ(link.Open(68, 1, 0x102, kPipeRead | kPipeWrite), kLinkOpened);
    }

    // The name the device's mutex must have: the path without its first four characters and
    // its backslashes, in small letters, in the global namespace.
    std::string ExpectedMutexName() const {
        std::string name = "Global\\";
        for (const char16_t c : DevicePath().substr(4)) {
            if (c != u'\\') {
                name += static_cast<char>(c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c);
            }
        }
        return name;
    }

    ScratchFile file;
    Win32KernelObjects kernel;
    FakePlatform fake;
};

TEST_F(LinkOverWin32Kernel, OpenHoldsOneSharedHandleItsEventAndTheMutexAndCloseReleasesThem) {
    if (!testing::IsIsolated()) {
        testing::RunIsolated();
        return;
    }
    OpenAndCloseOnce();
    const long before = OwnHandleCount();
    ASSERT_GE(before, 0) << "the handle table cannot be read";
    CUsbLink link(fake.platform());
    ASSERT_GE(link.m_wWinVer, 5) << "the read handle serves for writing too";

    ASSERT_EQ(link.Open(68, 1, 0x102, kPipeRead | kPipeWrite), kLinkOpened);
    EXPECT_EQ(OwnHandleCount(), before + 3);
    EXPECT_EQ(link.m_hPipeW, link.m_hPipeR);
    EXPECT_EQ(link.m_OverlappedW.hEvent, link.m_OverlappedR.hEvent);
    EXPECT_TRUE(IsOverlapped(ToWindows(link.m_hPipeR)));
    // The event starts signalled and stays so when waited on: manual reset.
    const HANDLE event = ToWindows(link.m_OverlappedR.hEvent);
    EXPECT_EQ(::WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(::WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    DWORD mutexFlags = 0;
    ASSERT_TRUE(::GetHandleInformation(ToWindows(link.m_hMutexRW), &mutexFlags));
    EXPECT_NE(mutexFlags & HANDLE_FLAG_INHERIT, 0u) << "other processes may inherit the mutex";

    const std::array<HANDLE, 3> held{ToWindows(link.m_hPipeR), event, ToWindows(link.m_hMutexRW)};
    link.Close();
    EXPECT_FALSE(link.IsOpened());
    EXPECT_EQ(OwnHandleCount(), before);
    for (const HANDLE handle : held) {
        EXPECT_FALSE(IsOpenHandle(handle));
    }
}

TEST_F(LinkOverWin32Kernel, ReadHandleWithoutTimeLimitIsSynchronousAndHasNoEvent) {
    CUsbLink link(fake.platform());
    link.m_dwTimeoutR = 0;
    ASSERT_EQ(link.Open(68, 1, 0x102, kPipeRead | kPipeWrite), kLinkOpened);
    EXPECT_FALSE(IsOverlapped(ToWindows(link.m_hPipeR)));
    EXPECT_TRUE(link.m_OverlappedR.hEvent.IsNull());
}

TEST_F(LinkOverWin32Kernel, MissingDeviceCountsAsAbsentAndLeavesNoHandle) {
    if (!testing::IsIsolated()) {
        testing::RunIsolated();
        return;
    }
    OpenAndCloseOnce();
    fake.deviceSetup.interfaces[0].devicePath = DevicePath() + u".gone";
    const long before = OwnHandleCount();
    {
        CUsbLink link(fake.platform());
        EXPECT_EQ(link.Open(68, 1, 0x102, kPipeRead | kPipeWrite), kLinkNotOpened);
        EXPECT_EQ(kernel.GetLastError(), kErrorFileNotFound);
        EXPECT_FALSE(link.IsOpened());
        EXPECT_TRUE(link.m_hMutexRW.IsNull());
    }
    EXPECT_EQ(OwnHandleCount(), before);
}

TEST_F(LinkOverWin32Kernel, RepeatedOpenAndCloseLeakNoHandle) {
    if (!testing::IsIsolated()) {
        testing::RunIsolated();
        return;
    }
    OpenAndCloseOnce();
    CUsbLink link(fake.platform());
    const long before = OwnHandleCount();
    for (int cycle = 0; cycle < 200; ++cycle) {
        ASSERT_EQ(link.Open(68, 1, 0x102, kPipeRead | kPipeWrite), kLinkOpened)
            << "cycle " << cycle;
        link.Close();
    }
    EXPECT_EQ(OwnHandleCount(), before);
}

TEST_F(LinkOverWin32Kernel, DeviceMutexIsGlobalOpenToEveryoneAndSeenByAnotherProcess) {
    CUsbLink link(fake.platform());
    ASSERT_EQ(link.Open(68, 1, 0x102, kPipeRead | kPipeWrite), kLinkOpened);
    ASSERT_TRUE(link.m_hMutexRW.HoldsHandle());
    const std::string name = ExpectedMutexName();

    const HANDLE seen = ::OpenMutexA(SYNCHRONIZE, FALSE, name.c_str());
    EXPECT_NE(seen, nullptr) << "no mutex is named " << name;
    if (seen != nullptr) {
        ::CloseHandle(seen);
    }
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(
        ::GetSecurityInfo(ToWindows(link.m_hMutexRW), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION,
                          nullptr, nullptr, &dacl, nullptr, &descriptor),
        ERROR_SUCCESS);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ::GetSecurityDescriptorControl(descriptor, &control, &revision);
    EXPECT_NE(control & SE_DACL_PRESENT, 0);
    EXPECT_EQ(dacl, nullptr) << "a present but null DACL lets every user open the mutex";
    ::LocalFree(descriptor);

    const std::wstring wideName(name.begin(), name.end());
    ChildResult child = RunChildRole(L"create-mutex", wideName);
    EXPECT_EQ(child.output, "handle=1 error=183\n") << "another process finds it existing";

    link.Close();
    child = RunChildRole(L"create-mutex", wideName);
    EXPECT_EQ(child.output, "handle=1 error=0\n") << "closing the link let the mutex go";
}

TEST(Win32KernelObjects, ErrorCodeOutlivesLaterCallsOfOtherServices) {
    Win32KernelObjects kernel;
    const Handle missing = kernel.CreateFileW(u"C:\\kelvane-no-such-printer", kGenericRead,
                                              kFileShareRead, kOpenExisting, 0);
    EXPECT_TRUE(missing.IsInvalid());
    ::SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(kernel.GetLastError(), kErrorFileNotFound);
}

TEST(Win32KernelObjects, ConvertsToTheAnsiCodePage) {
    Win32KernelObjects kernel;
    EXPECT_EQ(kernel.WideCharToMultiByte(kCpAcp, 0, u"Global\\usb", -1, nullptr, 0), 11);
    char narrow[11] = {};
    EXPECT_EQ(kernel.WideCharToMultiByte(kCpAcp, 0, u"Global\\usb", -1, narrow, 11), 11);
    EXPECT_STREQ(narrow, "Global\\usb");
    EXPECT_EQ(kernel.WideCharToMultiByte(kCpAcp, 0, u"Global\\usb", -1, narrow, 4), 0);
    EXPECT_EQ(kernel.GetLastError(), kErrorInsufficientBuffer);
}

}  // namespace
}  // namespace kelvane

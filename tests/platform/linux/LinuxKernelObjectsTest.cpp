#include "platform/linux/LinuxKernelObjects.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>

#include "common/Utf8.h"
#include "common/WideText.h"
#include "platform/ErrorCodes.h"
#include "tests/support/FakePlatform.h"
#include "usb/UsbLink.h"

namespace kelvane {
namespace {

constexpr std::uint32_t kReadWrite = kGenericRead | kGenericWrite;
constexpr std::uint32_t kShareAll = kFileShareRead | kFileShareWrite;
constexpr std::uint32_t kDeviceFlags = kFileFlagSequentialScan | kFileAttributeNormal;

int OpenDescriptorCount() {
    int count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (::readdir(dir) != nullptr) {
            ++count;
        }
        ::closedir(dir);
    }
    return count;
}

// A scratch file standing in for a printer node.
class ScratchFile {
public:
    ScratchFile() {
        char name[] = "/tmp/kelvane-lp-XXXXXX";
        const int fd = ::mkstemp(name);
        ::close(fd);
        m_path = name;
    }
    ~ScratchFile() { std::remove(m_path.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    std::u16string WidePath() const { return Utf8ToUtf16(m_path); }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

TEST(LinuxKernelObjects, OpensAndClosesAFileWithoutLeakingIntoChildren) {
    LinuxKernelObjects kernel;
    ScratchFile file;

    const Handle handle = kernel.CreateFileW(file.WidePath().c_str(), kReadWrite, kShareAll,
                                             kOpenExisting, kDeviceFlags | kFileFlagOverlapped);
    ASSERT_TRUE(handle.HoldsHandle());
    const int fd = kernel.DescriptorOf(handle);
    EXPECT_EQ(::fcntl(fd, F_GETFL) & O_ACCMODE, O_RDWR);
    EXPECT_NE(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0) << "overlapped handles never block";
    std::uint32_t flags = 0xFF;
    EXPECT_TRUE(kernel.GetHandleInformation(handle, &flags));
    EXPECT_EQ(flags, 0u) << "close-on-exec: not inherited by the firmware program";

    EXPECT_TRUE(kernel.CloseHandle(handle));
    EXPECT_EQ(::fcntl(fd, F_GETFD), -1) << "the descriptor is really closed";
    EXPECT_FALSE(kernel.GetHandleInformation(handle, &flags));
    EXPECT_EQ(kernel.GetLastError(), kErrorInvalidHandle);
    EXPECT_FALSE(kernel.CloseHandle(handle));
}

struct OpenFailureCase {
    const char* name;
    std::string path;
    std::uint32_t error;

    friend void PrintTo(const OpenFailureCase& c, std::ostream* os) { *os << c.name; }
};

class OpenFailures : public ::testing::TestWithParam<OpenFailureCase> {};

TEST_P(OpenFailures, ReportTheWindowsCode) {
    LinuxKernelObjects kernel;
    const Handle handle = kernel.CreateFileW(Utf8ToUtf16(GetParam().path).c_str(), kReadWrite,
                                             kShareAll, kOpenExisting, kDeviceFlags);
    EXPECT_TRUE(handle.IsInvalid());
    EXPECT_EQ(kernel.GetLastError(), GetParam().error);
}

std::string OpenFailureName(const ::testing::TestParamInfo<OpenFailureCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, OpenFailures,
    ::testing::Values(OpenFailureCase{"Missing", "/tmp/kelvane-no-such-printer", 2},
                      OpenFailureCase{"Directory", "/tmp", 5}, OpenFailureCase{"Empty", "", 2},
                      OpenFailureCase{"UnderAFile", "/etc/hostname/lp0", 3},
                      OpenFailureCase{"TooLong", "/tmp/" + std::string(5000, 'x'), 206}),
    OpenFailureName);

TEST(LinuxKernelObjects, NeverCreatesAFile) {
    LinuxKernelObjects kernel;
    const Handle handle = kernel.CreateFileW(u"/tmp/kelvane-never-created", kReadWrite, kShareAll,
                                             2 /* CREATE_ALWAYS */, kDeviceFlags);
    EXPECT_TRUE(handle.IsInvalid());
    EXPECT_NE(::access("/tmp/kelvane-never-created", F_OK), 0);
}

TEST(LinuxKernelObjects, EventsStartSignalled) {
    LinuxKernelObjects kernel;
    const Handle signalled = kernel.CreateEventW(true, true);
    const Handle clear = kernel.CreateEventW(true, false);
    ASSERT_TRUE(signalled.HoldsHandle());
    eventfd_t value = 0;
    EXPECT_EQ(::eventfd_read(kernel.DescriptorOf(signalled), &value), 0);
    EXPECT_EQ(value, 1u);
    EXPECT_NE(::eventfd_read(kernel.DescriptorOf(clear), &value), 0);
    EXPECT_TRUE(kernel.CloseHandle(signalled));
    EXPECT_TRUE(kernel.CloseHandle(clear));
}

TEST(LinuxKernelObjects, ConvertsToUtf8) {
    LinuxKernelObjects kernel;
    EXPECT_EQ(kernel.WideCharToMultiByte(kCpAcp, 0, u"a\u00E9", -1, nullptr, 0), 4);
    char buffer[4] = {};
    EXPECT_EQ(kernel.WideCharToMultiByte(kCpAcp, 0, u"a\u00E9", -1, buffer, 4), 4);
    EXPECT_STREQ(buffer, "a\xC3\xA9");
    EXPECT_EQ(kernel.WideCharToMultiByte(kCpAcp, 0, u"a\u00E9", -1, buffer, 3), 0);
    EXPECT_EQ(kernel.GetLastError(), kErrorInsufficientBuffer);
}

// ---- The named mutex -------------------------------------------------------------------------

class LinuxMutexTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_name = "Global\\/usb/lp-test-" + std::to_string(::getpid());
        m_object = LinuxKernelObjects::SharedObjectName(m_name.c_str());
    }
    void TearDown() override { ::shm_unlink(m_object.c_str()); }

    Handle Create(LinuxKernelObjects& kernel, bool inheritable = true) {
        SECURITY_DESCRIPTOR descriptor{};
        kernel.InitializeSecurityDescriptor(descriptor, kSecurityDescriptorRevision);
        kernel.SetSecurityDescriptorDacl(descriptor, true, nullptr, false);
        SECURITY_ATTRIBUTES attributes{sizeof(attributes), &descriptor, inheritable ? 1 : 0};
        return kernel.CreateMutexA(&attributes, false, m_name.c_str());
    }

    std::string m_name;
    std::string m_object;
};

TEST_F(LinuxMutexTest, NameBecomesOneSharedObjectOpenToEveryone) {
    EXPECT_EQ(m_object.find('/', 1), std::string::npos);
    EXPECT_EQ(m_object.rfind("/Global\\%2Fusb%2Flp-test-", 0), 0u);

    LinuxKernelObjects kernel;
    ::umask(077);
    const Handle mutex = Create(kernel);
    ::umask(022);
    ASSERT_TRUE(mutex.HoldsHandle());
    EXPECT_EQ(kernel.GetLastError(), kErrorSuccess);
    struct stat info {};
    ASSERT_EQ(::stat(("/dev/shm" + m_object).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0666u) << "the creator's umask does not narrow access";
}

TEST_F(LinuxMutexTest, ExistingMutexIsOpenedAndReportedAsExisting) {
    LinuxKernelObjects kernel;
    const Handle first = Create(kernel);
    const Handle second = Create(kernel);
    ASSERT_TRUE(second.HoldsHandle());
    EXPECT_NE(first, second);
    EXPECT_EQ(kernel.GetLastError(), kErrorAlreadyExists);
}

TEST_F(LinuxMutexTest, SecondProcessSeesTheMutex) {
    LinuxKernelObjects kernel;
    ASSERT_TRUE(Create(kernel).HoldsHandle());

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        LinuxKernelObjects other;
        const Handle seen = Create(other);
        ::_exit(seen.HoldsHandle() && other.GetLastError() == kErrorAlreadyExists ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

bool ObjectExists(const std::string& object) {
    return ::access(("/dev/shm" + object).c_str(), F_OK) == 0;
}

TEST_F(LinuxMutexTest, NameLastsAsLongAsAnyHandleInThisProcess) {
    LinuxKernelObjects kernel;
    const Handle first = Create(kernel);
    const Handle second = Create(kernel);
    ASSERT_TRUE(kernel.CloseHandle(first));
    EXPECT_TRUE(ObjectExists(m_object));
    ASSERT_TRUE(kernel.CloseHandle(second));
    EXPECT_FALSE(ObjectExists(m_object));

    // Created anew, not found left over.
    ASSERT_TRUE(Create(kernel).HoldsHandle());
    EXPECT_EQ(kernel.GetLastError(), kErrorSuccess);
}

TEST_F(LinuxMutexTest, NameLastsAsLongAsAnotherProcessHoldsIt) {
    int toChild[2];
    int toParent[2];
    ASSERT_EQ(::pipe(toChild), 0);
    ASSERT_EQ(::pipe(toParent), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        LinuxKernelObjects other;
        const Handle held = Create(other);
        char signal = held.HoldsHandle() ? 'h' : 'x';
        if (::write(toParent[1], &signal, 1) != 1 || ::read(toChild[0], &signal, 1) != 1) {
            ::_exit(2);
        }
        ::_exit(other.CloseHandle(held) ? 0 : 1);
    }
    char signal = 0;
    ASSERT_EQ(::read(toParent[0], &signal, 1), 1);
    ASSERT_EQ(signal, 'h');
    {
        LinuxKernelObjects kernel;
        const Handle mutex = Create(kernel);
        EXPECT_EQ(kernel.GetLastError(), kErrorAlreadyExists);
        ASSERT_TRUE(kernel.CloseHandle(mutex));
        EXPECT_TRUE(ObjectExists(m_object)) << "the other process still holds it";
    }
    ASSERT_EQ(::write(toChild[1], "c", 1), 1);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(ObjectExists(m_object));
    for (const int fd : {toChild[0], toChild[1], toParent[0], toParent[1]}) {
        ::close(fd);
    }
}

TEST_F(LinuxMutexTest, ObjectLeftByADeadProcessIsOpenedAsExisting) {
    const int left = ::shm_open(m_object.c_str(), O_RDWR | O_CREAT | O_EXCL, 0666);
    ASSERT_GE(left, 0);
    ::close(left);
    LinuxKernelObjects kernel;
    const Handle mutex = Create(kernel);
    EXPECT_EQ(kernel.GetLastError(), kErrorAlreadyExists);
    ASSERT_TRUE(kernel.CloseHandle(mutex));
    // Closing the only handle also removes what was left.
    EXPECT_FALSE(ObjectExists(m_object));
}

TEST_F(LinuxMutexTest, InheritableUnlessAskedOtherwise) {
    LinuxKernelObjects kernel;
    std::uint32_t flags = 0;
    const Handle inherited = Create(kernel, true);
    ASSERT_TRUE(kernel.GetHandleInformation(inherited, &flags));
    EXPECT_EQ(flags, kHandleFlagInherit);

    const Handle kept = Create(kernel, false);
    ASSERT_TRUE(kernel.GetHandleInformation(kept, &flags));
    EXPECT_EQ(flags, 0u);
}

TEST_F(LinuxMutexTest, IsNeverOwnedAndReleasedByClosing) {
    LinuxKernelObjects kernel;
    const Handle mutex = Create(kernel);
    EXPECT_FALSE(kernel.ReleaseMutex(mutex));
    EXPECT_EQ(kernel.GetLastError(), 288u);
    const int fd = kernel.DescriptorOf(mutex);
    EXPECT_TRUE(kernel.CloseHandle(mutex));
    EXPECT_EQ(::fcntl(fd, F_GETFD), -1);
}

TEST_F(LinuxMutexTest, UnnamedMutexIsPrivate) {
    LinuxKernelObjects kernel;
    const Handle mutex = kernel.CreateMutexA(nullptr, false, "");
    EXPECT_TRUE(mutex.HoldsHandle());
    EXPECT_EQ(kernel.GetLastError(), kErrorSuccess);
    EXPECT_TRUE(kernel.CloseHandle(mutex));
}

// ---- The link over real descriptors ----------------------------------------------------------

class LinkOverLinuxKernel : public ::testing::Test {
protected:
    void SetUp() override {
        fake.deviceSetup.AddPrinters(0x2E470502, 1);
        fake.deviceSetup.interfaces[0].devicePath = file.WidePath();
        // The mutex is named after the path without its first four characters, lowered.
        std::string name = file.path().substr(4);
        for (char& c : name) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        m_object = LinuxKernelObjects::SharedObjectName(("Global\\" + name).c_str());
    }
    void TearDown() override { ::shm_unlink(m_object.c_str()); }

    Platform PlatformWith(LinuxKernelObjects& kernel) {
        fake.Use(kernel);
        return fake.platform();
    }

    testing::FakePlatform fake;
    ScratchFile file;
    std::string m_object;
};

TEST_F(LinkOverLinuxKernel, BusyDeviceCountsAsNotPresentAndLeaksNothing) {
    LinuxKernelObjects kernel([](const char*, int) {
        errno = EBUSY;
        return -1;
    });
    const int before = OpenDescriptorCount();
    {
        CUsbLink link(PlatformWith(kernel));
        EXPECT_EQ(link.Open(68, 1, 0x102, 3), kLinkNotOpened);
        EXPECT_EQ(kernel.GetLastError(), 32u);
        EXPECT_FALSE(link.IsOpened());
    }
    EXPECT_EQ(OpenDescriptorCount(), before);
}

TEST_F(LinkOverLinuxKernel, TenThousandOpenAndCloseCyclesLeakNoDescriptor) {
    LinuxKernelObjects kernel;
    CUsbLink link(PlatformWith(kernel));
    ASSERT_EQ(link.Open(68, 1, 0x102, 3), kLinkOpened);
    link.Close();
    const int before = OpenDescriptorCount();

    for (int cycle = 0; cycle < 10000; ++cycle) {
        ASSERT_EQ(link.Open(68, 1, 0x102, 3), kLinkOpened) << "cycle " << cycle;
        link.Close();
    }

    EXPECT_EQ(OpenDescriptorCount(), before);
}

TEST_F(LinkOverLinuxKernel, OpenedLinkHoldsOneDeviceDescriptorAndTheMutex) {
    LinuxKernelObjects kernel;
    const int before = OpenDescriptorCount();
    CUsbLink link(PlatformWith(kernel));
    ASSERT_EQ(link.Open(68, 1, 0x102, 3), kLinkOpened);
    // One device descriptor shared by both directions, its event, and the mutex.
    EXPECT_EQ(OpenDescriptorCount(), before + 3);
    EXPECT_TRUE(ObjectExists(m_object));
    link.Close();
    EXPECT_EQ(OpenDescriptorCount(), before);
    EXPECT_FALSE(ObjectExists(m_object));
}

}  // namespace
}  // namespace kelvane

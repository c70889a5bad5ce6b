#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>

#include "lang/WindowsVersion.h"
#include "platform/win32/Win32SystemQueries.h"
#include "tests/platform/win32/Win32TestSupport.h"

namespace kelvane {
namespace {

using testing::ChildResult;
using testing::IsUnderWine;
using testing::OwnPath;
using testing::RunProgram;

// ---- The version as configured systems report it ------------------------------------------

// A copy of this test program under a name of its own, so that a per-program setting made for
// it reaches no other process of the prefix.
class ProgramCopy {
public:
    explicit ProgramCopy(const std::wstring& fileName) {
        wchar_t folder[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH + 1, folder);
        m_fileName = fileName;
        m_path = std::wstring(folder) + fileName;
        m_copied = ::CopyFileW(OwnPath().c_str(), m_path.c_str(), FALSE) != FALSE;
    }
    ~ProgramCopy() { ::DeleteFileW(m_path.c_str()); }
    ProgramCopy(const ProgramCopy&) = delete;
    ProgramCopy& operator=(const ProgramCopy&) = delete;

    bool copied() const { return m_copied; }
    const std::wstring& path() const { return m_path; }
    const std::wstring& fileName() const { return m_fileName; }

private:
    std::wstring m_fileName;
    std::wstring m_path;
    bool m_copied = false;
};

// Wine's per-program "Version" setting, which makes the system report that Windows version to
// the program of that file name.
class WineProgramVersion {
public:
    WineProgramVersion(const std::wstring& fileName, const std::wstring& version)
        : m_keyPath(L"Software\\Wine\\AppDefaults\\" + fileName) {
        HKEY key = nullptr;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, m_keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr) == ERROR_SUCCESS) {
            m_set = ::RegSetValueExW(key, L"Version", 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(version.c_str()),
                                     static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t))) ==
                    ERROR_SUCCESS;
            ::RegCloseKey(key);
        }
    }
    ~WineProgramVersion() { ::RegDeleteKeyW(HKEY_CURRENT_USER, m_keyPath.c_str()); }
    WineProgramVersion(const WineProgramVersion&) = delete;
    WineProgramVersion& operator=(const WineProgramVersion&) = delete;

    bool set() const { return m_set; }

private:
    std::wstring m_keyPath;
    bool m_set = false;
};

// What the child role "windows-version" reports.
struct VersionReport {
    unsigned answered = 0, platform = 0, major = 0, minor = 0, suite = 0, native = 0,
             architecture = 0, code = 0;
};

bool Parse(const std::string& output, VersionReport& report) {
    return std::sscanf(output.c_str(),
                       "answered=%u platform=%u major=%u minor=%u suite=%u native=%u "
                       "architecture=%u code=%u",
                       &report.answered, &report.platform, &report.major, &report.minor,
                       &report.suite, &report.native, &report.architecture, &report.code) == 8;
}

struct WineVersionCase {
    const char* name;
    const wchar_t* wineVersion;
    // What a 64-bit program without any declaration of newer systems is told, and its code on
    // an x64 machine.
    unsigned platform;
    unsigned major;
    unsigned minor;
    unsigned code;

    friend void PrintTo(const WineVersionCase& c, std::ostream* os) { *os << c.name; }
};

class WindowsVersionUnderWine : public ::testing::TestWithParam<WineVersionCase> {
protected:
    void SetUp() override {
        if (!IsUnderWine()) {
            GTEST_SKIP() << "the reported version is set through wine's configuration";
        }
    }
};

TEST_P(WindowsVersionUnderWine, RealQueriesGiveTheCodeOfTheConfiguredSystem) {
    const WineVersionCase& c = GetParam();
    ProgramCopy program(L"kelvane-version-" + std::wstring(c.wineVersion) + L".exe");
    ASSERT_TRUE(program.copied());
    WineProgramVersion setting(program.fileName(), c.wineVersion);
    ASSERT_TRUE(setting.set());

    const ChildResult child = RunProgram(program.path(), L"--child=windows-version");
    ASSERT_EQ(child.exitCode, 0u) << child.output;
    VersionReport report;
    ASSERT_TRUE(Parse(child.output, report)) << child.output;

    EXPECT_EQ(report.answered, 1u) << "the extended record is accepted";
    EXPECT_EQ(report.platform, c.platform);
    EXPECT_EQ(report.major, c.major);
    EXPECT_EQ(report.minor, c.minor);
    EXPECT_EQ(report.native, 1u);
    EXPECT_EQ(report.architecture, kProcessorArchitectureAmd64);
    EXPECT_EQ(report.code, c.code);
    EXPECT_EQ(report.code,
              ClassifyWindowsVersion(report.platform, report.major, report.minor,
                                     static_cast<std::uint16_t>(report.suite),
                                     report.architecture == kProcessorArchitectureAmd64))
        << "the code follows the rule from what the system reported";
}

std::string WineVersionName(const ::testing::TestParamInfo<WineVersionCase>& info) {
    return info.param.name;
}

// On x64 every NT 5 system is code 9; 8.1 and 10 are told 6.2, as the program declares no
// newer system.
INSTANTIATE_TEST_SUITE_P(Systems, WindowsVersionUnderWine,
                         ::testing::Values(WineVersionCase{"Windows95", L"win95", 1, 4, 0, 1},
                                           WineVersionCase{"Windows98", L"win98", 1, 4, 10, 3},
                                           WineVersionCase{"WindowsMe", L"winme", 1, 4, 90, 4},
                                           WineVersionCase{"Nt4", L"nt40", 2, 4, 0, 2},
                                           WineVersionCase{"Windows2000", L"win2k", 2, 5, 0, 9},
                                           WineVersionCase{"WindowsXp", L"winxp", 2, 5, 1, 9},
                                           WineVersionCase{"WindowsXp64", L"winxp64", 2, 5, 2, 9},
                                           WineVersionCase{"Vista", L"vista", 2, 6, 0, 11},
                                           WineVersionCase{"Windows7", L"win7", 2, 6, 1, 13},
                                           WineVersionCase{"Windows8", L"win8", 2, 6, 2, 15},
                                           WineVersionCase{"Windows81", L"win81", 2, 6, 2, 15},
                                           WineVersionCase{"Windows10", L"win10", 2, 6, 2, 15}),
                         WineVersionName);

// ---- The record sizes --------------------------------------------------------------------

TEST(Win32SystemQueries, PlainRecordLeavesTheExtendedFieldsUntouched) {
    Win32SystemQueries system;
    kelvane::OSVERSIONINFOEXW info;
    std::memset(static_cast<void*>(&info), 0xCD, sizeof(info));
    info.dwOSVersionInfoSize = kVersionInfoSize;

    ASSERT_TRUE(system.GetVersionExW(info));
    EXPECT_EQ(info.dwPlatformId, kVerPlatformWin32Nt);
    EXPECT_NE(info.dwMajorVersion, 0xCDCDCDCDu);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&info);
    for (std::size_t i = kVersionInfoSize; i < kVersionInfoExSize; ++i) {
        EXPECT_EQ(bytes[i], 0xCD) << "byte " << i << " lies past the record that was asked for";
    }
}

TEST(Win32SystemQueries, RecordOfAnotherSizeIsRefused) {
    Win32SystemQueries system;
    kelvane::OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = kVersionInfoSize - 4;
    EXPECT_FALSE(system.GetVersionExW(info));
    EXPECT_EQ(info.dwMajorVersion, 0u);
}

TEST(Win32SystemQueries, NativeQueryIsFoundAndFillsTheWholeRecord) {
    Win32SystemQueries system;
    ASSERT_TRUE(system.HasGetNativeSystemInfo());
    kelvane::SYSTEM_INFO ours;
    std::memset(static_cast<void*>(&ours), 0, sizeof(ours));
    system.GetNativeSystemInfo(ours);
    ::SYSTEM_INFO theirs{};
    ::GetNativeSystemInfo(&theirs);

    EXPECT_EQ(ours.wProcessorArchitecture, theirs.wProcessorArchitecture);
    EXPECT_EQ(ours.dwPageSize, theirs.dwPageSize);
    EXPECT_EQ(ours.dwNumberOfProcessors, theirs.dwNumberOfProcessors);
    EXPECT_EQ(ours.wProcessorRevision, theirs.wProcessorRevision);
    EXPECT_EQ(Is64BitWindows(system),
              theirs.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ? 1 : 0);
}

}  // namespace
}  // namespace kelvane

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/FirmwareLaunch.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Shell.h"
#include "tests/platform/win32/Win32TestSupport.h"
#include "tests/support/FakePlatform.h"

namespace kelvane {
namespace {

using testing::ToU16;

// A folder of this test's own, made the current directory for the test's length.
class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH + 1, temp);
        m_folder = std::wstring(temp) + L"kelvane-files-" +
                   std::to_wstring(::GetCurrentProcessId()) + L"-" +
                   std::to_wstring(::GetTickCount());
        ASSERT_TRUE(::CreateDirectoryW(m_folder.c_str(), nullptr));
        m_previous.resize(MAX_PATH + 1);
        m_previous.resize(::GetCurrentDirectoryW(MAX_PATH + 1, m_previous.data()));
        ASSERT_TRUE(::SetCurrentDirectoryW(m_folder.c_str()));
    }

    void TearDown() override {
        ::SetCurrentDirectoryW(m_previous.c_str());
        // Deepest first; read-only files are made writable so that they can go.
        for (auto it = m_made.rbegin(); it != m_made.rend(); ++it) {
            ::SetFileAttributesW(it->c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!::DeleteFileW(it->c_str())) {
                RemoveFolder(*it);
            }
        }
        RemoveFolder(m_folder);
    }

    // A program started in a folder keeps it in use until it has ended, a moment after it
    // left its mark.
    static void RemoveFolder(const std::wstring& path) {
        for (int attempt = 0; attempt < 100 && !::RemoveDirectoryW(path.c_str()); ++attempt) {
            ::Sleep(20);
        }
    }

    std::wstring PathOf(const std::wstring& relative) const { return m_folder + L"\\" + relative; }

    void MakeFolder(const std::wstring& relative) {
        ASSERT_TRUE(::CreateDirectoryW(PathOf(relative).c_str(), nullptr));
        m_made.push_back(PathOf(relative));
    }

    // Writes `text` as it is, bytes for bytes.
    void WriteFile(const std::wstring& relative, const std::string& text,
                   DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
        const std::wstring path = PathOf(relative);
        const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        ::CloseHandle(file);
        m_made.push_back(path);
        ::SetFileAttributesW(path.c_str(), attributes);
    }

    // Whether the file can be written and is seen in listings.
    bool IsWritableAndVisible(const std::wstring& relative) const {
        const DWORD attributes = ::GetFileAttributesW(PathOf(relative).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES &&
               (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)) == 0;
    }

    bool Exists(const std::wstring& relative) const {
        return ::GetFileAttributesW(PathOf(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    const std::wstring& folder() const { return m_folder; }

    Win32Files files;
    Win32Shell shell;

private:
    std::wstring m_folder;
    std::wstring m_previous;
    std::vector<std::wstring> m_made;
};

TEST_F(ScratchFolder, CurrentDirectoryIsReportedWithItsLengthOrTheRoomItNeeds) {
    char16_t buffer[MAX_PATH] = {};
    const std::uint32_t length = files.GetCurrentDirectoryW(MAX_PATH, buffer);
    EXPECT_EQ(std::u16string(buffer, length), ToU16(folder()));
    EXPECT_EQ(files.GetCurrentDirectoryW(4, buffer), length + 1);
}

TEST_F(ScratchFolder, NormalAttributesClearReadOnlyAndHidden) {
    WriteFile(L"Kelvane.ini", "", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(
        files.SetFileAttributesW(ToU16(PathOf(L"Kelvane.ini")).c_str(), kFileAttributeNormalOnly));
    EXPECT_TRUE(IsWritableAndVisible(L"Kelvane.ini"));
    EXPECT_FALSE(
        files.SetFileAttributesW(ToU16(PathOf(L"missing.ini")).c_str(), kFileAttributeNormalOnly));
}

struct ProfileCase {
    const char* name;
    const char16_t* section;
    const char16_t* key;
    std::uint32_t size;
    std::u16string value;

    friend void PrintTo(const ProfileCase& c, std::ostream* os) { *os << c.name; }
};

class ProfileReads : public ScratchFolder, public ::testing::WithParamInterface<ProfileCase> {};

TEST_P(ProfileReads, GiveTheValueOrTheDefault) {
    WriteFile(L"Kelvane.ini",
              "[LumoA]\r\nversion = 1.2\r\nEXE=fw.exe\r\n[LumoB]\r\nEXE=\"b.exe\"\r\n");
    const ProfileCase& c = GetParam();
    char16_t value[32];
    std::fill(std::begin(value), std::end(value), u'#');
    const std::uint32_t copied = files.GetPrivateProfileStringW(
        c.section, c.key, u"none", value, c.size, ToU16(PathOf(L"Kelvane.ini")).c_str());
    EXPECT_EQ(std::u16string(value, copied), c.value);
    EXPECT_EQ(value[copied], u'\0');
}

std::string ProfileName(const ::testing::TestParamInfo<ProfileCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ProfileReads,
    ::testing::Values(ProfileCase{"Trimmed", u"LumoA", u"version", 32, u"1.2"},
                      ProfileCase{"NamesIgnoreCase", u"lumoa", u"exe", 32, u"fw.exe"},
                      ProfileCase{"QuotesRemoved", u"LumoB", u"EXE", 32, u"b.exe"},
                      ProfileCase{"MissingKey", u"LumoB", u"version", 32, u"none"},
                      ProfileCase{"MissingSection", u"LumoC", u"EXE", 32, u"none"},
                      ProfileCase{"CutToFit", u"LumoA", u"EXE", 4, u"fw."}),
    ProfileName);

TEST_F(ScratchFolder, MissingFileGivesTheDefault) {
    char16_t value[16] = {};
    EXPECT_EQ(files.GetPrivateProfileStringW(u"LumoA", u"EXE", u"", value, 16,
                                             ToU16(PathOf(L"Kelvane.ini")).c_str()),
              0u);
    EXPECT_EQ(value[0], u'\0');
}

// ---- The firmware program over the real files and shell ----------------------------------

TEST_F(ScratchFolder, CommandIsComposedFromTheRealIniInTheCurrentDirectory) {
    WriteFile(L"Kelvane.ini", "[LumoA]\r\nversion=1.2\r\nEXE=fw.exe\r\n", FILE_ATTRIBUTE_READONLY);

    const std::optional<std::u16string> command = ComposeFirmwareCommand(files, 68);
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(*command, ToU16(folder()) + u"/1.2/fw.exe");
    EXPECT_TRUE(IsWritableAndVisible(L"Kelvane.ini"));
}

TEST_F(ScratchFolder, FirmwareProgramIsStartedAndNotWaitedFor) {
    MakeFolder(L"1.2");
    // A batch file stands in for the firmware program: it leaves a mark where it was started.
    WriteFile(L"1.2\\fw.cmd", "@echo started> \"%~dp0started.txt\"\r\n");
    WriteFile(L"Kelvane.ini", "[LumoB]\r\nversion=1.2\r\nEXE=fw.cmd\r\n");

    LaunchFirmwareProgram(files, shell, 91);

    for (int wait = 0; wait < 200 && !Exists(L"1.2\\started.txt"); ++wait) {
        ::Sleep(50);
    }
    EXPECT_TRUE(Exists(L"1.2\\started.txt")) << "the program did not run";
    if (Exists(L"1.2\\started.txt")) {
        ::DeleteFileW(PathOf(L"1.2\\started.txt").c_str());
    }
}

TEST_F(ScratchFolder, OpeningAMissingProgramReportsFileNotFound) {
    EXPECT_EQ(shell.ShellExecuteW(WindowHandle::Null(), u"open",
                                  ToU16(PathOf(L"1.2\\missing.exe")).c_str(), nullptr, nullptr,
                                  kSwShowNormal),
              kSeErrFileNotFound);
}

}  // namespace
}  // namespace kelvane

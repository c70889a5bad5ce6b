// The interface language under wine, read back from the real program: Kelvane.exe of this build
// runs as a process of its own, as a user starts it, with no switch of any kind; the test reads
// what its main dialog shows and cancels it. CTest runs this once per locale of the table in
// Win32TestSupport.cpp, with LANG set to it (tests/platform/win32/CMakeLists.txt).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/platform/win32/Win32TestSupport.h"

namespace kelvane {
namespace {

using testing::FindVisibleDialog;
using testing::FromBuildMachine;
using testing::UiLanguageCase;

constexpr int kPromptId = 1000;
constexpr DWORD kDialogWaitMs = 30000;

std::wstring WindowText(HWND window) {
    wchar_t text[128] = {};
    ::GetWindowTextW(window, text, 128);
    return text;
}

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[128] = {};
    ::GetDlgItemTextW(dialog, id, text, 128);
    return text;
}

// An empty folder of the test's own for the program to start in: with no Kelvane.ini there,
// cancelling starts nothing.
class EmptyFolder {
public:
    EmptyFolder() {
        wchar_t temp[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH + 1, temp);
        m_path = std::wstring(temp) + L"kelvane-language-" +
                 std::to_wstring(::GetCurrentProcessId()) + L"-" +
                 std::to_wstring(::GetTickCount());
        ::CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~EmptyFolder() { ::RemoveDirectoryW(m_path.c_str()); }
    EmptyFolder(const EmptyFolder&) = delete;
    EmptyFolder& operator=(const EmptyFolder&) = delete;

    const std::wstring& path() const { return m_path; }

private:
    std::wstring m_path;
};

// The program's process; ended if a failed test leaves it running.
class ProgramProcess {
public:
    ~ProgramProcess() {
        if (m_info.hProcess != nullptr) {
            if (::WaitForSingleObject(m_info.hProcess, 0) != WAIT_OBJECT_0) {
                ::TerminateProcess(m_info.hProcess, 0xFFFFFFFF);
                ::WaitForSingleObject(m_info.hProcess, 10000);
            }
            ::CloseHandle(m_info.hThread);
            ::CloseHandle(m_info.hProcess);
        }
    }

    bool Start(const std::wstring& program, const std::wstring& folder) {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        std::wstring commandLine = L"\"" + program + L"\"";
        return ::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                nullptr, folder.c_str(), &startup, &m_info) != FALSE;
    }

    // The main dialog once its initialisation is over; null if none appeared in time or the
    // program ended first.
    HWND WaitForDialog() const {
        const ULONGLONG deadline = ::GetTickCount64() + kDialogWaitMs;
        while (::GetTickCount64() < deadline) {
            if (const HWND dialog = FindVisibleDialog(m_info.dwProcessId)) {
                return dialog;
            }
            if (::WaitForSingleObject(m_info.hProcess, 20) == WAIT_OBJECT_0) {
                return nullptr;
            }
        }
        return nullptr;
    }

    bool WaitForEnd(DWORD& exitCode) const {
        if (::WaitForSingleObject(m_info.hProcess, kDialogWaitMs) != WAIT_OBJECT_0) {
            return false;
        }
        return ::GetExitCodeProcess(m_info.hProcess, &exitCode) != FALSE;
    }

private:
    PROCESS_INFORMATION m_info{};
};

class ProgramUnderLocale : public ::testing::Test {
protected:
    void SetUp() override {
        m_case = testing::UiLanguageCaseOfThisRun();
        if (m_case == nullptr) {
            GTEST_SKIP() << "LANG names no case of the table; CTest runs this test under each";
        }
        // A locale the C library does not have leaves wine at English: say so before the texts.
        ASSERT_EQ(::GetUserDefaultUILanguage(), m_case->uiLanguage)
            << "wine gives another interface language under this LANG: is the locale generated "
               "(scripts/install-deps --windows does it), and are LC_ALL and LC_MESSAGES unset?";
    }

    const UiLanguageCase* m_case = nullptr;
};

TEST_F(ProgramUnderLocale, MainDialogOfTheProgramShowsTheTextsOfTheInterfaceLanguage) {
    EmptyFolder folder;
    ProgramProcess program;
    ASSERT_TRUE(program.Start(FromBuildMachine(KELVANE_EXE_PATH), folder.path()))
        << "cannot start the program, error " << ::GetLastError();
    const HWND dialog = program.WaitForDialog();
    ASSERT_NE(dialog, nullptr) << "the program showed no dialog";

    EXPECT_EQ(WindowText(dialog), m_case->caption);
    EXPECT_EQ(ItemText(dialog, kPromptId), m_case->prompt);
    EXPECT_EQ(ItemText(dialog, IDCANCEL), m_case->cancel);

    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    DWORD exitCode = 0xFFFFFFFF;
    ASSERT_TRUE(program.WaitForEnd(exitCode)) << "the program did not end on Cancel";
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace
}  // namespace kelvane

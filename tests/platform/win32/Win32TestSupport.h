#pragma once

// Helpers of the tests that run the Win32 provider against the real API (under wine64 on the
// build machine). Only these tests include <windows.h>.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Handles.h"

namespace kelvane::testing {

// Whether this process runs under wine: some cases set wine's own configuration.
bool IsUnderWine();

// The full path of this test program.
std::wstring OwnPath();

// A path of the build machine as wine shows it: drive Z: is the root of the file system.
std::wstring FromBuildMachine(const std::string& path);

// How long a program started by a test may take before it counts as hung and is ended.
inline constexpr DWORD kChildTimeoutMs = 30000;

// Runs `program` with `arguments` (already quoted as needed), waits for it and returns its exit
// code and what it wrote to its standard output and error, with "\n" for every line end. The
// output is read while the program runs and is complete once it has ended, whoever else still
// holds the pipe (a process it started, or one the system started on its behalf, may hold it
// for the rest of the wine session). A program still running after `timeoutMs` is ended, with
// timedOut set and a note in the output.
struct ChildResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;
    bool timedOut = false;
};
ChildResult RunProgram(const std::wstring& program, const std::wstring& arguments,
                       DWORD timeoutMs = kChildTimeoutMs);

// Runs this test program in one of its child roles (see Win32TestMain.cpp).
ChildResult RunChildRole(const std::wstring& role, const std::wstring& argument = {});

// How many handles this process holds, as the system's handle table lists them. Worker threads
// the system starts for earlier calls (RPC, thread pools) open and close handles of their own
// at any time, so a test that balances this count runs isolated (below).
long OwnHandleCount();

// Whether this process runs one test alone, started by RunIsolated.
bool IsIsolated();
void SetIsolated();

// Runs the current test again, alone, in a fresh process of this program, and reports its
// failures as this test's. In that process IsIsolated() is true and the test runs for real:
//     if (!IsIsolated()) { RunIsolated(); return; }
void RunIsolated();

// NtQueryInformationFile for one information class; the NTSTATUS, 0 on success.
LONG QueryFileInformation(HANDLE file, ULONG informationClass, void* information, ULONG size);

// A file in the temporary folder, made empty and removed again.
class ScratchFile {
public:
    ScratchFile();
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::wstring& path() const { return m_path; }

private:
    std::wstring m_path;
};

// A top-level dialog (class #32770) of the process, once it is visible: a dialog is shown after
// its WM_INITDIALOG, so what it shows then is what its initialisation made of it. Null while
// there is none. Other processes of the wine session (tests running beside this one) may show
// the same dialog; theirs are not looked at.
HWND FindVisibleDialog(DWORD processId);

// The main dialog's texts under one interface language. CTest runs the tests that read them once
// per case, with LANG set to its locale and LC_ALL, LC_MESSAGES and LANGUAGE unset (see
// tests/platform/win32/CMakeLists.txt): wine takes the interface language from the locale its
// loader is started under, so a program started by a test shares the test's language.
struct UiLanguageCase {
    const wchar_t* locale;
    // What GetUserDefaultUILanguage reports under that locale.
    LANGID uiLanguage;
    const wchar_t* caption;
    const wchar_t* prompt;
    const wchar_t* cancel;
};

// The case of this process's LANG; null when the table has none.
const UiLanguageCase* UiLanguageCaseOfThisRun();

// A plain top-level window that is never shown, as the main dialog's is until it appears.
class HiddenWindow {
public:
    HiddenWindow();
    ~HiddenWindow();
    HiddenWindow(const HiddenWindow&) = delete;
    HiddenWindow& operator=(const HiddenWindow&) = delete;

    HWND window() const { return m_window; }
    WindowHandle handle() const { return WindowHandle{reinterpret_cast<std::uintptr_t>(m_window)}; }

private:
    HWND m_window = nullptr;
};

std::u16string ToU16(const std::wstring& text);
std::wstring ToWide(const std::u16string& text);

}  // namespace kelvane::testing

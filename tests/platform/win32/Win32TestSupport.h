#pragma once

// Helpers of the tests that run the Win32 provider against the real API (under wine64 on the
// build machine). Only these tests include <windows.h>.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kelvane::testing {

// Whether this process runs under wine: some cases set wine's own configuration.
bool IsUnderWine();

// The full path of this test program.
std::wstring OwnPath();

// Runs `program` with `arguments` (already quoted as needed), waits for it and returns its exit
// code and what it wrote to its standard output and error, with "\n" for every line end.
struct ChildResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;
};
ChildResult RunProgram(const std::wstring& program, const std::wstring& arguments);

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

std::u16string ToU16(const std::wstring& text);
std::wstring ToWide(const std::u16string& text);

}  // namespace kelvane::testing

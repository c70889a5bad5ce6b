#include "tests/platform/win32/Win32TestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace kelvane::testing {
namespace {

// SystemExtendedHandleInformation, which lists process ids at full width.
constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004L);

// The two native queries are looked up by name: their information classes are plain numbers
// here, not the enumerations of any header.
template <typename Function>
Function FindNative(const char* name) {
    const FARPROC found = ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

bool g_isolated = false;

struct IoStatusBlock {
    ULONG_PTR status;
    ULONG_PTR information;
};

struct HandleEntry {
    PVOID object;
    ULONG_PTR uniqueProcessId;
    ULONG_PTR handleValue;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG handleAttributes;
    ULONG reserved;
};

struct HandleTable {
    ULONG_PTR numberOfHandles;
    ULONG_PTR reserved;
    HandleEntry handles[1];
};

}  // namespace

bool IsUnderWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::wstring OwnPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring FromBuildMachine(const std::string& path) {
    std::wstring result = L"Z:";
    for (const char c : path) {
        result += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    return result;
}

namespace {

// Appends what the pipe holds now, without waiting for more.
void ReadAvailable(HANDLE pipe, std::string& output) {
    char buffer[512];
    DWORD available = 0;
    while (::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        DWORD read = 0;
        const DWORD wanted = available < sizeof(buffer) ? available : sizeof(buffer);
        if (!::ReadFile(pipe, buffer, wanted, &read, nullptr) || read == 0) {
            return;
        }
        output.append(buffer, read);
    }
}

}  // namespace

ChildResult RunProgram(const std::wstring& program, const std::wstring& arguments,
                       DWORD timeoutMs) {
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
        throw std::runtime_error("CreatePipe failed");
    }
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    const BOOL started = ::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr,
                                          TRUE, 0, nullptr, nullptr, &startup, &process);
    ::CloseHandle(writeEnd);
    ChildResult result;
    if (!started) {
        ::CloseHandle(readEnd);
        result.output = "CreateProcessW failed with " + std::to_string(::GetLastError());
        return result;
    }
    // The end of the output is the end of the program, not the end of the pipe: reading until
    // every writer has closed it would wait on whatever the program left holding it.
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        ReadAvailable(readEnd, result.output);
        if (::WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0) {
            ReadAvailable(readEnd, result.output);
            break;
        }
        if (::GetTickCount64() >= deadline) {
            ::TerminateProcess(process.hProcess, 0xFFFFFFFF);
            ::WaitForSingleObject(process.hProcess, 10000);
            ReadAvailable(readEnd, result.output);
            result.timedOut = true;
            result.output += "\n[the program had not ended after " +
                             std::to_string(timeoutMs / 1000) + " s and was ended]\n";
            break;
        }
    }
    ::CloseHandle(readEnd);
    // The child's C runtime writes text-mode line ends.
    std::erase(result.output, '\r');
    ::GetExitCodeProcess(process.hProcess, &result.exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return result;
}

ChildResult RunChildRole(const std::wstring& role, const std::wstring& argument) {
    std::wstring arguments = L"--child=" + role;
    if (!argument.empty()) {
        arguments += L" \"" + argument + L"\"";
    }
    return RunProgram(OwnPath(), arguments);
}

long OwnHandleCount() {
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query = FindNative<Query>("NtQuerySystemInformation");
    if (query == nullptr) {
        return -1;
    }
    std::vector<unsigned char> buffer(1 << 16);
    ULONG length = 0;
    LONG status = 0;
    while ((status = query(kSystemExtendedHandleInformation, buffer.data(),
                           static_cast<ULONG>(buffer.size()), &length)) ==
           kStatusInfoLengthMismatch) {
        buffer.resize(buffer.size() * 2);
    }
    if (status != 0) {
        return -1;
    }
    const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
    const ULONG_PTR self = ::GetCurrentProcessId();
    long count = 0;
    for (ULONG_PTR i = 0; i < table->numberOfHandles; ++i) {
        if (table->handles[i].uniqueProcessId == self) {
            ++count;
        }
    }
    return count;
}

bool IsIsolated() {
    return g_isolated;
}

void SetIsolated() {
    g_isolated = true;
}

void RunIsolated() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string(test->test_suite_name()) + "." + test->name();
    const ChildResult child = RunProgram(
        OwnPath(), L"--isolated --gtest_filter=" + std::wstring(name.begin(), name.end()));
    EXPECT_EQ(child.exitCode, 0u) << "the test failed on its own:\n" << child.output;
}

LONG QueryFileInformation(HANDLE file, ULONG informationClass, void* information, ULONG size) {
    using Query = LONG(WINAPI*)(HANDLE, IoStatusBlock*, PVOID, ULONG, ULONG);
    const auto query = FindNative<Query>("NtQueryInformationFile");
    if (query == nullptr) {
        return -1;
    }
    IoStatusBlock status{};
    return query(file, &status, information, size, informationClass);
}

ScratchFile::ScratchFile() {
    wchar_t folder[MAX_PATH + 1] = {};
    wchar_t name[MAX_PATH + 1] = {};
    if (::GetTempPathW(MAX_PATH + 1, folder) == 0 ||
        ::GetTempFileNameW(folder, L"klp", 0, name) == 0) {
        throw std::runtime_error("no temporary file");
    }
    m_path = name;
}

ScratchFile::~ScratchFile() {
    ::DeleteFileW(m_path.c_str());
}

HWND FindVisibleDialog(DWORD processId) {
    struct Search {
        DWORD processId;
        HWND found;
    } search{processId, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto& wanted = *reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            wchar_t name[16] = {};
            if (owner != wanted.processId || !::IsWindowVisible(window) ||
                ::GetClassNameW(window, name, 16) == 0 || std::wstring(name) != L"#32770") {
                return TRUE;
            }
            wanted.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

namespace {

// The cases CTest runs (see Win32TestSupport.h). Caption and Cancel button keep their template
// texts under every language: the table has entries for neither.
const UiLanguageCase kUiLanguageCases[] = {
    {L"zh_TW.UTF-8", 0x0404, L"Orvane Kelvane", L"請插入 Lumo 印表機", L"取消"},
    {L"en_US.UTF-8", 0x0409, L"Orvane Kelvane", L"Please plug in Lumo", L"取消"},
};

}  // namespace

const UiLanguageCase* UiLanguageCaseOfThisRun() {
    wchar_t locale[64] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"LANG", locale, 64);
    if (length == 0 || length >= 64) {
        return nullptr;
    }
    for (const UiLanguageCase& c : kUiLanguageCases) {
        if (std::wstring(c.locale) == locale) {
            return &c;
        }
    }
    return nullptr;
}

HiddenWindow::HiddenWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KelvaneHiddenTestWindow";
    // Registered by the first window; the later ones find the class there.
    ::RegisterClassW(&windowClass);
    m_window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 300,
                                 200, nullptr, nullptr, windowClass.hInstance, nullptr);
}

HiddenWindow::~HiddenWindow() {
    if (m_window != nullptr) {
        ::DestroyWindow(m_window);
    }
}

std::u16string ToU16(const std::wstring& text) {
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

std::wstring ToWide(const std::u16string& text) {
    return {reinterpret_cast<const wchar_t*>(text.data()), text.size()};
}

}  // namespace kelvane::testing

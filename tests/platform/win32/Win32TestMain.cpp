// The Win32 provider tests' own entry: besides running the tests, the program serves as the
// second process some of them need, started again with "--child=ROLE [ARGUMENT]", and runs a
// single test alone when started with "--isolated" (see RunIsolated).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include <windows.h>

#include "lang/WindowsVersion.h"
#include "platform/win32/Win32KernelObjects.h"
#include "platform/win32/Win32SystemQueries.h"
#include "tests/platform/win32/Win32TestSupport.h"

namespace kelvane {
namespace {

// What the version queries report to this process, and the code the program makes of it.
int ReportWindowsVersion() {
    Win32SystemQueries system;
    kelvane::OSVERSIONINFOEXW info;
    std::memset(static_cast<void*>(&info), 0, sizeof(info));
    info.dwOSVersionInfoSize = kVersionInfoExSize;
    const bool answered = system.GetVersionExW(info);
    kelvane::SYSTEM_INFO native;
    std::memset(static_cast<void*>(&native), 0, sizeof(native));
    const bool hasNative = system.HasGetNativeSystemInfo();
    if (hasNative) {
        system.GetNativeSystemInfo(native);
    }
    std::printf(
        "answered=%d platform=%u major=%u minor=%u suite=%u native=%d architecture=%u "
        "code=%u\n",
        answered ? 1 : 0, info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion,
        static_cast<unsigned>(info.wSuiteMask), hasNative ? 1 : 0,
        static_cast<unsigned>(native.wProcessorArchitecture),
        static_cast<unsigned>(GetWindowsVersionCode(system)));
    return 0;
}

// Creates the named mutex the way the link does (null DACL, inheritable) and reports whether
// it was there already.
int CreateNamedMutex(const char* name) {
    Win32KernelObjects kernel;
    kelvane::SECURITY_DESCRIPTOR descriptor{};
    kernel.InitializeSecurityDescriptor(descriptor, kSecurityDescriptorRevision);
    kernel.SetSecurityDescriptorDacl(descriptor, true, nullptr, false);
    const kelvane::SECURITY_ATTRIBUTES attributes{sizeof(kelvane::SECURITY_ATTRIBUTES), &descriptor,
                                                  1};
    const Handle mutex = kernel.CreateMutexA(&attributes, false, name);
    const std::uint32_t error = kernel.GetLastError();
    std::printf("handle=%d error=%u\n", mutex.HoldsHandle() ? 1 : 0, error);
    if (mutex.HoldsHandle()) {
        kernel.CloseHandle(mutex);
    }
    return 0;
}

// Starts this program again as a process that waits until it is ended, sharing this one's
// output, reports its id and ends at once: what a system process the program caused to start
// would leave behind.
int LeaveOutputHolder() {
    std::wstring commandLine = L"\"" + testing::OwnPath() + L"\" --child=wait";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION holder{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &holder)) {
        std::printf("holder=0\n");
        return 1;
    }
    std::printf("holder=%lu\n", holder.dwProcessId);
    ::CloseHandle(holder.hThread);
    ::CloseHandle(holder.hProcess);
    return 0;
}

int RunChildRole(std::string_view role, const char* argument) {
    if (role == "leave-output-holder") {
        return LeaveOutputHolder();
    }
    if (role == "wait") {
        ::Sleep(INFINITE);
        return 0;
    }
    if (role == "windows-version") {
        return ReportWindowsVersion();
    }
    if (role == "create-mutex" && argument != nullptr) {
        return CreateNamedMutex(argument);
    }
    std::fprintf(stderr, "unknown child role\n");
    return 2;
}

}  // namespace
}  // namespace kelvane

int main(int argc, char** argv) {
    constexpr std::string_view kChild = "--child=";
    if (argc >= 2 && std::string_view(argv[1]).starts_with(kChild)) {
        return kelvane::RunChildRole(std::string_view(argv[1]).substr(kChild.size()),
                                     argc >= 3 ? argv[2] : nullptr);
    }
    if (argc >= 2 && std::string_view(argv[1]) == "--isolated") {
        kelvane::testing::SetIsolated();
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

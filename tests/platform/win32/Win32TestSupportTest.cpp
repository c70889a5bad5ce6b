// The test programs' own way of running a second process, which every test of another process
// depends on: it must come back once that process has ended, whatever else still holds its output.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

#include "tests/platform/win32/Win32TestSupport.h"

namespace kelvane {
namespace {

using testing::ChildResult;

// Ended however the test ends.
class ProcessById {
public:
    explicit ProcessById(DWORD id)
        : m_process(id != 0 ? ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id) : nullptr) {
    }
    ~ProcessById() {
        if (m_process != nullptr) {
            ::TerminateProcess(m_process, 0);
            ::WaitForSingleObject(m_process, 10000);
            ::CloseHandle(m_process);
        }
    }
    ProcessById(const ProcessById&) = delete;
    ProcessById& operator=(const ProcessById&) = delete;

    bool IsRunning() const {
        return m_process != nullptr && ::WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
    }

private:
    HANDLE m_process;
};

// A process the child started keeps the output pipe open after the child has ended, as the
// system's own processes do when a child is the first to need them. Waiting for the end of the
// pipe would wait for that process, which waits for nothing but the end of the session.
TEST(RunProgram, ComesBackWhenTheProgramEndsThoughAProcessItStartedHoldsItsOutput) {
    const ChildResult child = testing::RunChildRole(L"leave-output-holder");
    unsigned long holderId = 0;
    ASSERT_EQ(std::sscanf(child.output.c_str(), "holder=%lu", &holderId), 1) << child.output;
    const ProcessById holder(holderId);
    ASSERT_TRUE(holder.IsRunning()) << "the output holder is not running";
    EXPECT_FALSE(child.timedOut) << child.output;
    EXPECT_EQ(child.exitCode, 0u);
}

TEST(RunProgram, EndsAProgramThatDoesNotEndAndSaysSo) {
    const ChildResult child =
        testing::RunProgram(testing::OwnPath(), L"--child=wait", /*timeoutMs=*/500);
    EXPECT_TRUE(child.timedOut);
    EXPECT_NE(child.exitCode, 0u);
    EXPECT_NE(child.output.find("was ended"), std::string::npos) << child.output;
}

}  // namespace
}  // namespace kelvane

#include "platform/linux/TerminalDialogHost.h"

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "res/DialogTemplates.h"

namespace kelvane {
namespace {

constexpr int kSawClose = 0x20;
constexpr int kSawAbout = 0x40;
constexpr int kFromWatch = 9;

// The dialog side in the child: the main dialog with the About item, ended by the first
// dialog command it gets; the About box nests; a byte on the watched pipe ends the dialog too.
class ChildProcedure final : public DialogProcedure {
public:
    explicit ChildProcedure(TerminalDialogHost& host) : m_host(host) {}

    bool HandleDialogMessage(WindowHandle dialog, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t, std::intptr_t& result) override {
        switch (message) {
            case kWmInitDialog:
                if (m_main.IsNull()) {
                    m_main = dialog;
                    char16_t text[256];
                    const MenuHandle menu = m_host.GetSystemMenu(dialog, false);
                    m_host.LoadStringW(ModuleHandle::Null(), IDS_ABOUTBOX, text, 256);
                    m_host.AppendMenuW(menu, kMfSeparator, 0, nullptr);
                    m_host.AppendMenuW(menu, kMfString, IDM_ABOUTBOX, text);
                }
                result = 1;
                return true;
            case kWmCommand:
                m_host.EndDialog(dialog, static_cast<std::intptr_t>(wParam & 0xFFFF));
                return true;
            case kWmSysCommand:
                if (dialog == m_main && (wParam & 0xFFF0) == IDM_ABOUTBOX) {
                    flags |= kSawAbout;
                    m_host.DialogBoxParamW(ModuleHandle::Null(), IDD_ABOUTBOX, dialog, *this);
                    return true;
                }
                if (dialog == m_main && (wParam & 0xFFF0) == kScClose) {
                    flags |= kSawClose;
                }
                return false;
            default:
                return false;
        }
    }

    WindowHandle m_main;
    int flags = 0;

private:
    TerminalDialogHost& m_host;
};

int RunChild(int watched) {
    TerminalDialogHost host(STDIN_FILENO, STDOUT_FILENO);
    ChildProcedure procedure(host);
    host.WatchDescriptor(watched, [&] {
        char byte = 0;
        if (::read(watched, &byte, 1) == 1) {
            host.EndDialog(procedure.m_main, kFromWatch);
        }
    });
    const std::intptr_t result =
        host.DialogBoxParamW(ModuleHandle::Null(), IDD_MAIN, WindowHandle::Null(), procedure);
    return static_cast<int>(result) | procedure.flags;
}

// The host in a child process on a pseudo-terminal of 80 by 24, seen from the other side.
class PtySession {
public:
    PtySession() {
        int watch[2];
        EXPECT_EQ(::pipe(watch), 0);
        winsize size{};
        size.ws_row = 24;
        size.ws_col = 80;
        m_pid = ::forkpty(&m_master, nullptr, nullptr, &size);
        if (m_pid == 0) {
            ::close(watch[1]);
            ::_exit(RunChild(watch[0]) & 0xFF);
        }
        ::close(watch[0]);
        m_watch = watch[1];
    }
    ~PtySession() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::close(m_master);
        ::close(m_watch);
    }

    // Reads until `text` shows in what came since the last text waited for.
    bool WaitFor(const std::string& text) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            const std::size_t found = m_output.find(text, m_seen);
            if (found != std::string::npos) {
                m_seen = found + text.size();
                return true;
            }
            ReadSome(100);
        }
        return false;
    }
    void Type(const std::string& bytes) {
        EXPECT_EQ(::write(m_master, bytes.data(), bytes.size()),
                  static_cast<ssize_t>(bytes.size()));
    }
    void PokeWatch() { EXPECT_EQ(::write(m_watch, "x", 1), 1); }
    pid_t Pid() const { return m_pid; }

    // Waits for the child to end; its wait status, or -1 when it did not end in time.
    int Finish() {
        for (int tries = 0; tries < 500; ++tries) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                ReadSome(0);
                return status;
            }
            // Reading keeps the child from blocking on a full terminal; once it has closed its
            // side, the master reports a hang-up at once, so wait a little between tries.
            ReadSome(20);
            ::usleep(20000);
        }
        return -1;
    }
    // The terminal's modes as the child left them.
    termios Modes() const {
        termios modes{};
        ::tcgetattr(m_master, &modes);
        return modes;
    }
    const std::string& Output() const { return m_output; }

private:
    void ReadSome(int timeoutMs) {
        pollfd readable{m_master, POLLIN, 0};
        while (::poll(&readable, 1, timeoutMs) > 0) {
            char bytes[4096];
            const ssize_t count = ::read(m_master, bytes, sizeof(bytes));
            if (count <= 0) {
                return;
            }
            m_output.append(bytes, static_cast<std::size_t>(count));
            timeoutMs = 0;
        }
    }

    pid_t m_pid = -1;
    int m_master = -1;
    int m_watch = -1;
    std::string m_output;
    std::size_t m_seen = 0;
};

constexpr char kPrompt[] = "Please plug in Lumo";
constexpr char kAboutVersion[] = "Kelvane Version 1.0";
constexpr char kPokeWatch[] = "<watch>";

struct TerminalCase {
    const char* name;
    // Text to wait for, then the keys to type (or kPokeWatch: a byte on the watched pipe).
    std::vector<std::pair<std::string, std::string>> steps;
    int exitCode;
};

void PrintTo(const TerminalCase& terminalCase, std::ostream* out) {
    *out << terminalCase.name;
}

class TerminalDialogTest : public ::testing::TestWithParam<TerminalCase> {};

TEST_P(TerminalDialogTest, KeysReachTheDialogAndTheTerminalIsGivenBack) {
    const TerminalCase& terminalCase = GetParam();
    PtySession session;
    ASSERT_TRUE(session.WaitFor("Orvane Kelvane")) << session.Output();
    for (const auto& [text, keys] : terminalCase.steps) {
        ASSERT_TRUE(session.WaitFor(text)) << text << " not in: " << session.Output();
        if (keys == kPokeWatch) {
            session.PokeWatch();
        } else {
            session.Type(keys);
        }
    }
    const int status = session.Finish();
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), terminalCase.exitCode);
    const termios modes = session.Modes();
    EXPECT_NE(modes.c_lflag & ICANON, 0u);
    EXPECT_NE(modes.c_lflag & ECHO, 0u);
    EXPECT_NE(modes.c_lflag & ISIG, 0u);
    EXPECT_NE(session.Output().rfind("\x1b[?1049l"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, TerminalDialogTest,
    ::testing::Values(TerminalCase{"Escape", {{kPrompt, "\x1b"}}, kIdCancel},
                      TerminalCase{"EnterOnCancel", {{"[ 取消 ]", "\r"}}, kIdCancel},
                      TerminalCase{"CtrlC", {{kPrompt, "\x03"}}, kIdCancel | kSawClose},
                      TerminalCase{"TabStaysOnTheOnlyButton", {{kPrompt, "\t\r"}}, kIdCancel},
                      TerminalCase{"MenuLetterThenAccessKey",
                                   {{kPrompt, "m"},
                                    {"關於 Kelvane(A)...", "a"},
                                    {kAboutVersion, "\x1b"},
                                    {kPrompt, "\x1b"}},
                                   kIdCancel | kSawAbout},
                      TerminalCase{"F10ThenArrowsOverTheSeparator",
                                   {{kPrompt, "\x1b[21~"},
                                    {"Close", "\x1b[B\x1b[B\r"},
                                    {kAboutVersion, "\r"},
                                    {kPrompt, "\x1b"}},
                                   kIdCancel | kSawAbout},
                      TerminalCase{
                          "MenuClose", {{kPrompt, "m"}, {"Close", "c"}}, kIdCancel | kSawClose},
                      TerminalCase{"WatchedDescriptor", {{kPrompt, kPokeWatch}}, kFromWatch},
                      TerminalCase{"WatchedDescriptorDuringAbout",
                                   {{kPrompt, "m"},
                                    {"Kelvane(A)", "a"},
                                    {kAboutVersion, kPokeWatch},
                                    // The main dialog has ended; the box stays until it is closed.
                                    {kAboutVersion, "\x1b"}},
                                   kFromWatch | kSawAbout}),
    [](const ::testing::TestParamInfo<TerminalCase>& param) { return param.param.name; });

TEST(TerminalDialogSignalTest, TerminationGivesTheTerminalBack) {
    PtySession session;
    ASSERT_TRUE(session.WaitFor(kPrompt)) << session.Output();
    EXPECT_EQ(session.Modes().c_lflag & ICANON, 0u);  // raw while the dialog runs
    ::kill(session.Pid(), SIGTERM);
    const int status = session.Finish();
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_NE(session.Modes().c_lflag & ICANON, 0u);
    EXPECT_NE(session.Modes().c_lflag & ECHO, 0u);
}

}  // namespace
}  // namespace kelvane

#include "platform/linux/LinuxShell.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "common/Utf8.h"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

// Waits for a file the started program writes; the program runs on its own, so there is no
// other way to learn that it ran. Gives up after ten seconds.
bool WaitFor(const fs::path& file) {
    for (int i = 0; i < 1000; ++i) {
        if (fs::exists(file)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::string Contents(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream out;
    out << in.rdbuf();
    return out.str();
}

// The bit of a signal in the masks of /proc/PID/status, read from a report line "name=HEX".
bool SignalInMask(const std::string& report, const std::string& name, int signal) {
    const std::size_t at = report.find(name + "=");
    if (at == std::string::npos) {
        ADD_FAILURE() << "no " << name << " in " << report;
        return false;
    }
    const unsigned long long mask = std::stoull(report.substr(at + name.size() + 1), nullptr, 16);
    return (mask >> (signal - 1) & 1) != 0;
}

class LinuxShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/kelvane-shell-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        m_dir = name;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }

    // A program that reports how it was started into "report" beside itself, then waits for
    // "release" before it writes "done".
    fs::path WriteProgram(const fs::path& path, bool executable = true) {
        fs::create_directories(path.parent_path());
        std::ofstream(path)
            << "#!/bin/sh\n"
               "here=$(dirname \"$0\")\n"
               "{\n"
               "  echo \"argv0=$0\"\n"
               "  echo \"argc=$#\"\n"
               "  echo \"sid=$(cut -d' ' -f6 /proc/$$/stat)\"\n"
               "  echo \"pid=$$\"\n"
               "  if [ -e /proc/$$/fd/77 ]; then echo leaked=yes; else echo leaked=no; fi\n"
               "  echo \"sigign=$(grep '^SigIgn:' /proc/$$/status | cut -f2)\"\n"
               "  echo \"sigblk=$(grep '^SigBlk:' /proc/$$/status | cut -f2)\"\n"
               "} > \"$here/report.tmp\"\n"
               "mv \"$here/report.tmp\" \"$here/report\"\n"
               "i=0; while [ ! -e \"$here/release\" ] && [ $i -lt 1000 ]; do sleep 0.01; "
               "i=$((i+1)); done\n"
               "touch \"$here/done\"\n";
        fs::permissions(path, executable ? fs::perms::owner_all
                                         : fs::perms::owner_read | fs::perms::owner_write);
        return path;
    }

    std::intptr_t Open(const fs::path& path) {
        const std::u16string file = Utf8ToUtf16(path.string());
        return shell.ShellExecuteW(WindowHandle{}, u"open", file.c_str(), nullptr, nullptr, 1);
    }

    LinuxShell shell;
    fs::path m_dir;
};

TEST_F(LinuxShellTest, StartsAProgramDetachedLiterallyAndWithoutWaiting) {
    // Blanks and shell syntax in the path are only characters of a file name.
    const fs::path dir = m_dir / "v 1;$(touch pwned)`touch pwned2`&&x";
    const fs::path program = WriteProgram(dir / "run me;now.sh");
    // A descriptor the launcher forgot to mark close-on-exec must still not reach the program.
    const int leaky = ::open("/dev/null", O_RDONLY);
    ASSERT_EQ(::dup2(leaky, 77), 77);

    EXPECT_GT(Open(program), 32);
    ::close(77);
    ::close(leaky);

    ASSERT_TRUE(WaitFor(dir / "report"));
    EXPECT_FALSE(fs::exists(dir / "done")) << "the launcher returned while the program runs on";
    const std::string report = Contents(dir / "report");
    EXPECT_NE(report.find("argv0=" + program.string() + "\n"), std::string::npos) << report;
    EXPECT_NE(report.find("argc=0\n"), std::string::npos);
    EXPECT_NE(report.find("leaked=no\n"), std::string::npos);
    EXPECT_EQ(report.find("sid=" + std::to_string(::getsid(0)) + "\n"), std::string::npos)
        << "the program has a session of its own";
    std::ofstream(dir / "release");
    EXPECT_TRUE(WaitFor(dir / "done"));
    EXPECT_FALSE(fs::exists(m_dir / "pwned"));
    EXPECT_FALSE(fs::exists(dir / "pwned"));
    EXPECT_FALSE(fs::exists("pwned2"));
}

TEST_F(LinuxShellTest, TheProgramGetsTheDefaultSignalsWhateverTheLauncherChanged) {
    const fs::path program = WriteProgram(m_dir / "signals" / "run.sh");
    // A launcher that ignores broken pipes and holds back a signal while it starts the program.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previous {};
    ::sigaction(SIGPIPE, &ignore, &previous);
    sigset_t held;
    sigemptyset(&held);
    sigaddset(&held, SIGUSR1);
    sigset_t before;
    ::pthread_sigmask(SIG_BLOCK, &held, &before);

    const std::intptr_t result = Open(program);
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    ::sigaction(SIGPIPE, &previous, nullptr);

    EXPECT_GT(result, 32);
    ASSERT_TRUE(WaitFor(program.parent_path() / "report"));
    std::ofstream(program.parent_path() / "release");
    const std::string report = Contents(program.parent_path() / "report");
    EXPECT_FALSE(SignalInMask(report, "sigign", SIGPIPE)) << report;
    EXPECT_FALSE(SignalInMask(report, "sigblk", SIGUSR1)) << report;
    EXPECT_TRUE(WaitFor(program.parent_path() / "done"));
}

TEST_F(LinuxShellTest, OtherFilesGoToTheDesktopsDefaultApplication) {
    // A stand-in for xdg-open that reports what it was given, in a file that appears whole.
    const fs::path bin = m_dir / "bin";
    fs::create_directories(bin);
    const std::string opened = (m_dir / "opened").string();
    std::ofstream(bin / "xdg-open") << "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > \"" + opened +
                                           ".tmp\"\nmv \"" + opened + ".tmp\" \"" + opened + "\"\n";
    fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    const fs::path document = WriteProgram(m_dir / "notes $HOME.txt", false);
    const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    ::setenv("PATH", (bin.string() + ":" + path).c_str(), 1);

    const std::intptr_t result = Open(document);
    ::setenv("PATH", path.c_str(), 1);

    EXPECT_GT(result, 32);
    ASSERT_TRUE(WaitFor(m_dir / "opened"));
    EXPECT_EQ(Contents(m_dir / "opened"), "1|" + document.string());
    EXPECT_FALSE(fs::exists(m_dir / "report")) << "a document is never run itself";
}

TEST_F(LinuxShellTest, WithoutADesktopHandlerNothingIsStarted) {
    const fs::path document = WriteProgram(m_dir / "notes.txt", false);
    const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    ::setenv("PATH", m_dir.c_str(), 1);
    EXPECT_EQ(Open(document), kSeErrNoAssociation);
    ::setenv("PATH", path.c_str(), 1);
}

TEST_F(LinuxShellTest, RefusesWhatItCannotOpen) {
    EXPECT_EQ(Open(m_dir / "missing"), kSeErrFileNotFound);
    EXPECT_EQ(Open(m_dir / "missing" / ""), kSeErrFileNotFound);
    EXPECT_EQ(shell.ShellExecuteW(WindowHandle{}, u"open", nullptr, nullptr, nullptr, 1),
              kSeErrFileNotFound);
    const fs::path program = WriteProgram(m_dir / "p.sh");
    const std::u16string file = Utf8ToUtf16(program.string());
    EXPECT_EQ(shell.ShellExecuteW(WindowHandle{}, u"print", file.c_str(), nullptr, nullptr, 1),
              kSeErrNoAssociation);
    EXPECT_EQ(shell.ShellExecuteW(WindowHandle{}, u"open", file.c_str(), u"; rm -rf /", nullptr, 1),
              kSeErrNoAssociation);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(fs::exists(m_dir / "report"));
}

}  // namespace
}  // namespace kelvane

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/platform/linux/UsbTestbed.h"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::MockUsbDevice;
using testing::UsbTestbed;

MockUsbDevice LumoA() {
    return MockUsbDevice{};  // 2e47:0502, model 68, with usblp
}

MockUsbDevice LumoB() {
    MockUsbDevice device;
    device.port = "1-2";
    device.deviceNumber = 3;
    device.idProduct = "050e";
    device.serial = "LUMOB0001";
    device.lpMinor = 1;
    return device;
}

MockUsbDevice OtherVendorPrinter() {
    MockUsbDevice device;
    device.port = "1-3";
    device.deviceNumber = 4;
    device.idVendor = "04b8";
    device.idProduct = "0005";
    device.serial = "OTHER1";
    device.lpMinor = 2;
    return device;
}

MockUsbDevice Storage(int index) {
    MockUsbDevice device;
    device.port = "1-" + std::to_string(4 + index);
    device.deviceNumber = 5 + index;
    device.idVendor = "0781";
    device.idProduct = "5567";
    device.serial = "STICK" + std::to_string(index);
    device.interfaceClass = "08";
    device.lpMinor = std::nullopt;
    return device;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& text, fs::perms perms) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
    fs::permissions(path, perms);
}

// A working directory with Kelvane.ini and firmware programs that write the name they were
// started by (their argv[0]) into a record, one line per start.
class LauncherDirectory {
public:
    LauncherDirectory() {
        char name[] = "/tmp/kelvane-e2e-XXXXXX";
        m_root = ::mkdtemp(name);
        m_record = m_root / "started.txt";
    }
    ~LauncherDirectory() {
        std::error_code ignored;
        fs::permissions(m_root / "Kelvane.ini", fs::perms::owner_all, fs::perm_options::add,
                        ignored);
        fs::remove_all(m_root, ignored);
    }

    // A section's firmware program at version/exe under the directory.
    void AddProgram(const std::string& section, const std::string& version,
                    const std::string& exe) {
        m_ini += "[" + section + "]\r\nversion=" + version + "\r\nEXE=" + exe + "\r\n";
        WriteFile(m_root / version / exe,
                  "#!/bin/sh\nprintf '%s\\n' \"$0\" >> '" + m_record.string() + "'\n",
                  fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
        WriteFile(m_root / "Kelvane.ini", m_ini, fs::perms::owner_read | fs::perms::owner_write);
    }

    fs::path Root() const { return m_root; }
    fs::path Ini() const { return m_root / "Kelvane.ini"; }

    // The programs started so far, waiting a while for the first one when `expectOne`.
    std::vector<std::string> Started(bool expectOne) const {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (expectOne && !fs::exists(m_record) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(50ms);
        }
        // A second start, were there one, would have had the same time to show.
        std::this_thread::sleep_for(300ms);
        std::vector<std::string> lines;
        std::istringstream text(ReadFile(m_record));
        for (std::string line; std::getline(text, line);) {
            lines.push_back(line);
        }
        return lines;
    }

private:
    fs::path m_root;
    fs::path m_record;
    std::string m_ini;
};

// The environment the program gets: the test's own (the umockdev preload and test bed
// included), with these variables set, or removed where the value is empty.
using EnvironmentChanges = std::map<std::string, std::string>;

void ApplyAndExec(const fs::path& directory, const EnvironmentChanges& changes) {
    if (::chdir(directory.c_str()) != 0) {
        ::_exit(126);
    }
    for (const auto& [name, value] : changes) {
        if (value.empty()) {
            ::unsetenv(name.c_str());
        } else {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
    }
    char* const argv[] = {const_cast<char*>(KELVANE_PROGRAM), nullptr};
    ::execv(KELVANE_PROGRAM, argv);
    ::_exit(127);
}

// The program, running; ended by the test when it does not end by itself.
class RunningLauncher {
public:
    // On Qt's offscreen platform, no keyboard.
    RunningLauncher(const fs::path& directory, EnvironmentChanges changes) {
        changes.emplace("QT_QPA_PLATFORM", "offscreen");
        m_log = directory / "launcher.log";
        m_pid = ::fork();
        if (m_pid == 0) {
            const int null = ::open("/dev/null", O_RDONLY);
            const int log = ::open(m_log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(null, STDIN_FILENO);
            ::dup2(log, STDOUT_FILENO);
            ::dup2(log, STDERR_FILENO);
            ApplyAndExec(directory, changes);
        }
    }
    // In a terminal, with no display: the dialog is text and takes keys.
    RunningLauncher(const fs::path& directory, EnvironmentChanges changes, bool /*terminal*/) {
        changes["QT_QPA_PLATFORM"] = "";
        changes["DISPLAY"] = "";
        changes["WAYLAND_DISPLAY"] = "";
        winsize size{};
        size.ws_row = 24;
        size.ws_col = 80;
        m_pid = ::forkpty(&m_terminal, nullptr, nullptr, &size);
        if (m_pid == 0) {
            ApplyAndExec(directory, changes);
        }
    }
    ~RunningLauncher() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_terminal >= 0) {
            ::close(m_terminal);
        }
    }

    // The wait status once the program has ended by itself; nullopt when it is still running
    // after `patience`.
    std::optional<int> WaitForEnd(std::chrono::milliseconds patience) {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        do {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return status;
            }
            ReadTerminal();
            std::this_thread::sleep_for(20ms);
        } while (std::chrono::steady_clock::now() < deadline);
        return std::nullopt;
    }

    // Reads the terminal until `text` shows.
    bool WaitForScreen(const std::string& text) {
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (std::chrono::steady_clock::now() < deadline) {
            if (m_screen.find(text) != std::string::npos) {
                return true;
            }
            ReadTerminal();
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }
    void Type(const std::string& keys) {
        ASSERT_EQ(::write(m_terminal, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }
    std::string Diagnostics() const { return m_screen + ReadFile(m_log); }

private:
    void ReadTerminal() {
        if (m_terminal < 0) {
            return;
        }
        pollfd readable{m_terminal, POLLIN, 0};
        while (::poll(&readable, 1, 0) > 0 && (readable.revents & POLLIN) != 0) {
            char bytes[4096];
            const ssize_t count = ::read(m_terminal, bytes, sizeof(bytes));
            if (count <= 0) {
                return;
            }
            m_screen.append(bytes, static_cast<std::size_t>(count));
        }
    }

    pid_t m_pid = -1;
    int m_terminal = -1;
    fs::path m_log;
    std::string m_screen;
};

constexpr auto kEnds = 30s;         // a launcher that found its printer ends within this
constexpr auto kStillWaiting = 2s;  // a launcher that should wait is still there after this

class LauncherEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory.AddProgram("LumoA", "fwA", "update-a.sh");
        directory.AddProgram("LumoB", "fwB", "update-b.sh");
    }

    std::string ProgramOf(const std::string& version, const std::string& exe) const {
        return (directory.Root() / version / exe).string();
    }

    static void ExpectEndedCleanly(const std::optional<int>& status,
                                   const RunningLauncher& launcher) {
        ASSERT_TRUE(status.has_value()) << launcher.Diagnostics();
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status << "\n"
                                                                     << launcher.Diagnostics();
    }

    UsbTestbed usb;
    LauncherDirectory directory;
};

// Which program a printer starts, and when it is plugged in.
struct PrinterCase {
    const char* name;
    std::function<MockUsbDevice()> printer;
    bool presentAtStart;
    const char* version;  // empty: nothing is started and the launcher keeps waiting
    const char* exe;
};

void PrintTo(const PrinterCase& printerCase, std::ostream* out) {
    *out << printerCase.name;
}

class LauncherPrinterTest : public LauncherEndToEndTest,
                            public ::testing::WithParamInterface<PrinterCase> {};

TEST_P(LauncherPrinterTest, StartsTheModelsProgramAndEnds) {
    const PrinterCase& printerCase = GetParam();
    if (printerCase.presentAtStart) {
        ASSERT_FALSE(usb.Add(printerCase.printer()).empty());
    }
    RunningLauncher launcher(directory.Root(), {});
    if (!printerCase.presentAtStart) {
        EXPECT_FALSE(launcher.WaitForEnd(kStillWaiting)) << launcher.Diagnostics();
        ASSERT_FALSE(usb.Add(printerCase.printer()).empty());
    }
    if (std::string(printerCase.version).empty()) {
        EXPECT_FALSE(launcher.WaitForEnd(kStillWaiting)) << launcher.Diagnostics();
        EXPECT_TRUE(directory.Started(false).empty());
        return;  // the launcher is ended by the test
    }
    ExpectEndedCleanly(launcher.WaitForEnd(kEnds), launcher);
    EXPECT_EQ(directory.Started(true),
              std::vector<std::string>{ProgramOf(printerCase.version, printerCase.exe)});
}

INSTANTIATE_TEST_SUITE_P(
    Printers, LauncherPrinterTest,
    ::testing::Values(PrinterCase{"LumoAAtStart", LumoA, true, "fwA", "update-a.sh"},
                      PrinterCase{"LumoBAtStart", LumoB, true, "fwB", "update-b.sh"},
                      PrinterCase{"LumoBPluggedIn", LumoB, false, "fwB", "update-b.sh"},
                      PrinterCase{"LumoAPluggedInWithoutUsblp",
                                  [] {
                                      MockUsbDevice device = LumoA();
                                      device.lpMinor = std::nullopt;
                                      return device;
                                  },
                                  false, "fwA", "update-a.sh"},
                      PrinterCase{"LumoBAtStartWithoutUsblp",
                                  [] {
                                      MockUsbDevice device = LumoB();
                                      device.lpMinor = std::nullopt;
                                      return device;
                                  },
                                  true, "fwB", "update-b.sh"},
                      PrinterCase{"OtherVendorsPrinterAtStart", OtherVendorPrinter, true, "", ""},
                      PrinterCase{"OtherVendorsPrinterPluggedIn", OtherVendorPrinter, false, "",
                                  ""}),
    [](const ::testing::TestParamInfo<PrinterCase>& param) { return param.param.name; });

TEST_F(LauncherEndToEndTest, OtherDevicesComingAndGoingThenAPrinterStartOneProgram) {
    RunningLauncher launcher(directory.Root(), {});
    EXPECT_FALSE(launcher.WaitForEnd(kStillWaiting)) << launcher.Diagnostics();
    for (int round = 0; round < 3; ++round) {
        const std::string stick = usb.Add(Storage(round));
        // umockdev keeps a removed device's bus entry: each round's devices are new ones.
        MockUsbDevice otherPrinter = OtherVendorPrinter();
        otherPrinter.port = "1-" + std::to_string(10 + round);
        otherPrinter.deviceNumber = 20 + round;
        otherPrinter.lpMinor = 3u + static_cast<unsigned>(round);
        const std::string other = usb.Add(otherPrinter);
        ASSERT_FALSE(stick.empty());
        ASSERT_FALSE(other.empty());
        std::this_thread::sleep_for(100ms);
        usb.Uevent(stick, "remove");
        usb.Uevent(other, "remove");
        usb.Remove(stick);
        usb.Remove(other);
    }
    EXPECT_FALSE(launcher.WaitForEnd(500ms)) << launcher.Diagnostics();
    ASSERT_FALSE(usb.Add(LumoA()).empty());
    ASSERT_FALSE(usb.Add(LumoB()).empty());
    ExpectEndedCleanly(launcher.WaitForEnd(kEnds), launcher);
    EXPECT_EQ(directory.Started(true), std::vector<std::string>{ProgramOf("fwA", "update-a.sh")});
}

TEST_F(LauncherEndToEndTest, ReadOnlyIniIsWritableAfterTheStart) {
    fs::permissions(directory.Ini(), fs::perms::owner_read | fs::perms::group_read);
    ASSERT_FALSE(usb.Add(LumoA()).empty());
    RunningLauncher launcher(directory.Root(), {});
    ExpectEndedCleanly(launcher.WaitForEnd(kEnds), launcher);
    EXPECT_EQ(directory.Started(true).size(), 1u);
    EXPECT_NE(fs::status(directory.Ini()).permissions() & fs::perms::owner_write, fs::perms::none);
}

TEST_F(LauncherEndToEndTest, ShellCharactersInTheIniAreStartedLiterally) {
    LauncherDirectory odd;
    odd.AddProgram("LumoA", "fw A;$(touch injected)", "`touch injected` run me.sh");
    ASSERT_FALSE(usb.Add(LumoA()).empty());
    RunningLauncher launcher(odd.Root(), {});
    ExpectEndedCleanly(launcher.WaitForEnd(kEnds), launcher);
    EXPECT_EQ(odd.Started(true),
              std::vector<std::string>{
                  (odd.Root() / "fw A;$(touch injected)" / "`touch injected` run me.sh").string()});
    EXPECT_FALSE(fs::exists(odd.Root() / "injected"));
}

// The terminal's side of the dialog: what it shows under a language, and Escape.
struct TerminalCase {
    const char* name;
    const char* language;
    std::vector<const char*> shown;
};

void PrintTo(const TerminalCase& terminalCase, std::ostream* out) {
    *out << terminalCase.name;
}

class LauncherTerminalTest : public LauncherEndToEndTest,
                             public ::testing::WithParamInterface<TerminalCase> {};

TEST_P(LauncherTerminalTest, ShowsTheDialogAndEscapeEndsItStartingNothing) {
    const TerminalCase& terminalCase = GetParam();
    const std::string iniBefore = ReadFile(directory.Ini());
    const auto permsBefore = fs::status(directory.Ini()).permissions();
    const auto writtenBefore = fs::last_write_time(directory.Ini());
    RunningLauncher launcher(
        directory.Root(),
        {{"LANG", terminalCase.language}, {"LANGUAGE", ""}, {"LC_ALL", ""}, {"LC_MESSAGES", ""}},
        true);
    for (const char* text : terminalCase.shown) {
        ASSERT_TRUE(launcher.WaitForScreen(text)) << text << "\n" << launcher.Diagnostics();
    }
    launcher.Type("\x1b");
    ExpectEndedCleanly(launcher.WaitForEnd(kEnds), launcher);
    EXPECT_TRUE(directory.Started(false).empty());
    EXPECT_EQ(ReadFile(directory.Ini()), iniBefore);
    EXPECT_EQ(fs::status(directory.Ini()).permissions(), permsBefore);
    EXPECT_EQ(fs::last_write_time(directory.Ini()), writtenBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Languages, LauncherTerminalTest,
    ::testing::Values(
        TerminalCase{"English", "en_US.UTF-8", {"Orvane Kelvane", "Please plug in Lumo", "取消"}},
        TerminalCase{
            "TraditionalChinese", "zh_TW.UTF-8", {"Orvane Kelvane", "請插入 Lumo 印表機", "取消"}}),
    [](const ::testing::TestParamInfo<TerminalCase>& param) { return param.param.name; });

}  // namespace
}  // namespace kelvane

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
#include <set>
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

std::vector<std::string> ReadLines(const fs::path& path) {
    std::vector<std::string> lines;
    std::istringstream text(ReadFile(path));
    for (std::string line; std::getline(text, line);) {
        lines.push_back(line);
    }
    return lines;
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
        WriteProgram(m_root / version / exe);
        WriteFile(m_root / "Kelvane.ini", m_ini, fs::perms::owner_read | fs::perms::owner_write);
    }
    // A firmware program that records its start, anywhere.
    void WriteProgram(const fs::path& path) const {
        WriteFile(path, "#!/bin/sh\nprintf '%s\\n' \"$0\" >> '" + m_record.string() + "'\n",
                  fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    }
    // A directory below this one whose path is `length` characters long.
    fs::path SubdirectoryOfLength(std::size_t length) const {
        std::string path = m_root.string();
        while (path.size() < length) {
            std::size_t part = std::min<std::size_t>(length - path.size() - 1, 200);
            // Each part is "/" and at least one character.
            if (length - path.size() - 1 - part == 1) {
                --part;
            }
            path += "/" + std::string(part, 'd');
        }
        fs::create_directories(path);
        return path;
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
        return ReadLines(m_record);
    }

private:
    fs::path m_root;
    fs::path m_record;
    std::string m_ini;
};

// A stand-in for the desktop's opener, first on the program's PATH: it records what it was
// asked to open instead of opening it.
class DesktopOpener {
public:
    explicit DesktopOpener(const fs::path& directory)
        : m_directory(directory / "bin"), m_record(directory / "opened.txt") {
        WriteFile(m_directory / "xdg-open",
                  "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + m_record.string() + "'\n",
                  fs::perms::owner_all);
    }
    std::string SearchPath() const {
        const char* path = std::getenv("PATH");
        return m_directory.string() + ":" + (path != nullptr ? path : "/usr/bin:/bin");
    }
    std::vector<std::string> Opened() const { return ReadLines(m_record); }

private:
    fs::path m_directory;
    fs::path m_record;
};

// The environment the program gets: the test's own (the umockdev preload and test bed
// included), with these variables set, or removed where the value is empty.
using EnvironmentChanges = std::map<std::string, std::string>;

// The command line that runs the program: the program alone, or the program under a tool.
std::vector<std::string> ProgramCommand(std::vector<std::string> tool = {}) {
    tool.emplace_back(KELVANE_PROGRAM);
    return tool;
}

// Built before fork: the child only execs.
std::vector<char*> ArgumentVector(std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (std::string& argument : command) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    return argv;
}

void ApplyAndExec(const fs::path& directory, const EnvironmentChanges& changes,
                  char* const argv[]) {
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
    ::execvp(argv[0], argv);
    ::_exit(127);
}

// The program, running; ended by the test when it does not end by itself.
class RunningLauncher {
public:
    // On Qt's offscreen platform, no keyboard.
    RunningLauncher(const fs::path& directory, EnvironmentChanges changes,
                    std::vector<std::string> command = ProgramCommand()) {
        changes.emplace("QT_QPA_PLATFORM", "offscreen");
        m_log = directory / "launcher.log";
        const std::vector<char*> argv = ArgumentVector(command);
        m_pid = ::fork();
        if (m_pid == 0) {
            const int null = ::open("/dev/null", O_RDONLY);
            const int log = ::open(m_log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(null, STDIN_FILENO);
            ::dup2(log, STDOUT_FILENO);
            ::dup2(log, STDERR_FILENO);
            ApplyAndExec(directory, changes, argv.data());
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
        std::vector<std::string> command = ProgramCommand();
        const std::vector<char*> argv = ArgumentVector(command);
        m_pid = ::forkpty(&m_terminal, nullptr, nullptr, &size);
        if (m_pid == 0) {
            ApplyAndExec(directory, changes, argv.data());
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
    // Waits until every thread of the program sleeps: whatever it was sent has been read.
    void WaitUntilIdle() const {
        const fs::path tasks = "/proc/" + std::to_string(m_pid) + "/task";
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        int idleReadings = 0;
        // Twice in a row, so that an event on its way has had the time to wake it.
        while (idleReadings < 2 && std::chrono::steady_clock::now() < deadline) {
            bool idle = true;
            std::error_code gone;
            for (const auto& task : fs::directory_iterator(tasks, gone)) {
                // "pid (name) S ...": the state follows the name's closing parenthesis.
                const std::string stat = ReadFile(task.path() / "stat");
                const auto state = stat.rfind(") ");
                idle = idle && state != std::string::npos && stat.size() > state + 2 &&
                       stat[state + 2] == 'S';
            }
            idleReadings = idle ? idleReadings + 1 : 0;
            std::this_thread::sleep_for(1ms);
        }
    }
    // The descriptors the running program holds.
    std::size_t OpenDescriptors() const {
        const fs::path descriptors = "/proc/" + std::to_string(m_pid) + "/fd";
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(descriptors), fs::directory_iterator()));
    }

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

std::set<fs::path> SharedMemoryObjects() {
    std::set<fs::path> objects;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator("/dev/shm", ignored)) {
        objects.insert(entry.path());
    }
    return objects;
}

class LauncherEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory.AddProgram("LumoA", "fwA", "update-a.sh");
        directory.AddProgram("LumoB", "fwB", "update-b.sh");
        m_sharedMemoryBefore = SharedMemoryObjects();
    }
    // A launcher the test had to kill leaves its named mutex behind; those of the mocked
    // printers are the test's to remove.
    void TearDown() override {
        for (const fs::path& object : SharedMemoryObjects()) {
            if (!m_sharedMemoryBefore.contains(object) &&
                object.filename().string().starts_with("Global\\")) {
                std::error_code ignored;
                fs::remove(object, ignored);
            }
        }
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

private:
    std::set<fs::path> m_sharedMemoryBefore;
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

// Device number `index` of the churn: a storage stick, another vendor's printer, or a Lumo
// printer whose node cannot be opened, each on a port of its own.
MockUsbDevice ChurnDevice(int index) {
    MockUsbDevice device;
    switch (index % 3) {
        case 0:
            device = Storage(0);
            break;
        case 1:
            device = OtherVendorPrinter();
            break;
        default:
            device = index % 2 == 0 ? LumoA() : LumoB();
            device.nodesExist = false;
            break;
    }
    // Every device has nodes of its own: umockdev never gives a node name out twice.
    device.port = "1-" + std::to_string(100 + index);
    device.deviceNumber = 10 + index;
    device.serial = "CHURN" + std::to_string(index);
    if (device.lpMinor) {
        device.lpMinor = 10u + static_cast<unsigned>(index);
    }
    return device;
}

TEST_F(LauncherEndToEndTest, ChurnOfOtherDevicesLeavesNoDescriptorBehindAndOneStart) {
    RunningLauncher launcher(directory.Root(), {});
    EXPECT_FALSE(launcher.WaitForEnd(kStillWaiting)) << launcher.Diagnostics();
    const auto plugAndUnplug = [this, &launcher](int index) {
        const std::string device = usb.Add(ChurnDevice(index));
        ASSERT_FALSE(device.empty()) << index;
        // umockdev ends the test when the program's event queue overflows: let it read.
        launcher.WaitUntilIdle();
        usb.Uevent(device, "remove");
        usb.Remove(device);
        launcher.WaitUntilIdle();
    };
    // The first events may open what the watch keeps for good.
    constexpr int kWarmUp = 6;
    for (int index = 0; index < kWarmUp; ++index) {
        plugAndUnplug(index);
    }
    std::this_thread::sleep_for(500ms);
    const std::size_t descriptorsBefore = launcher.OpenDescriptors();
    for (int index = kWarmUp; index < kWarmUp + 1000; ++index) {
        plugAndUnplug(index);
    }
    EXPECT_FALSE(launcher.WaitForEnd(1s)) << launcher.Diagnostics();
    EXPECT_EQ(launcher.OpenDescriptors(), descriptorsBefore);
    EXPECT_TRUE(directory.Started(false).empty());

    ASSERT_FALSE(usb.Add(LumoA()).empty());
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

// An INI file of the LumoA section naming version/exe, its lines ended by `lineEnd`.
std::string LumoAIni(const std::string& version, const std::string& exe,
                     const std::string& lineEnd) {
    return "[LumoA]" + lineEnd + "version=" + version + lineEnd + "EXE=" + exe + lineEnd;
}

std::string AsUtf16WithBom(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (const char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

// A relative path of `length` characters, in parts short enough for any file system.
std::string LongRelativePath(std::size_t length) {
    std::string path;
    while (path.size() < length) {
        if (!path.empty()) {
            path += '/';
        }
        path += std::string(std::min<std::size_t>(length - path.size(), 100), 'v');
        // A part may not end on the separator's place.
        if (path.size() + 1 == length) {
            path.back() = '/';
            path += 'v';
        }
    }
    return path;
}

// What the launcher hands on when a Lumo A printer is there, whatever Kelvane.ini holds.
enum class LaunchOutcome {
    kStartsTheProgram,  // the firmware program at directory/version/EXE
    kOpensDirectory,    // the desktop's opener gets directory + "//": both values are missing
    kNothing,           // the path would not fit: nothing is opened at all
};

struct BadInputCase {
    const char* name;
    // How long the current directory's path is; 0 leaves it short.
    std::size_t directoryLength;
    // Kelvane.ini: its bytes, made from the version and exe values; nullopt for no file, and a
    // directory of that name when `iniIsDirectory`.
    std::function<std::optional<std::string>(const std::string&, const std::string&)> ini;
    std::string version;
    std::string exe;
    LaunchOutcome outcome;
    bool iniIsDirectory = false;
};

void PrintTo(const BadInputCase& badInputCase, std::ostream* out) {
    *out << badInputCase.name;
}

std::function<std::optional<std::string>(const std::string&, const std::string&)> IniWith(
    std::string lineEnd) {
    return [lineEnd](const std::string& version, const std::string& exe) {
        return LumoAIni(version, exe, lineEnd);
    };
}

// What the widget probe wrote: the dialog's caption, each control's visibility and text by its
// object name, the steps it took and the window menus it read.
struct ProbeReport {
    std::string caption;
    std::map<std::string, std::pair<std::string, std::string>> controls;  // visibility, text
    std::vector<std::string> steps;
    std::vector<std::string> menus;
};

ProbeReport ReadProbeReport(const fs::path& path) {
    ProbeReport report;
    for (const std::string& line : ReadLines(path)) {
        const auto bar = line.find('|');
        const std::string kind = line.substr(0, bar);
        const std::string rest = bar == std::string::npos ? "" : line.substr(bar + 1);
        if (kind == "caption") {
            report.caption = rest;
        } else if (kind == "step") {
            report.steps.push_back(rest);
        } else if (kind == "menu") {
            report.menus.push_back(rest);
        } else if (const auto second = rest.find('|'); second != std::string::npos) {
            report.controls[kind] = {rest.substr(0, second), rest.substr(second + 1)};
        }
    }
    return report;
}

// The Qt dialog of the built program, read and driven from inside by the widget probe plugin,
// which Qt loads through its own plugin variables.
EnvironmentChanges WithWidgetProbe(const fs::path& report, const std::string& steps,
                                   EnvironmentChanges changes) {
    changes["QT_PLUGIN_PATH"] = KELVANE_PROBE_PLUGINS;
    changes["QT_QPA_GENERIC_PLUGINS"] = "widgetprobe";
    changes["WIDGET_PROBE_REPORT"] = report.string();
    changes["WIDGET_PROBE_STEPS"] = steps;
    return changes;
}

EnvironmentChanges OnlyLanguage(const std::string& language) {
    return {{"LANG", language}, {"LANGUAGE", ""}, {"LC_ALL", ""}, {"LC_MESSAGES", ""}};
}

struct QtLanguageCase {
    const char* name;
    const char* language;
    const char* prompt;
};

void PrintTo(const QtLanguageCase& languageCase, std::ostream* out) {
    *out << languageCase.name;
}

class LauncherQtLanguageTest : public LauncherEndToEndTest,
                               public ::testing::WithParamInterface<QtLanguageCase> {};

TEST_P(LauncherQtLanguageTest, WidgetsReadTheTranslationAndEscapeEndsStartingNothing) {
    const QtLanguageCase& languageCase = GetParam();
    const std::string iniBefore = ReadFile(directory.Ini());
    const auto writtenBefore = fs::last_write_time(directory.Ini());
    const fs::path reportPath = directory.Root() / "probe.txt";
    RunningLauncher launcher(
        directory.Root(),
        WithWidgetProbe(reportPath, "escape", OnlyLanguage(languageCase.language)));
    ExpectEndedCleanly(launcher.WaitForEnd(kEnds), launcher);

    ProbeReport report = ReadProbeReport(reportPath);
    EXPECT_EQ(report.caption, "Orvane Kelvane") << launcher.Diagnostics();
    using Shown = std::pair<std::string, std::string>;
    EXPECT_EQ(report.controls["control1000"], Shown("shown", languageCase.prompt));
    EXPECT_EQ(report.controls["control2"], Shown("shown", "取消"));
    // The default button is there for Enter, never to be seen.
    EXPECT_EQ(report.controls["control1"].first, "hidden");
    EXPECT_EQ(report.steps, std::vector<std::string>{"escape"});
    EXPECT_TRUE(directory.Started(false).empty());
    EXPECT_EQ(ReadFile(directory.Ini()), iniBefore);
    EXPECT_EQ(fs::last_write_time(directory.Ini()), writtenBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Languages, LauncherQtLanguageTest,
    ::testing::Values(QtLanguageCase{"English", "en_US.UTF-8", "Please plug in Lumo"},
                      QtLanguageCase{"TraditionalChinese", "zh_TW.UTF-8", "請插入 Lumo 印表機"}),
    [](const ::testing::TestParamInfo<QtLanguageCase>& param) { return param.param.name; });

// What the user does in the Qt dialog while it waits, and whether that ends it.
struct QtStepsCase {
    const char* name;
    std::vector<std::string> steps;
    bool ends;
    std::vector<std::string> menus;
};

void PrintTo(const QtStepsCase& stepsCase, std::ostream* out) {
    *out << stepsCase.name;
}

class LauncherQtStepsTest : public LauncherEndToEndTest,
                            public ::testing::WithParamInterface<QtStepsCase> {};

TEST_P(LauncherQtStepsTest, EndOnlyOnCancelAndStartNothing) {
    const QtStepsCase& stepsCase = GetParam();
    const fs::path reportPath = directory.Root() / "probe.txt";
    std::string steps;
    for (const std::string& step : stepsCase.steps) {
        steps += (steps.empty() ? "" : ",") + step;
    }
    RunningLauncher launcher(directory.Root(),
                             WithWidgetProbe(reportPath, steps, OnlyLanguage("C")));
    if (stepsCase.ends) {
        ExpectEndedCleanly(launcher.WaitForEnd(kEnds), launcher);
    } else {
        // Every step has been taken, and the dialog is still there.
        const auto deadline = std::chrono::steady_clock::now() + kEnds;
        while (ReadProbeReport(reportPath).steps != stepsCase.steps &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(50ms);
        }
        EXPECT_FALSE(launcher.WaitForEnd(kStillWaiting)) << launcher.Diagnostics();
    }
    EXPECT_EQ(ReadProbeReport(reportPath).steps, stepsCase.steps);
    EXPECT_EQ(ReadProbeReport(reportPath).menus, stepsCase.menus) << launcher.Diagnostics();
    EXPECT_TRUE(directory.Started(false).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Steps, LauncherQtStepsTest,
    ::testing::Values(
        // The close button, and Alt+F4 through the window manager, ask the window to close.
        QtStepsCase{"CloseEnds", {"close"}, true, {}},
        QtStepsCase{"EnterKeepsWaiting", {"enter", "enter"}, false, {}},
        QtStepsCase{"WindowMenuOffersAboutAndKeepsWaiting",
                    {"menu"},
                    false,
                    {"&Move|&Close\tAlt+F4|-|關於 Kelvane(&A)..."}},
        QtStepsCase{"EscapeAfterTheWindowMenuEnds",
                    {"menu", "escape"},
                    true,
                    {"&Move|&Close\tAlt+F4|-|關於 Kelvane(&A)..."}}),
    [](const ::testing::TestParamInfo<QtStepsCase>& param) { return param.param.name; });

constexpr std::size_t kBuffer = 260;  // characters of every path the launcher composes
const std::size_t kScratchLength = std::string("/tmp/kelvane-e2e-XXXXXX").size();

class LauncherBadInputTest : public LauncherEndToEndTest,
                             public ::testing::WithParamInterface<BadInputCase> {};

TEST_P(LauncherBadInputTest, StartsOnlyTheWholePathAndNeverThroughAShell) {
    const BadInputCase& badInput = GetParam();
    const std::size_t length = badInput.directoryLength == 0 ? directory.Root().string().size() + 4
                                                             : badInput.directoryLength;
    const fs::path current = directory.SubdirectoryOfLength(length);
    ASSERT_EQ(current.string().size(), length);
    const fs::path ini = current / "Kelvane.ini";
    if (badInput.iniIsDirectory) {
        fs::create_directory(ini);
    } else if (const auto bytes = badInput.ini(badInput.version, badInput.exe)) {
        WriteFile(ini, *bytes, fs::perms::owner_read | fs::perms::owner_write);
    }
    const std::string command = current.string() + "/" + badInput.version + "/" + badInput.exe;
    if (badInput.outcome == LaunchOutcome::kStartsTheProgram) {
        directory.WriteProgram(command);
    } else if (command.size() >= kBuffer) {
        // A trap: were the command cut to fit, this is what would start.
        try {
            directory.WriteProgram(command.substr(0, kBuffer - 1));
        } catch (const fs::filesystem_error&) {
            // The cut ends inside the directory, or in a name no file can have.
        }
    }
    const DesktopOpener opener(directory.Root());
    ASSERT_FALSE(usb.Add(LumoA()).empty());
    RunningLauncher launcher(current, {{"PATH", opener.SearchPath()}});
    ExpectEndedCleanly(launcher.WaitForEnd(kEnds), launcher);

    const bool starts = badInput.outcome == LaunchOutcome::kStartsTheProgram;
    EXPECT_EQ(directory.Started(starts),
              starts ? std::vector<std::string>{command} : std::vector<std::string>{});
    EXPECT_EQ(opener.Opened(), badInput.outcome == LaunchOutcome::kOpensDirectory
                                   ? std::vector<std::string>{current.string() + "//"}
                                   : std::vector<std::string>{});
    EXPECT_FALSE(fs::exists(current / "injected"));
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, LauncherBadInputTest,
    ::testing::Values(
        BadInputCase{"NoIni", 0, [](auto&, auto&) { return std::nullopt; }, "", "",
                     LaunchOutcome::kOpensDirectory},
        BadInputCase{"IniIsADirectory", 0, [](auto&, auto&) { return std::nullopt; }, "", "",
                     LaunchOutcome::kOpensDirectory, true},
        BadInputCase{"BinaryIni", 0,
                     [](auto&, auto&) {
                         std::string bytes;
                         for (int i = 0; i < 4096; ++i) {
                             bytes += static_cast<char>((i * 131 + 7) % 256);
                         }
                         return std::optional<std::string>(bytes);
                     },
                     "", "", LaunchOutcome::kOpensDirectory},
        BadInputCase{"MegabyteLineBeforeTheSection", 0,
                     [](const std::string& version, const std::string& exe) {
                         return std::optional<std::string>("junk=" + std::string(1 << 20, 'x') +
                                                           "\r\n" + LumoAIni(version, exe, "\r\n"));
                     },
                     "fw", "update.sh", LaunchOutcome::kStartsTheProgram},
        BadInputCase{"MegabyteValueIsNeverCut", 0,
                     [](const std::string&, const std::string& exe) {
                         return std::optional<std::string>(
                             LumoAIni(std::string(1 << 20, 'v'), exe, "\n"));
                     },
                     std::string(1 << 20, 'v'), "update.sh", LaunchOutcome::kNothing},
        BadInputCase{"Utf16WithBom", 0,
                     [](const std::string& version, const std::string& exe) {
                         return std::optional<std::string>(
                             AsUtf16WithBom(LumoAIni(version, exe, "\r\n")));
                     },
                     "fw16", "update.sh", LaunchOutcome::kStartsTheProgram},
        BadInputCase{"Utf8WithBom", 0,
                     [](const std::string& version, const std::string& exe) {
                         return std::optional<std::string>("\xEF\xBB\xBF" +
                                                           LumoAIni(version, exe, "\r\n"));
                     },
                     "fw8", "update.sh", LaunchOutcome::kStartsTheProgram},
        BadInputCase{"LinesEndedByLf", 0, IniWith("\n"), "fw", "update.sh",
                     LaunchOutcome::kStartsTheProgram},
        BadInputCase{"LinesEndedByCr", 0, IniWith("\r"), "fw", "update.sh",
                     LaunchOutcome::kStartsTheProgram},
        BadInputCase{"LineEndsMixed", 0,
                     [](const std::string& version, const std::string& exe) {
                         return std::optional<std::string>("[LumoA]\rversion=" + version +
                                                           "\nEXE=" + exe + "\r\n");
                     },
                     "fw", "update.sh", LaunchOutcome::kStartsTheProgram},
        BadInputCase{"ShellCharactersInBothValues", 0, IniWith("\r\n"),
                     "a|b&c>d<e *?[x] ~'q\"$HOME", "$(touch injected); `touch injected` &&x",
                     LaunchOutcome::kStartsTheProgram},
        // The longest command that fits: 259 characters and the terminator.
        BadInputCase{"CommandOf259Characters", 0, IniWith("\r\n"),
                     LongRelativePath(kBuffer - 1 - (kScratchLength + 4) - 2 - 9), "update.sh",
                     LaunchOutcome::kStartsTheProgram},
        BadInputCase{"CommandOf260Characters", 0, IniWith("\r\n"),
                     LongRelativePath(kBuffer - (kScratchLength + 4) - 2 - 9), "update.sh",
                     LaunchOutcome::kNothing},
        BadInputCase{"ValueOf259Characters", 0, IniWith("\r\n"), std::string(259, 'v'), "u",
                     LaunchOutcome::kNothing},
        BadInputCase{"ValueOf260Characters", 0, IniWith("\r\n"), "v", std::string(260, 'e'),
                     LaunchOutcome::kNothing},
        BadInputCase{"ValueOf4000Characters", 0, IniWith("\r\n"), "v", std::string(4000, 'e'),
                     LaunchOutcome::kNothing},
        // Kelvane.ini's own path is the first to reach the limit: 247 + "/Kelvane.ini" is 259.
        BadInputCase{"DirectoryOf247Characters", 247, IniWith("\r\n"), "v", "u",
                     LaunchOutcome::kStartsTheProgram},
        BadInputCase{"DirectoryOf248Characters", 248, IniWith("\r\n"), "v", "u",
                     LaunchOutcome::kNothing},
        BadInputCase{"DirectoryOf259Characters", 259, IniWith("\r\n"), "v", "u",
                     LaunchOutcome::kNothing},
        BadInputCase{"DirectoryOf600Characters", 600, IniWith("\r\n"), "v", "u",
                     LaunchOutcome::kNothing}),
    [](const ::testing::TestParamInfo<BadInputCase>& param) { return param.param.name; });

// The whole flow under valgrind's memcheck: no invalid access, and nothing of ours lost. The
// children between fork and exec only exec or end, so they are not checked.
struct MemcheckCase {
    const char* name;
    bool printerAtStart;
    bool printerPluggedIn;
    const char* probeSteps;  // what the user does in the dialog
};

void PrintTo(const MemcheckCase& memcheckCase, std::ostream* out) {
    *out << memcheckCase.name;
}

class LauncherMemcheckTest : public LauncherEndToEndTest,
                             public ::testing::WithParamInterface<MemcheckCase> {};

TEST_P(LauncherMemcheckTest, RunsWithoutMemoryErrorsOrLeaks) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "valgrind cannot run a program built with AddressSanitizer";
#else
    const MemcheckCase& memcheckCase = GetParam();
    const fs::path log = directory.Root() / "memcheck.log";
    const fs::path probeReport = directory.Root() / "probe.txt";
    if (memcheckCase.printerAtStart) {
        ASSERT_FALSE(usb.Add(LumoA()).empty());
    }
    RunningLauncher launcher(
        directory.Root(), WithWidgetProbe(probeReport, memcheckCase.probeSteps, {}),
        ProgramCommand({KELVANE_VALGRIND, "--child-silent-after-fork=yes", "--leak-check=full",
                        "--errors-for-leak-kinds=definite", "--error-exitcode=99",
                        "--log-file=" + log.string()}));
    if (memcheckCase.printerPluggedIn) {
        // Under valgrind the dialog takes seconds to come up; the watch starts before it.
        const auto deadline = std::chrono::steady_clock::now() + kEnds;
        while (!fs::exists(probeReport) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(50ms);
        }
        ASSERT_FALSE(usb.Add(LumoA()).empty());
    }
    const auto status = launcher.WaitForEnd(2 * kEnds);
    ASSERT_TRUE(status.has_value()) << launcher.Diagnostics();
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << ReadFile(log);
    EXPECT_NE(ReadFile(log).find("ERROR SUMMARY: 0 errors"), std::string::npos) << ReadFile(log);
    const bool starts = memcheckCase.printerAtStart || memcheckCase.printerPluggedIn;
    EXPECT_EQ(directory.Started(starts).size(), starts ? 1u : 0u);
#endif
}

INSTANTIATE_TEST_SUITE_P(
    Flows, LauncherMemcheckTest,
    ::testing::Values(MemcheckCase{"PrinterAtStart", true, false, ""},
                      MemcheckCase{"PrinterPluggedIn", false, true, ""},
                      MemcheckCase{"WindowMenuThenEscape", false, false, "menu,escape"}),
    [](const ::testing::TestParamInfo<MemcheckCase>& param) { return param.param.name; });

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

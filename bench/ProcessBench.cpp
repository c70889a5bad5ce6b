// Whole-process benchmarks of the built program `kelvane`, each side by side with its references
// in one run. Runs under umockdev-wrapper: the printers are mocked, and every program started
// here inherits the mocked /sys and /dev. The programs run on Qt's offscreen platform.
//   P1 detection latency: from a printer's "add" uevent to the firmware program's start, for
//      kelvane, a minimal libudev + posix_spawn program (the baseline) and a pyudev script.
//   P2 start to launch, the printer attached: from the exec to the firmware program's start
//      (kelvane, a udevadm shell script) or to the first paint of a QDialog with a label and a
//      button (the reference) and of an empty one.
//   P3 idle: what kelvane, the Qt dialog and the baseline do in 10 s of waiting.
//   P4 peak resident memory of kelvane and of the Qt dialog.
// The firmware program is bench/Stamp.cpp, which writes its start time into a FIFO; the Qt
// dialog writes its own. The rows go to standard output (bench/BenchRows.h), progress to
// standard error.
//   kelvane_process_bench [--runs N] [--idle-seconds S] [--only P1,P2,P3,P4]
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <umockdev.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchRows.h"
#include "bench/MonotonicClock.h"
#include "tests/platform/linux/UsbTestbed.h"

extern char** environ;

namespace kelvane::bench {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::MockUsbDevice;
using testing::UsbTestbed;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The scratch directory every subject runs in: Kelvane.ini naming the stamp program for both
// models, and the FIFO the stamps arrive on.
class Scratch {
public:
    Scratch() {
        char name[] = "/tmp/kelvane-bench-XXXXXX";
        m_root = ::mkdtemp(name);
        std::string ini;
        for (const auto& [section, version] :
             {std::pair{"LumoA", "fwA"}, std::pair{"LumoB", "fwB"}}) {
            fs::create_directories(m_root / version);
            fs::copy_file(BENCH_STAMP, m_root / version / "stamp");
            ini += std::string("[") + section + "]\r\nversion=" + version + "\r\nEXE=stamp\r\n";
        }
        std::ofstream(m_root / "Kelvane.ini", std::ios::binary) << ini;
        const fs::path fifo = m_root / "stamp.fifo";
        ::mkfifo(fifo.c_str(), 0600);
        m_read = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        // Held open so that the FIFO never reads as hung up between two writers.
        m_write = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    }
    ~Scratch() {
        ::close(m_read);
        ::close(m_write);
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    const fs::path& Root() const { return m_root; }

    void Drain() {
        char bytes[256];
        while (::read(m_read, bytes, sizeof(bytes)) > 0) {
        }
        m_pending.clear();
    }

    // The next stamp (CLOCK_MONOTONIC, ns), or nullopt when none came within `patience`.
    std::optional<double> NextStamp(std::chrono::milliseconds patience) {
        const double deadline = MonotonicNs() + static_cast<double>(patience.count()) * 1e6;
        for (;;) {
            const std::size_t end = m_pending.find('\n');
            if (end != std::string::npos) {
                const double stamp = std::strtod(m_pending.substr(0, end).c_str(), nullptr);
                m_pending.erase(0, end + 1);
                return stamp;
            }
            const double left = deadline - MonotonicNs();
            if (left <= 0) {
                return std::nullopt;
            }
            pollfd readable{m_read, POLLIN, 0};
            if (::poll(&readable, 1, static_cast<int>(left / 1e6) + 1) > 0) {
                char bytes[256];
                const ssize_t count = ::read(m_read, bytes, sizeof(bytes));
                if (count > 0) {
                    m_pending.append(bytes, static_cast<std::size_t>(count));
                }
            }
        }
    }

private:
    fs::path m_root;
    int m_read = -1;
    int m_write = -1;
    std::string m_pending;
};

// What a program is started with.
struct Command {
    std::string name;
    std::vector<std::string> argv;
    bool withoutPreload = false;  // for tools that must see the real /sys (perf)
};

// A started program; killed and reaped when it is dropped still running.
class Child {
public:
    Child(const Command& command, const fs::path& directory, const fs::path& log) {
        std::vector<std::string> environment;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string_view text(*entry);
            if (text.starts_with("QT_QPA_PLATFORM=") ||
                (command.withoutPreload && text.starts_with("LD_PRELOAD="))) {
                continue;
            }
            environment.emplace_back(text);
        }
        environment.emplace_back("QT_QPA_PLATFORM=offscreen");
        std::vector<char*> envp;
        for (std::string& entry : environment) {
            envp.push_back(entry.data());
        }
        envp.push_back(nullptr);
        std::vector<std::string> arguments = command.argv;
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0600);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Child() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::wait4(m_pid, nullptr, 0, nullptr);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t Pid() const { return m_pid; }

    // Waits for the end; true when it ended by itself within `patience`, its peak resident size
    // (with that of the children it reaped) in `peakKiB`.
    bool WaitForEnd(std::chrono::milliseconds patience, long* peakKiB = nullptr) {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        while (m_pid > 0) {
            int status = 0;
            rusage usage{};
            if (::wait4(m_pid, &status, WNOHANG, &usage) == m_pid) {
                m_pid = -1;
                if (peakKiB != nullptr) {
                    *peakKiB = usage.ru_maxrss;
                }
                return true;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                return false;
            }
            std::this_thread::sleep_for(2ms);
        }
        return false;
    }

private:
    pid_t m_pid = -1;
};

// One thread's counters from /proc.
struct ThreadCounters {
    std::string name;
    double runNs = 0;           // schedstat: time on a CPU
    long long runs = 0;         // schedstat: times it was given a CPU, i.e. woken and run
    long long voluntary = 0;    // context switches: it blocked
    long long involuntary = 0;  // context switches: it was preempted
    long long ticks = 0;        // utime + stime, clock ticks
};

std::map<pid_t, ThreadCounters> ReadThreads(pid_t pid) {
    std::map<pid_t, ThreadCounters> threads;
    const fs::path tasks = "/proc/" + std::to_string(pid) + "/task";
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(tasks, error)) {
        const pid_t tid = std::atoi(entry.path().filename().c_str());
        ThreadCounters counters;
        counters.name = ReadText(entry.path() / "comm");
        if (!counters.name.empty() && counters.name.back() == '\n') {
            counters.name.pop_back();
        }
        std::istringstream schedstat(ReadText(entry.path() / "schedstat"));
        double waitNs = 0;
        schedstat >> counters.runNs >> waitNs >> counters.runs;
        std::istringstream status(ReadText(entry.path() / "status"));
        for (std::string line; std::getline(status, line);) {
            if (line.starts_with("voluntary_ctxt_switches:")) {
                counters.voluntary = std::atoll(line.c_str() + 24);
            } else if (line.starts_with("nonvoluntary_ctxt_switches:")) {
                counters.involuntary = std::atoll(line.c_str() + 27);
            }
        }
        // After "(comm)", field 3 is the state; utime and stime are fields 14 and 15.
        const std::string stat = ReadText(entry.path() / "stat");
        const std::size_t close = stat.rfind(')');
        if (close != std::string::npos) {
            std::istringstream fields(stat.substr(close + 2));
            std::string field;
            for (int index = 3; index <= 15 && fields >> field; ++index) {
                if (index >= 14) {
                    counters.ticks += std::atoll(field.c_str());
                }
            }
        }
        threads[tid] = counters;
    }
    return threads;
}

double RunNs(pid_t pid) {
    double total = 0;
    for (const auto& [tid, counters] : ReadThreads(pid)) {
        total += counters.runNs;
    }
    return total;
}

long StatusKiB(pid_t pid, const char* field) {
    std::istringstream status(ReadText("/proc/" + std::to_string(pid) + "/status"));
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(field)) {
            return std::atol(line.c_str() + std::strlen(field));
        }
    }
    return -1;
}

// Waits until the program has settled into waiting: it has run for at least `least` and has used
// under 0.2 ms of CPU in the last 300 ms.
bool WaitUntilQuiet(pid_t pid, std::chrono::milliseconds least = 200ms) {
    const auto start = std::chrono::steady_clock::now();
    std::vector<double> samples;
    while (std::chrono::steady_clock::now() - start < 20s) {
        std::this_thread::sleep_for(50ms);
        if (::kill(pid, 0) != 0) {
            return false;
        }
        samples.push_back(RunNs(pid));
        if (std::chrono::steady_clock::now() - start >= least && samples.size() > 6 &&
            samples.back() - samples[samples.size() - 7] < 0.2e6) {
            return true;
        }
    }
    return false;
}

struct Options {
    int runs = 25;
    int idleSeconds = 10;
    std::string only = "P1,P2,P3,P4";
};

Command Kelvane() {
    return {"kelvane", {KELVANE_PROGRAM}};
}
Command Baseline() {
    return {"baseline", {BENCH_BASELINE}};
}
Command PyudevPeer() {
    return {"peer", {"/usr/bin/python3", BENCH_PYUDEV_PEER}};
}
// With `text` the dialog holds a line of text and a button; without, it is empty.
Command QtDialog(bool text, bool stay) {
    Command command{text ? "qt" : "qt-empty", {BENCH_QT_DIALOG}};
    if (text) {
        command.argv.emplace_back("--text");
    }
    if (stay) {
        command.argv.emplace_back("--stay");
    }
    return command;
}
Command ShellPeer() {
    return {"shell", {"/bin/sh", BENCH_SHELL_PEER}};
}

// The samples of one subject.
struct Samples {
    std::vector<double> latencyNs;
    std::vector<double> peakKiB;    // wait4: the whole run
    std::vector<double> sendingNs;  // umockdev's call that sends the uevent
    int failures = 0;
};

// The row of one subject's latencies; the note starts with the number of runs.
void PrintLatencies(const char* bench, const char* subject, const Samples& samples, int runs,
                    std::string ratio, std::string target, std::string met,
                    const std::string& note) {
    std::string counted = std::to_string(runs) + " runs";
    if (samples.failures > 0) {
        counted += " (" + std::to_string(samples.failures) + " more failed)";
    }
    Print(Row{bench, subject, Duration(Median(samples.latencyNs)),
              Duration(Percentile(samples.latencyNs, 0.9)), std::move(ratio), std::move(target),
              std::move(met), counted + (note.empty() ? "" : "; " + note)});
}

class ProcessBench {
public:
    explicit ProcessBench(const Options& options) : m_options(options) {}

    int Run() {
        if (!umockdev_in_mock_environment()) {
            std::fprintf(stderr, "kelvane_process_bench: run this under umockdev-wrapper\n");
            return 2;
        }
        // One Lumo A printer, there all the time; its interface reads as a printer's only while
        // the printer counts as plugged in.
        MockUsbDevice printer;
        m_device = m_usb.Add(printer);
        if (m_device.empty()) {
            return 1;
        }
        m_interface = m_device + "/" + printer.port + ":1.0";
        Unplug();
        const auto wanted = [this](const char* part) {
            return m_options.only.find(part) != std::string::npos;
        };
        if (wanted("P1")) {
            DetectionLatency();
        }
        if (wanted("P3") || wanted("P4")) {
            Idle();
        }
        if (wanted("P2") || wanted("P4")) {
            StartToLaunch();
        }
        if (wanted("P4")) {
            PeakMemory();
        }
        return 0;
    }

private:
    void Unplug() { m_usb.SetAttribute(m_interface, "bInterfaceClass", "ff"); }
    void PlugIn() { m_usb.SetAttribute(m_interface, "bInterfaceClass", "07"); }
    fs::path Log(const Command& command) const {
        return m_scratch.Root() / (command.name + ".log");
    }

    // One run of P1: the subject starts and settles into waiting; the printer's interface
    // becomes a printer's and its "add" uevent goes out; the firmware program's stamp ends it.
    std::optional<double> DetectOnce(const Command& command, Samples& samples) {
        m_scratch.Drain();
        Unplug();
        Child child(command, m_scratch.Root(), Log(command));
        if (!WaitUntilQuiet(child.Pid())) {
            std::fprintf(stderr, "  %s did not settle\n", command.name.c_str());
            return std::nullopt;
        }
        PlugIn();
        const double sent = MonotonicNs();
        m_usb.Uevent(m_interface, "add");
        samples.sendingNs.push_back(MonotonicNs() - sent);
        const auto latency = StampAndEnd(command, child, sent, samples);
        Unplug();
        return latency;
    }

    // One run of P2: from just before the exec to the subject's stamp.
    std::optional<double> StartOnce(const Command& command, Samples& samples) {
        m_scratch.Drain();
        const double exec = MonotonicNs();
        Child child(command, m_scratch.Root(), Log(command));
        return StampAndEnd(command, child, exec, samples);
    }

    // Waits for the stamp and then for the subject's end: the time from `since` to the stamp,
    // with the subject's peak resident size added to `samples`.
    std::optional<double> StampAndEnd(const Command& command, Child& child, double since,
                                      Samples& samples) {
        const auto started = m_scratch.NextStamp(10s);
        long peak = 0;
        const bool ended = child.WaitForEnd(10s, &peak);
        if (!started || !ended) {
            std::fprintf(stderr, "  %s: %s\n", command.name.c_str(),
                         !started ? "no stamp" : "did not end");
            return std::nullopt;
        }
        samples.peakKiB.push_back(static_cast<double>(peak));
        return *started - since;
    }

    // Runs every subject `runs` times, interleaved and in turning order, after one warm-up run
    // each that is not counted.
    std::vector<Samples> Interleaved(
        const std::vector<Command>& subjects,
        const std::function<std::optional<double>(const Command&, Samples&)>& once) {
        std::vector<Samples> samples(subjects.size());
        for (int run = -1; run < m_options.runs; ++run) {
            for (std::size_t turn = 0; turn < subjects.size(); ++turn) {
                const std::size_t index =
                    (turn + static_cast<std::size_t>(run + 1)) % subjects.size();
                Samples scratch;
                Samples& into = run < 0 ? scratch : samples[index];
                if (const auto latency = once(subjects[index], into)) {
                    into.latencyNs.push_back(*latency);
                } else {
                    ++into.failures;
                }
            }
            std::fprintf(stderr, "\r  run %d of %d", run + 1, m_options.runs);
        }
        std::fprintf(stderr, "\n");
        return samples;
    }

    // Prints the row of subject `index` of a group.
    auto RowsOf(const char* bench, const std::vector<Samples>& samples) const {
        return [bench, &samples, runs = m_options.runs](std::size_t index, const char* subject,
                                                        std::string ratio, std::string target,
                                                        std::string met, const std::string& note) {
            PrintLatencies(bench, subject, samples[index], runs, std::move(ratio),
                           std::move(target), std::move(met), note);
        };
    }

    void DetectionLatency() {
        std::fprintf(stderr, "P1 detection latency: kelvane, libudev baseline, pyudev peer\n");
        const std::vector<Command> subjects{Baseline(), Kelvane(), PyudevPeer()};
        const auto samples = Interleaved(
            subjects, [this](const Command& c, Samples& s) { return DetectOnce(c, s); });
        const double baseline = Median(samples[0].latencyNs);
        const double kelvane = Median(samples[1].latencyNs);
        const double peer = Median(samples[2].latencyNs);
        const auto row = RowsOf("P1 detection", samples);
        std::vector<double> sending;
        for (const Samples& subject : samples) {
            sending.insert(sending.end(), subject.sendingNs.begin(), subject.sendingNs.end());
        }
        row(0, "baseline: libudev monitor + posix_spawn (C++)", Ratio(1), "", "-",
            "add uevent -> firmware start; umockdev's sending, " + Duration(Median(sending)) +
                ", counts in every figure");
        row(1, "kelvane", Ratio(kelvane / baseline), "<= 1.50x baseline",
            Met(kelvane <= 1.5 * baseline), "");
        row(2, "peer: pyudev script (python3)", Ratio(peer / baseline), "kelvane <= 0.50x peer",
            Met(kelvane <= 0.5 * peer), "kelvane at " + Ratio(kelvane / peer) + " of it");
        m_detectionPeakKiB = samples[1].peakKiB;
    }

    void StartToLaunch() {
        std::fprintf(stderr, "P2 start to launch: kelvane, Qt dialog starts, udevadm shell peer\n");
        PlugIn();
        const std::vector<Command> subjects{QtDialog(true, false), Kelvane(), ShellPeer(),
                                            QtDialog(false, false)};
        const auto samples =
            Interleaved(subjects, [this](const Command& c, Samples& s) { return StartOnce(c, s); });
        Unplug();
        const double qt = Median(samples[0].latencyNs);
        const double kelvane = Median(samples[1].latencyNs);
        const double empty = Median(samples[3].latencyNs);
        const auto row = RowsOf("P2 start-to-launch", samples);
        row(0, "reference: QDialog with a label and a button, exec -> first paint", Ratio(1), "",
            "-", "all on Qt's offscreen platform");
        row(1, "kelvane, exec -> firmware start", Ratio(kelvane / qt), "<= 1.30x Qt start",
            Met(kelvane <= 1.3 * qt), Ratio(kelvane / empty) + " the empty QDialog");
        row(3, "empty QDialog, exec -> first paint", Ratio(empty / qt), "", "-",
            "paints no text, so Qt loads no font");
        row(2, "peer: sh + udevadm + grep + exec", Ratio(Median(samples[2].latencyNs) / qt), "",
            "-", "");
        m_startPeakKiB = samples[1].peakKiB;
        m_qtPeakKiB = samples[0].peakKiB;
        m_emptyQtPeakKiB = samples[3].peakKiB;
    }

    // P3: the subjects wait side by side; their counters are read when they have settled and
    // again `idleSeconds` later, while perf counts kelvane's and the Qt dialog's switches.
    void Idle() {
        std::fprintf(stderr, "P3 idle: %d s of waiting\n", m_options.idleSeconds);
        Unplug();
        m_scratch.Drain();
        const std::vector<Command> subjects{Kelvane(), QtDialog(true, true), Baseline()};
        std::vector<std::unique_ptr<Child>> children;
        for (const Command& command : subjects) {
            children.push_back(std::make_unique<Child>(command, m_scratch.Root(), Log(command)));
        }
        for (std::size_t index = 0; index < children.size(); ++index) {
            if (!WaitUntilQuiet(children[index]->Pid(), 500ms)) {
                std::fprintf(stderr, "  %s did not settle\n", subjects[index].name.c_str());
            }
        }
        std::this_thread::sleep_for(1s);
        std::vector<std::unique_ptr<Child>> perfs;
        const bool perf = ::access("/usr/bin/perf", X_OK) == 0;
        for (std::size_t index = 0; perf && index < 2; ++index) {
            const Command stat{"perf-" + subjects[index].name,
                               {"/usr/bin/perf", "stat", "-x", ",", "-e",
                                "task-clock,context-switches,cpu-migrations", "-p",
                                std::to_string(children[index]->Pid()), "--", "sleep",
                                std::to_string(m_options.idleSeconds)},
                               true};
            std::error_code ignored;
            fs::remove(Log(stat), ignored);
            perfs.push_back(std::make_unique<Child>(stat, m_scratch.Root(), Log(stat)));
        }
        std::vector<std::map<pid_t, ThreadCounters>> before;
        for (const auto& child : children) {
            before.push_back(ReadThreads(child->Pid()));
        }
        std::this_thread::sleep_for(std::chrono::seconds(m_options.idleSeconds));
        for (std::size_t index = 0; index < children.size(); ++index) {
            const auto after = ReadThreads(children[index]->Pid());
            m_idleHwmKiB[subjects[index].name] =
                static_cast<double>(StatusKiB(children[index]->Pid(), "VmHWM:"));
            IdleRows(subjects[index].name, before[index], after);
        }
        for (std::size_t index = 0; index < perfs.size(); ++index) {
            perfs[index]->WaitForEnd(5s);
            PerfRow(subjects[index].name,
                    ReadText(Log(Command{"perf-" + subjects[index].name, {}})));
        }
    }

    void IdleRows(const std::string& name, const std::map<pid_t, ThreadCounters>& before,
                  const std::map<pid_t, ThreadCounters>& after) {
        ThreadCounters total;
        std::string perThread;
        for (const auto& [tid, now] : after) {
            const auto then = before.find(tid);
            ThreadCounters delta = now;
            if (then != before.end()) {
                delta.runs -= then->second.runs;
                delta.voluntary -= then->second.voluntary;
                delta.involuntary -= then->second.involuntary;
                delta.ticks -= then->second.ticks;
                delta.runNs -= then->second.runNs;
            }
            total.runs += delta.runs;
            total.voluntary += delta.voluntary;
            total.involuntary += delta.involuntary;
            total.ticks += delta.ticks;
            total.runNs += delta.runNs;
            if (delta.runs > 0) {
                perThread += (perThread.empty() ? "" : ", ") + std::string("thread '") + now.name +
                             "' " + std::to_string(delta.runs);
            }
        }
        const bool kelvane = name == "kelvane";
        const std::string subject = kelvane        ? "kelvane"
                                    : name == "qt" ? "reference: Qt dialog"
                                                   : "baseline: libudev + posix_spawn";
        const std::string seconds = std::to_string(m_options.idleSeconds) + " s";
        Print(Row{"P3 idle " + seconds, subject + ": wake-ups (schedstat runs, all threads)",
                  std::to_string(total.runs), "", "", kelvane ? "0" : "",
                  kelvane ? Met(total.runs == 0) : "-",
                  std::to_string(after.size()) + " threads; " + std::to_string(total.voluntary) +
                      " voluntary + " + std::to_string(total.involuntary) +
                      " involuntary switches; " + std::to_string(total.ticks) +
                      " CPU ticks (utime+stime); " + Duration(total.runNs) + " on CPU" +
                      (perThread.empty() ? std::string() : "; " + perThread)});
    }

    void PerfRow(const std::string& name, const std::string& output) {
        // perf stat -x , lines: value,unit,event,...
        std::map<std::string, std::string> values;
        std::istringstream lines(output);
        for (std::string line; std::getline(lines, line);) {
            std::vector<std::string> fields;
            std::istringstream parts(line);
            for (std::string field; std::getline(parts, field, ',');) {
                fields.push_back(field);
            }
            if (fields.size() >= 3) {
                values[fields[2]] = fields[0];
            }
        }
        if (values.empty()) {
            return;
        }
        const bool kelvane = name == "kelvane";
        // perf says "<not counted>" of an event whose task never ran while it counted.
        for (auto& [event, value] : values) {
            if (value == "<not counted>") {
                value = "0";
            }
        }
        const std::string switches = values["context-switches"];
        Print(Row{"P3 idle " + std::to_string(m_options.idleSeconds) + " s",
                  std::string(kelvane ? "kelvane" : "reference: Qt dialog") +
                      ": perf stat context-switches",
                  switches, "", "", kelvane ? "0" : "", kelvane ? Met(switches == "0") : "-",
                  "task-clock " + values["task-clock"] + " ms; cpu-migrations " +
                      values["cpu-migrations"]});
    }

    void PeakMemory() {
        const auto mib = [](double kib) { return Fixed(kib / 1024, 1) + " MiB"; };
        const auto delta = [&mib](double kib) { return (kib >= 0 ? "+" : "") + mib(kib); };
        const double qt = Median(m_qtPeakKiB);
        Print(Row{"P4 peak RSS", "reference: Qt dialog with text, start -> shown -> quit", mib(qt),
                  mib(Percentile(m_qtPeakKiB, 0.9)), "", "", "-",
                  "wait4 ru_maxrss over the P2 runs"});
        const auto versus = [&](const char* subject, const std::vector<double>& kib,
                                const char* note) {
            if (kib.empty()) {
                return;
            }
            const double median = Median(kib);
            Print(Row{"P4 peak RSS", subject, mib(median), mib(Percentile(kib, 0.9)),
                      delta(median - qt), "<= +2.0 MiB", Met(median - qt <= 2048), note});
        };
        versus("kelvane, printer attached at start -> launch", m_startPeakKiB,
               "wait4 ru_maxrss over the P2 runs");
        versus("kelvane, waits -> printer plugged in -> launch", m_detectionPeakKiB,
               "wait4 ru_maxrss over the P1 runs");
        if (!m_emptyQtPeakKiB.empty()) {
            Print(Row{"P4 peak RSS", "empty QDialog, start -> shown -> quit",
                      mib(Median(m_emptyQtPeakKiB)), mib(Percentile(m_emptyQtPeakKiB, 0.9)),
                      delta(Median(m_emptyQtPeakKiB) - qt), "", "-",
                      "wait4 ru_maxrss over the P2 runs; loads no font"});
        }
        if (m_idleHwmKiB.contains("qt") && m_idleHwmKiB.contains("kelvane")) {
            const double idleQt = m_idleHwmKiB["qt"];
            const double idleKelvane = m_idleHwmKiB["kelvane"];
            Print(Row{"P4 peak RSS", "reference: Qt dialog with text shown, idle", mib(idleQt), "",
                      "", "", "-", "VmHWM after the P3 wait"});
            Print(Row{"P4 peak RSS", "kelvane dialog shown, idle", mib(idleKelvane), "",
                      delta(idleKelvane - idleQt), "<= +2.0 MiB", Met(idleKelvane - idleQt <= 2048),
                      "VmHWM after the P3 wait"});
        }
    }

    Options m_options;
    UsbTestbed m_usb;
    Scratch m_scratch;
    std::string m_device;
    std::string m_interface;
    std::vector<double> m_detectionPeakKiB;
    std::vector<double> m_startPeakKiB;
    std::vector<double> m_qtPeakKiB;
    std::vector<double> m_emptyQtPeakKiB;
    std::map<std::string, double> m_idleHwmKiB;
};

}  // namespace
}  // namespace kelvane::bench

int main(int argc, char** argv) {
    kelvane::bench::Options options;
    for (int index = 1; index + 1 < argc; index += 2) {
        const std::string name = argv[index];
        if (name == "--runs") {
            options.runs = std::max(1, std::atoi(argv[index + 1]));
        } else if (name == "--idle-seconds") {
            options.idleSeconds = std::max(1, std::atoi(argv[index + 1]));
        } else if (name == "--only") {
            options.only = argv[index + 1];
        }
    }
    // A subject that ends while the driver writes to its pipe must not end the driver.
    ::signal(SIGPIPE, SIG_IGN);
    return kelvane::bench::ProcessBench(options).Run();
}

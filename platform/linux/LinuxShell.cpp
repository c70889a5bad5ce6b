#include "platform/linux/LinuxShell.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "common/Utf8.h"
#include "common/WideText.h"

#ifndef CLOSE_RANGE_CLOEXEC
#define CLOSE_RANGE_CLOEXEC (1U << 2)
#endif

namespace kelvane {
namespace {

// Only async-signal-safe calls from here on: the launcher may have threads (Qt does).
[[noreturn]] void ExecDetached(const char* program, char* const argv[], bool searchPath,
                               const char* directory, int errorPipe) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigaction(SIGPIPE, &standard, nullptr);
    sigaction(SIGCHLD, &standard, nullptr);
    // Whatever a library opened without close-on-exec stays with the launcher.
    if (::syscall(SYS_close_range, 3U, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
        const long last = ::sysconf(_SC_OPEN_MAX);
        for (int fd = 3; fd < (last > 0 && last < 65536 ? last : 65536); ++fd) {
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
    }
    int error = 0;
    if (directory != nullptr && ::chdir(directory) != 0) {
        error = errno;
    } else {
        if (searchPath) {
            ::execvp(program, argv);
        } else {
            ::execv(program, argv);
        }
        error = errno;
    }
    while (::write(errorPipe, &error, sizeof(error)) < 0 && errno == EINTR) {
    }
    ::_exit(127);
}

std::intptr_t ShellErrorFromErrno(int error, bool viaDesktop) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return viaDesktop ? kSeErrNoAssociation : kSeErrFileNotFound;
        case EACCES:
        case EPERM:
            return kSeErrAccessDenied;
        case ENOMEM:
        case EAGAIN:
            return kSeErrOutOfMemory;
        default:
            return kSeErrNoAssociation;
    }
}

// Starts the program in a grandchild, so that it belongs to no process of ours and is never
// waited for; only the short-lived child in between is reaped. Reports whether exec succeeded.
std::intptr_t SpawnDetached(const std::string& program, std::vector<std::string> arguments,
                            bool searchPath, const std::string* directory) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return kSeErrOutOfMemory;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            ExecDetached(program.c_str(), argv.data(), searchPath,
                         directory != nullptr ? directory->c_str() : nullptr, pipeEnds[1]);
        }
        if (grandchild < 0) {
            const int error = errno;
            while (::write(pipeEnds[1], &error, sizeof(error)) < 0 && errno == EINTR) {
            }
        }
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    if (child < 0) {
        ::close(pipeEnds[0]);
        return kSeErrOutOfMemory;
    }
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got = 0;
    do {
        got = ::read(pipeEnds[0], &error, sizeof(error));
    } while (got < 0 && errno == EINTR);
    ::close(pipeEnds[0]);
    return got == static_cast<ssize_t>(sizeof(error)) ? ShellErrorFromErrno(error, searchPath)
                                                      : kShellExecuteSucceeded;
}

}  // namespace

std::intptr_t LinuxShell::ShellExecuteW(WindowHandle /*owner*/, const char16_t* verb,
                                        const char16_t* file, const char16_t* parameters,
                                        const char16_t* directory, std::int32_t /*showCommand*/) {
    if (verb != nullptr && *verb != u'\0' && !EqualsIgnoreAsciiCase(verb, u"open")) {
        return kSeErrNoAssociation;
    }
    // Parameters would have to be split into arguments, which is a shell's business.
    if (parameters != nullptr && *parameters != u'\0') {
        return kSeErrNoAssociation;
    }
    if (file == nullptr || *file == u'\0') {
        return kSeErrFileNotFound;
    }
    const std::string path = Utf16ToUtf8(file);
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return kSeErrFileNotFound;
    }
    std::string workingDirectory;
    if (directory != nullptr && *directory != u'\0') {
        workingDirectory = Utf16ToUtf8(directory);
    }
    const std::string* chdirTo = workingDirectory.empty() ? nullptr : &workingDirectory;
    if (S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0) {
        return SpawnDetached(path, {path}, false, chdirTo);
    }
    return SpawnDetached("xdg-open", {"xdg-open", path}, true, chdirTo);
}

}  // namespace kelvane

#include "platform/linux/LinuxShell.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "common/Utf8.h"
#include "common/WideText.h"

extern char** environ;

namespace kelvane {
namespace {

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

// Starts the program in a session of its own and does not wait for it: it outlives the launcher,
// which ends soon after. posix_spawn borrows the launcher's memory until the exec instead of
// copying its page tables, as fork would (a Qt program's are large), and reports whether the exec
// succeeded. The program gets the default signal mask, SIGPIPE and SIGCHLD as they are by
// default, and no descriptor beyond the standard three, whatever a library opened without
// close-on-exec.
std::intptr_t SpawnDetached(const std::string& program, std::vector<std::string> arguments,
                            bool searchPath, const std::string* directory) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;
    if (posix_spawnattr_init(&attributes) != 0) {
        return kSeErrOutOfMemory;
    }
    if (posix_spawn_file_actions_init(&actions) != 0) {
        posix_spawnattr_destroy(&attributes);
        return kSeErrOutOfMemory;
    }
    sigset_t none;
    sigemptyset(&none);
    sigset_t standard;
    sigemptyset(&standard);
    sigaddset(&standard, SIGPIPE);
    sigaddset(&standard, SIGCHLD);
    int error = posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    if (error == 0) {
        error = posix_spawnattr_setsigmask(&attributes, &none);
    }
    if (error == 0) {
        error = posix_spawnattr_setsigdefault(&attributes, &standard);
    }
    if (error == 0) {
        error = posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    }
    if (error == 0 && directory != nullptr) {
        error = posix_spawn_file_actions_addchdir_np(&actions, directory->c_str());
    }
    if (error == 0) {
        pid_t child = 0;
        error =
            searchPath
                ? posix_spawnp(&child, program.c_str(), &actions, &attributes, argv.data(), environ)
                : posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
    }
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return error == 0 ? kShellExecuteSucceeded : ShellErrorFromErrno(error, searchPath);
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

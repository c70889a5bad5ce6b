#include "platform/linux/LinuxKernelObjects.h"

#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "common/Utf8.h"
#include "platform/ErrorCodes.h"
#include "platform/linux/Win32Errors.h"

namespace kelvane {
namespace {

constexpr std::uint32_t kErrorNotOwner = 288;

int OpenRetryingInterrupts(const char* path, int flags) {
    int fd = -1;
    do {
        fd = ::open(path, flags);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// A security descriptor whose DACL is present but null grants everyone full access.
bool GrantsEveryone(const SECURITY_ATTRIBUTES* attributes) {
    const SECURITY_DESCRIPTOR* descriptor =
        attributes != nullptr ? attributes->lpSecurityDescriptor : nullptr;
    return descriptor != nullptr && (descriptor->Control & kSeDaclPresent) != 0 &&
           descriptor->Dacl == nullptr;
}

// Every holder of a named mutex holds a shared lock on its object, so the last one to let go
// can tell that it is the last and remove the name, as Windows forgets a mutex with its last
// handle. Returns false when the object lost its name before we held it: the name is free again.
bool HoldName(int fd) {
    while (::flock(fd, LOCK_SH) != 0) {
        if (errno != EINTR) {
            return true;  // no locks here: the name simply stays
        }
    }
    struct stat info {};
    return ::fstat(fd, &info) != 0 || info.st_nlink > 0;
}

// Removes the name when no other handle, in any process, holds the object. While we hold the
// exclusive lock nobody else can take the name away, and a newcomer that opened the object
// meanwhile sees it unlinked once it holds its lock, and creates a new one.
void ReleaseName(int fd, const std::string& objectName) {
    struct stat info {};
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &info) == 0 && info.st_nlink > 0) {
        ::shm_unlink(objectName.c_str());
    }
}

}  // namespace

LinuxKernelObjects::LinuxKernelObjects() : LinuxKernelObjects(OpenRetryingInterrupts) {}

LinuxKernelObjects::LinuxKernelObjects(OpenFunction open) : m_open(std::move(open)) {}

LinuxKernelObjects::~LinuxKernelObjects() {
    for (const auto& [handle, entry] : m_handles) {
        if (!entry.sharedName.empty()) {
            ReleaseName(entry.fd, entry.sharedName);
        }
        ::close(entry.fd);
    }
}

Handle LinuxKernelObjects::Adopt(int fd, Kind kind, std::u16string path) {
    const std::uintptr_t value = m_nextHandle;
    m_nextHandle += 4;
    m_handles.emplace(value, Entry{fd, kind, std::move(path), {}});
    m_lastError = kErrorSuccess;
    return Handle{value};
}

bool LinuxKernelObjects::Fail(std::uint32_t code) {
    m_lastError = code;
    return false;
}

bool LinuxKernelObjects::FailWithErrno() {
    return Fail(Win32ErrorFromErrno(errno));
}

int LinuxKernelObjects::DescriptorOf(Handle handle) const {
    const auto it = m_handles.find(handle.value);
    return it != m_handles.end() ? it->second.fd : -1;
}

std::u16string LinuxKernelObjects::PathOf(Handle handle) const {
    const auto it = m_handles.find(handle.value);
    return it != m_handles.end() ? it->second.path : std::u16string();
}

Handle LinuxKernelObjects::CreateFileW(const char16_t* fileName, std::uint32_t desiredAccess,
                                       std::uint32_t /*shareMode*/,
                                       std::uint32_t creationDisposition,
                                       std::uint32_t flagsAndAttributes) {
    // Only existing devices are ever opened; nothing here creates a file.
    if (fileName == nullptr || creationDisposition != kOpenExisting) {
        Fail(kErrorInvalidParameter);
        return Handle::Invalid();
    }
    const std::string path = Utf16ToUtf8(fileName);
    if (path.empty()) {
        Fail(kErrorFileNotFound);
        return Handle::Invalid();
    }
    const bool read = (desiredAccess & kGenericRead) != 0;
    const bool write = (desiredAccess & kGenericWrite) != 0;
    int flags = read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    // The launcher starts another program later: none of its descriptors may leak into it.
    flags |= O_CLOEXEC | O_NOCTTY;
    if ((flagsAndAttributes & kFileFlagOverlapped) != 0) {
        flags |= O_NONBLOCK;
    }
    // The sharing modes have no Linux counterpart; usblp itself admits one open at a time.
    const int fd = m_open(path.c_str(), flags);
    if (fd < 0) {
        FailWithErrno();
        return Handle::Invalid();
    }
    return Adopt(fd, Kind::File, fileName);
}

Handle LinuxKernelObjects::CreateEventW(bool /*manualReset*/, bool initialState) {
    const int fd = ::eventfd(initialState ? 1 : 0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd < 0) {
        FailWithErrno();
        return Handle::Null();
    }
    return Adopt(fd, Kind::Event);
}

bool LinuxKernelObjects::GetHandleInformation(Handle handle, std::uint32_t* flags) {
    const auto it = m_handles.find(handle.value);
    if (it == m_handles.end()) {
        return Fail(kErrorInvalidHandle);
    }
    const int descriptorFlags = ::fcntl(it->second.fd, F_GETFD);
    if (descriptorFlags < 0) {
        return FailWithErrno();
    }
    if (flags != nullptr) {
        *flags = (descriptorFlags & FD_CLOEXEC) != 0 ? 0 : kHandleFlagInherit;
    }
    return true;
}

bool LinuxKernelObjects::CloseHandle(Handle handle) {
    const auto it = m_handles.find(handle.value);
    if (it == m_handles.end()) {
        return Fail(kErrorInvalidHandle);
    }
    const int fd = it->second.fd;
    if (!it->second.sharedName.empty()) {
        ReleaseName(fd, it->second.sharedName);
    }
    m_handles.erase(it);
    // The descriptor is gone even when close reports an error, so it is never closed twice.
    if (::close(fd) != 0 && errno != EINTR) {
        return FailWithErrno();
    }
    return true;
}

bool LinuxKernelObjects::InitializeSecurityDescriptor(SECURITY_DESCRIPTOR& descriptor,
                                                      std::uint32_t revision) {
    if (revision != kSecurityDescriptorRevision) {
        return Fail(kErrorInvalidParameter);
    }
    std::memset(static_cast<void*>(&descriptor), 0, sizeof(descriptor));
    descriptor.Revision = static_cast<std::uint8_t>(revision);
    return true;
}

bool LinuxKernelObjects::SetSecurityDescriptorDacl(SECURITY_DESCRIPTOR& descriptor,
                                                   bool daclPresent, ACL* dacl,
                                                   bool daclDefaulted) {
    descriptor.Control = static_cast<std::uint16_t>(
        (descriptor.Control & ~(kSeDaclPresent | kSeDaclDefaulted)) |
        (daclPresent ? kSeDaclPresent : 0) | (daclDefaulted ? kSeDaclDefaulted : 0));
    descriptor.Dacl = daclPresent ? dacl : nullptr;
    return true;
}

std::string LinuxKernelObjects::SharedObjectName(const char* mutexName) {
    std::string name = "/";
    for (const char* c = mutexName; *c != '\0'; ++c) {
        if (*c == '/') {
            name += "%2F";
        } else if (*c == '%') {
            name += "%25";
        } else {
            name += *c;
        }
    }
    return name;
}

Handle LinuxKernelObjects::CreateMutexA(const SECURITY_ATTRIBUTES* attributes,
                                        bool /*initialOwner*/, const char* name) {
    // Ownership is not modelled: the program never waits on the mutex nor owns it.
    const bool inheritable = attributes != nullptr && attributes->bInheritHandle != 0;
    int fd = -1;
    bool existed = false;
    if (name == nullptr || *name == '\0') {
        // An unnamed mutex is private to the process: any descriptor of its own will do.
        fd = ::eventfd(0, EFD_CLOEXEC);
    } else {
        const std::string objectName = SharedObjectName(name);
        const mode_t mode = GrantsEveryone(attributes) ? 0666 : 0600;
        // The last holder may remove the object while we open it; try again then.
        for (int attempt = 0; attempt < 3 && fd < 0; ++attempt) {
            fd = ::shm_open(objectName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            existed = false;
            if (fd >= 0) {
                // The creator's umask must not narrow who may open it.
                ::fchmod(fd, mode);
            } else if (errno == EEXIST) {
                fd = ::shm_open(objectName.c_str(), O_RDWR | O_CLOEXEC, 0);
                if (fd < 0 && errno == EACCES) {
                    // Another user's object without write access for us: opening it to read
                    // still holds the name, which is all the mutex is for.
                    fd = ::shm_open(objectName.c_str(), O_RDONLY | O_CLOEXEC, 0);
                }
                existed = fd >= 0;
                if (fd < 0 && errno != ENOENT) {
                    break;
                }
            } else {
                break;
            }
            if (fd >= 0 && !HoldName(fd)) {
                ::close(fd);
                fd = -1;
            }
        }
    }
    if (fd < 0) {
        FailWithErrno();
        return Handle::Null();
    }
    if (inheritable) {
        ::fcntl(fd, F_SETFD, ::fcntl(fd, F_GETFD) & ~FD_CLOEXEC);
    }
    const Handle handle = Adopt(fd, Kind::Mutex);
    if (name != nullptr && *name != '\0') {
        m_handles[handle.value].sharedName = SharedObjectName(name);
    }
    m_lastError = existed ? kErrorAlreadyExists : kErrorSuccess;
    return handle;
}

bool LinuxKernelObjects::ReleaseMutex(Handle mutex) {
    const auto it = m_handles.find(mutex.value);
    if (it == m_handles.end() || it->second.kind != Kind::Mutex) {
        return Fail(kErrorInvalidHandle);
    }
    return Fail(kErrorNotOwner);
}

int LinuxKernelObjects::WideCharToMultiByte(std::uint32_t /*codePage*/, std::uint32_t /*flags*/,
                                            const char16_t* wide, int wideLength, char* narrow,
                                            int narrowSize) {
    // UTF-8 is the narrow code page here, whatever the caller names.
    if (wide == nullptr || wideLength < -1 || narrowSize < 0) {
        Fail(kErrorInvalidParameter);
        return 0;
    }
    const std::u16string_view source =
        wideLength == -1 ? std::u16string_view(wide, std::char_traits<char16_t>::length(wide) + 1)
                         : std::u16string_view(wide, static_cast<std::size_t>(wideLength));
    const std::string converted = Utf16ToUtf8(source);
    const auto needed = static_cast<int>(converted.size());
    if (narrow == nullptr) {
        return needed;
    }
    if (narrowSize < needed) {
        Fail(kErrorInsufficientBuffer);
        return 0;
    }
    std::memcpy(narrow, converted.data(), converted.size());
    return needed;
}

}  // namespace kelvane

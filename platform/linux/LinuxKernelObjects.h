#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

#include "platform/KernelObjects.h"

namespace kelvane {

// Kernel objects on Linux. A handle names an entry of this provider's own table, which holds
// a file descriptor; handle values are never reused, so a stale handle is never taken for a
// newer one. Every descriptor is close-on-exec except an inheritable mutex's.
//
// The named mutex is a POSIX shared-memory object (/dev/shm) named after the mutex, with '/'
// and '%' written as %2F and %25: one object machine-wide, created without blocking, readable
// and writable by every user when its security descriptor has a null DACL, and inheritable by
// child processes when asked. Opening an existing one succeeds and reports 183, as on Windows.
// As on Windows, the name lives as long as some handle to it, in any process, is open: each
// holder keeps a shared flock on the object, and the last to close removes it. A process that
// dies holding it leaves the object behind, and a later creation then reports 183.
class LinuxKernelObjects final : public KernelObjects {
public:
    // How device paths are opened; ::open unless told otherwise.
    using OpenFunction = std::function<int(const char* path, int flags)>;

    LinuxKernelObjects();
    explicit LinuxKernelObjects(OpenFunction open);
    ~LinuxKernelObjects() override;
    LinuxKernelObjects(const LinuxKernelObjects&) = delete;
    LinuxKernelObjects& operator=(const LinuxKernelObjects&) = delete;

    Handle CreateFileW(const char16_t* fileName, std::uint32_t desiredAccess,
                       std::uint32_t shareMode, std::uint32_t creationDisposition,
                       std::uint32_t flagsAndAttributes) override;
    Handle CreateEventW(bool manualReset, bool initialState) override;
    bool GetHandleInformation(Handle handle, std::uint32_t* flags) override;
    bool CloseHandle(Handle handle) override;
    bool InitializeSecurityDescriptor(SECURITY_DESCRIPTOR& descriptor,
                                      std::uint32_t revision) override;
    bool SetSecurityDescriptorDacl(SECURITY_DESCRIPTOR& descriptor, bool daclPresent, ACL* dacl,
                                   bool daclDefaulted) override;
    Handle CreateMutexA(const SECURITY_ATTRIBUTES* attributes, bool initialOwner,
                        const char* name) override;
    bool ReleaseMutex(Handle mutex) override;
    int WideCharToMultiByte(std::uint32_t codePage, std::uint32_t flags, const char16_t* wide,
                            int wideLength, char* narrow, int narrowSize) override;
    std::uint32_t GetLastError() const override { return m_lastError; }

    // The descriptor behind a handle, -1 for none.
    int DescriptorOf(Handle handle) const;
    // The path a device handle was opened on, empty for any other handle. The device
    // notifications tell by it which open handle a removed device belongs to.
    std::u16string PathOf(Handle handle) const;

    // The shared-memory object name that stands for a mutex name.
    static std::string SharedObjectName(const char* mutexName);

private:
    enum class Kind { File, Event, Mutex };
    struct Entry {
        int fd;
        Kind kind;
        std::u16string path;
        std::string sharedName;  // a named mutex's shared-memory object
    };

    Handle Adopt(int fd, Kind kind, std::u16string path = {});
    bool Fail(std::uint32_t code);
    bool FailWithErrno();

    OpenFunction m_open;
    std::unordered_map<std::uintptr_t, Entry> m_handles;
    std::uintptr_t m_nextHandle = 0x100;
    std::uint32_t m_lastError = 0;
};

}  // namespace kelvane

#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/KernelObjects.h"

namespace kelvane::testing {

// Kernel objects in memory. Every path opens unless scripted otherwise; handles are never
// reused, so a stale handle can never be mistaken for a new one.
class FakeKernelObjects final : public KernelObjects {
public:
    struct FileOpen {
        std::u16string path;
        std::uint32_t access;
        std::uint32_t share;
        std::uint32_t disposition;
        std::uint32_t flags;
        Handle result;
    };
    struct MutexCreation {
        std::string name;
        bool initialOwner;
        bool inheritable;
        bool nullDacl;  // a descriptor with a present but null DACL: open to everyone
        std::uint32_t attributesLength;
        Handle result;
        std::uint32_t lastError;
    };

    // Scripting.
    std::map<std::u16string, std::uint32_t> failingPaths;  // path -> error code
    std::set<int> failingFileOpens;                        // 1-based CreateFileW call numbers
    bool eventsFail = false;
    std::uint32_t mutexFailure = 0;         // a code makes CreateMutexA fail with it
    std::set<std::string> existingMutexes;  // names other processes already created
    bool conversionFails = false;

    // What happened.
    std::vector<FileOpen> fileOpens;
    std::vector<std::pair<bool, bool>> eventCreations;  // manual reset, initially signalled
    std::vector<Handle> closedHandles;
    int handleInformationCalls = 0;
    std::vector<MutexCreation> mutexCreations;
    int releaseMutexCalls = 0;

    // Every platform call made, in order, by operation name.
    std::vector<std::string> calls;

    // Makes a handle look closed behind the program's back: it no longer reports as valid.
    void Invalidate(Handle handle) { m_open.erase(handle.value); }
    bool IsOpen(Handle handle) const { return m_open.contains(handle.value); }
    int OpenHandleCount() const { return static_cast<int>(m_open.size()); }
    // Whether `handle` came from CreateEventW / CreateMutexA.
    bool IsEvent(Handle handle) const;
    bool IsMutex(Handle handle) const;

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

private:
    enum class Kind { File, Event, Mutex };
    Handle NewHandle(Kind kind, bool inheritable);

    std::map<std::uintptr_t, std::pair<Kind, bool>> m_open;  // kind, inheritable
    std::uintptr_t m_nextHandle = 0x40;
    std::uint32_t m_lastError = 0;
};

}  // namespace kelvane::testing

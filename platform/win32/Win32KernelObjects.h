#pragma once

#include "platform/KernelObjects.h"

namespace kelvane {

// Files, events, handles, the named mutex and code-page conversion of kernel32 and advapi32,
// passed straight through. Each operation keeps the thread's last-error code it left behind,
// successful ones included: CreateMutexA reports an existing mutex only that way.
class Win32KernelObjects final : public KernelObjects {
public:
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
    template <typename Result>
    Result Keep(Result result);

    std::uint32_t m_lastError = 0;
};

}  // namespace kelvane

#pragma once

#include <cstdint>

#include "platform/Handles.h"
#include "platform/Records.h"

namespace kelvane {

// Device handles, events, the named device mutex and code-page conversion. Each operation
// behaves as the Windows operation of the same name; a failure leaves its code for GetLastError.
class KernelObjects {
public:
    virtual ~KernelObjects() = default;

    // No security attributes and no template file. INVALID_HANDLE_VALUE on failure.
    virtual Handle CreateFileW(const char16_t* fileName, std::uint32_t desiredAccess,
                               std::uint32_t shareMode, std::uint32_t creationDisposition,
                               std::uint32_t flagsAndAttributes) = 0;

    // An unnamed event with no security attributes. Null on failure.
    virtual Handle CreateEventW(bool manualReset, bool initialState) = 0;

    // Succeeds only for a handle that is still open.
    virtual bool GetHandleInformation(Handle handle, std::uint32_t* flags) = 0;
    virtual bool CloseHandle(Handle handle) = 0;

    virtual bool InitializeSecurityDescriptor(SECURITY_DESCRIPTOR& descriptor,
                                              std::uint32_t revision) = 0;
    virtual bool SetSecurityDescriptorDacl(SECURITY_DESCRIPTOR& descriptor, bool daclPresent,
                                           ACL* dacl, bool daclDefaulted) = 0;

    // Creates the named mutex or opens the existing one; then GetLastError reports 183
    // (already exists) although the call succeeded. Null on failure.
    virtual Handle CreateMutexA(const SECURITY_ATTRIBUTES* attributes, bool initialOwner,
                                const char* name) = 0;
    virtual bool ReleaseMutex(Handle mutex) = 0;

    // With a null `narrow` (and size 0) returns the size the conversion needs; otherwise the
    // bytes written, or 0 on failure. A length of -1 includes the terminator.
    virtual int WideCharToMultiByte(std::uint32_t codePage, std::uint32_t flags,
                                    const char16_t* wide, int wideLength, char* narrow,
                                    int narrowSize) = 0;

    virtual std::uint32_t GetLastError() const = 0;
};

}  // namespace kelvane

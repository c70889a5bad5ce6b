#include "platform/win32/Win32KernelObjects.h"

#include <windows.h>

#include "platform/win32/Win32Interop.h"

namespace kelvane {

template <typename Result>
Result Win32KernelObjects::Keep(Result result) {
    m_lastError = ::GetLastError();
    return result;
}

Handle Win32KernelObjects::CreateFileW(const char16_t* fileName, std::uint32_t desiredAccess,
                                       std::uint32_t shareMode, std::uint32_t creationDisposition,
                                       std::uint32_t flagsAndAttributes) {
    return Keep(win32::FromHandle<Handle>(::CreateFileW(win32::Wide(fileName), desiredAccess,
                                                        shareMode, nullptr, creationDisposition,
                                                        flagsAndAttributes, nullptr)));
}

Handle Win32KernelObjects::CreateEventW(bool manualReset, bool initialState) {
    return Keep(win32::FromHandle<Handle>(
        ::CreateEventW(nullptr, manualReset ? TRUE : FALSE, initialState ? TRUE : FALSE, nullptr)));
}

bool Win32KernelObjects::GetHandleInformation(Handle handle, std::uint32_t* flags) {
    DWORD handleFlags = 0;
    const BOOL ok = ::GetHandleInformation(win32::ToHandle(handle), &handleFlags);
    Keep(ok);
    if (ok != FALSE && flags != nullptr) {
        *flags = handleFlags;
    }
    return ok != FALSE;
}

bool Win32KernelObjects::CloseHandle(Handle handle) {
    return Keep(::CloseHandle(win32::ToHandle(handle)) != FALSE);
}

bool Win32KernelObjects::InitializeSecurityDescriptor(SECURITY_DESCRIPTOR& descriptor,
                                                      std::uint32_t revision) {
    return Keep(::InitializeSecurityDescriptor(&descriptor, revision) != FALSE);
}

bool Win32KernelObjects::SetSecurityDescriptorDacl(SECURITY_DESCRIPTOR& descriptor,
                                                   bool daclPresent, ACL* dacl,
                                                   bool daclDefaulted) {
    return Keep(::SetSecurityDescriptorDacl(&descriptor, daclPresent ? TRUE : FALSE,
                                            reinterpret_cast<PACL>(dacl),
                                            daclDefaulted ? TRUE : FALSE) != FALSE);
}

Handle Win32KernelObjects::CreateMutexA(const SECURITY_ATTRIBUTES* attributes, bool initialOwner,
                                        const char* name) {
    // The attributes are only read; the API takes them through a plain pointer.
    auto* windowsAttributes =
        reinterpret_cast<LPSECURITY_ATTRIBUTES>(const_cast<SECURITY_ATTRIBUTES*>(attributes));
    return Keep(win32::FromHandle<Handle>(
        ::CreateMutexA(windowsAttributes, initialOwner ? TRUE : FALSE, name)));
}

bool Win32KernelObjects::ReleaseMutex(Handle mutex) {
    return Keep(::ReleaseMutex(win32::ToHandle(mutex)) != FALSE);
}

int Win32KernelObjects::WideCharToMultiByte(std::uint32_t codePage, std::uint32_t flags,
                                            const char16_t* wide, int wideLength, char* narrow,
                                            int narrowSize) {
    return Keep(::WideCharToMultiByte(codePage, flags, win32::Wide(wide), wideLength, narrow,
                                      narrowSize, nullptr, nullptr));
}

}  // namespace kelvane

#include "tests/support/FakeKernelObjects.h"

#include <cstring>

#include "common/Utf8.h"
#include "platform/ErrorCodes.h"

namespace kelvane::testing {

Handle FakeKernelObjects::NewHandle(Kind kind, bool inheritable) {
    const std::uintptr_t value = m_nextHandle;
    m_nextHandle += 4;
    m_open.emplace(value, std::make_pair(kind, inheritable));
    return Handle{value};
}

bool FakeKernelObjects::IsEvent(Handle handle) const {
    const auto it = m_open.find(handle.value);
    return it != m_open.end() && it->second.first == Kind::Event;
}

bool FakeKernelObjects::IsMutex(Handle handle) const {
    const auto it = m_open.find(handle.value);
    return it != m_open.end() && it->second.first == Kind::Mutex;
}

Handle FakeKernelObjects::CreateFileW(const char16_t* fileName, std::uint32_t desiredAccess,
                                      std::uint32_t shareMode, std::uint32_t creationDisposition,
                                      std::uint32_t flagsAndAttributes) {
    calls.emplace_back("CreateFileW");
    const std::u16string path = fileName != nullptr ? fileName : u"";
    FileOpen open{
        path, desiredAccess, shareMode, creationDisposition, flagsAndAttributes, Handle::Invalid()};
    const int callNumber = static_cast<int>(fileOpens.size()) + 1;
    if (const auto failing = failingPaths.find(path); failing != failingPaths.end()) {
        m_lastError = failing->second;
    } else if (failingFileOpens.contains(callNumber)) {
        m_lastError = kErrorAccessDenied;
    } else if (path.empty()) {
        m_lastError = kErrorFileNotFound;
    } else {
        open.result = NewHandle(Kind::File, false);
    }
    fileOpens.push_back(open);
    return open.result;
}

Handle FakeKernelObjects::CreateEventW(bool manualReset, bool initialState) {
    calls.emplace_back("CreateEventW");
    eventCreations.emplace_back(manualReset, initialState);
    if (eventsFail) {
        m_lastError = kErrorNotEnoughMemory;
        return Handle::Null();
    }
    return NewHandle(Kind::Event, false);
}

bool FakeKernelObjects::GetHandleInformation(Handle handle, std::uint32_t* flags) {
    calls.emplace_back("GetHandleInformation");
    ++handleInformationCalls;
    const auto it = m_open.find(handle.value);
    if (it == m_open.end()) {
        m_lastError = kErrorInvalidHandle;
        return false;
    }
    if (flags != nullptr) {
        *flags = it->second.second ? kHandleFlagInherit : 0;
    }
    return true;
}

bool FakeKernelObjects::CloseHandle(Handle handle) {
    calls.emplace_back("CloseHandle");
    closedHandles.push_back(handle);
    if (m_open.erase(handle.value) != 1) {
        m_lastError = kErrorInvalidHandle;
        return false;
    }
    return true;
}

bool FakeKernelObjects::InitializeSecurityDescriptor(SECURITY_DESCRIPTOR& descriptor,
                                                     std::uint32_t revision) {
    calls.emplace_back("InitializeSecurityDescriptor");
    std::memset(static_cast<void*>(&descriptor), 0, sizeof(descriptor));
    descriptor.Revision = static_cast<std::uint8_t>(revision);
    return revision == kSecurityDescriptorRevision;
}

bool FakeKernelObjects::SetSecurityDescriptorDacl(SECURITY_DESCRIPTOR& descriptor, bool daclPresent,
                                                  ACL* dacl, bool daclDefaulted) {
    calls.emplace_back("SetSecurityDescriptorDacl");
    descriptor.Control = static_cast<std::uint16_t>(
        (descriptor.Control & ~(kSeDaclPresent | kSeDaclDefaulted)) |
        (daclPresent ? kSeDaclPresent : 0) | (daclDefaulted ? kSeDaclDefaulted : 0));
    descriptor.Dacl = daclPresent ? dacl : nullptr;
    return true;
}

Handle FakeKernelObjects::CreateMutexA(const SECURITY_ATTRIBUTES* attributes, bool initialOwner,
                                       const char* name) {
    calls.emplace_back("CreateMutexA");
    const bool inheritable = attributes != nullptr && attributes->bInheritHandle != 0;
    const SECURITY_DESCRIPTOR* descriptor =
        attributes != nullptr ? attributes->lpSecurityDescriptor : nullptr;
    MutexCreation creation{name != nullptr ? name : "",
                           initialOwner,
                           inheritable,
                           descriptor != nullptr && (descriptor->Control & kSeDaclPresent) != 0 &&
                               descriptor->Dacl == nullptr,
                           attributes != nullptr ? attributes->nLength : 0,
                           Handle::Null(),
                           0};
    if (mutexFailure != 0) {
        m_lastError = mutexFailure;
    } else {
        creation.result = NewHandle(Kind::Mutex, inheritable);
        const bool named = !creation.name.empty();
        m_lastError = named && !existingMutexes.insert(creation.name).second ? kErrorAlreadyExists
                                                                             : kErrorSuccess;
    }
    creation.lastError = m_lastError;
    mutexCreations.push_back(creation);
    return creation.result;
}

bool FakeKernelObjects::ReleaseMutex(Handle mutex) {
    calls.emplace_back("ReleaseMutex");
    ++releaseMutexCalls;
    // The program never owns the mutex, so releasing it always fails as not owned.
    m_lastError = m_open.contains(mutex.value) ? 288 : kErrorInvalidHandle;
    return false;
}

int FakeKernelObjects::WideCharToMultiByte(std::uint32_t, std::uint32_t, const char16_t* wide,
                                           int wideLength, char* narrow, int narrowSize) {
    calls.emplace_back("WideCharToMultiByte");
    if (conversionFails || wide == nullptr) {
        m_lastError = kErrorInvalidParameter;
        return 0;
    }
    std::u16string source = wideLength < 0
                                ? std::u16string(wide) + u'\0'
                                : std::u16string(wide, static_cast<std::size_t>(wideLength));
    const std::string converted = Utf16ToUtf8(source);
    const auto needed = static_cast<int>(converted.size());
    if (narrow == nullptr) {
        return needed;
    }
    if (narrowSize < needed) {
        m_lastError = kErrorInsufficientBuffer;
        return 0;
    }
    std::memcpy(narrow, converted.data(), converted.size());
    return needed;
}

}  // namespace kelvane::testing

// The device's named mutex: tells other processes, of any user, that the printer is taken.
#include <cstring>
#include <string>

#include "common/DebugTrace.h"
#include "common/WideText.h"
#include "platform/ErrorCodes.h"
#include "usb/NarrowText.h"
#include "usb/UsbLink.h"

namespace kelvane {
namespace {

constexpr std::uint32_t kErrorFilenameExceedsRange = 206;
constexpr std::uint32_t kErrorGenFailure = 31;
constexpr std::size_t kMutexNameCapacity = 260;

// "Global\" and the device path without its first four characters (the "\\?\" of a Windows
// device path), backslashes removed and A to Z lowered, so that every spelling of one path
// names one mutex.
std::u16string MutexName(std::u16string_view devicePath) {
    std::u16string name = u"Global\\";
    if (devicePath.size() > 4) {
        for (const char16_t c : devicePath.substr(4)) {
            if (c != u'\\') {
                name.push_back(ToLowerAscii(c));
            }
        }
    }
    return name;
}

}  // namespace

std::uint32_t CUsbLink::EnableMutex(bool enable) {
    KernelObjects& kernel = m_platform.kernelObjects;
    if (!enable) {
        if (!m_hMutexRW.IsNull()) {
            // The mutex is never owned, so releasing it changes nothing; closing is what counts.
            kernel.ReleaseMutex(m_hMutexRW);
            kernel.CloseHandle(m_hMutexRW);
            m_hMutexRW = Handle::Null();
        }
        return kErrorSuccess;
    }
    const std::u16string_view devicePath = BufferText(m_szSymbolicLink, kPathCapacity);
    if (m_hMutexRW.HoldsHandle() || devicePath.empty()) {
        return kErrorSuccess;
    }
    const std::u16string wideName = MutexName(devicePath);
    // A name cut to fit would be another device's mutex, or a name shared by two devices.
    if (wideName.size() >= kMutexNameCapacity ||
        NarrowSize(kernel, wideName.c_str()) > static_cast<int>(kMutexNameCapacity)) {
        return kErrorFilenameExceedsRange;
    }
    char narrowName[kMutexNameCapacity] = {};
    ToNarrow(kernel, narrowName, wideName.c_str());

    // A present but empty-handed (null) DACL: every user may open the mutex.
    SECURITY_DESCRIPTOR descriptor;
    std::memset(static_cast<void*>(&descriptor), 0, sizeof(descriptor));
    kernel.InitializeSecurityDescriptor(descriptor, kSecurityDescriptorRevision);
    kernel.SetSecurityDescriptorDacl(descriptor, true, nullptr, false);
    SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), &descriptor, 1};

    const Handle mutex = kernel.CreateMutexA(&attributes, false, narrowName);
    m_hMutexRW = mutex.IsInvalid() ? Handle::Null() : mutex;
    const std::uint32_t error = kernel.GetLastError();
    DebugTrace(u"CUsbLink::EnableMutex(szMutexName=\"%s\"), m_hMutexRW = %d, error = %d,\n",
               wideName, m_hMutexRW.value, error);
    if (m_hMutexRW.IsNull()) {
        return error != kErrorSuccess ? error : kErrorGenFailure;
    }
    // An existing mutex (183) serves like a new one.
    return kErrorSuccess;
}

}  // namespace kelvane

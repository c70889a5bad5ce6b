#include "usb/UsbLink.h"

#include <algorithm>

#include "common/DebugTrace.h"
#include "common/WideText.h"
#include "lang/WindowsVersion.h"
#include "usb/GuidText.h"
#include "usb/PrinterModels.h"

namespace kelvane {
namespace {

constexpr std::uint32_t kTransferSize = 0x40000;
// Windows 2000 moves smaller blocks.
constexpr std::uint32_t kTransferSizeWin2000 = 4096;

constexpr char16_t kOpenIOChannelFormat[] =
    u"In OpenIOChannel, m_dwModelSN = %d, m_dwInstIndex = %d, m_dwEnumMode = %d, dwDevNum = %d,\n";

}  // namespace

CUsbLink::CUsbLink(const Platform& platform)
    : m_wWinVer(GetWindowsVersionCode(platform.systemQueries)), m_platform(platform) {
    m_dwTransferSize = m_wWinVer == kWinVer2000 ? kTransferSizeWin2000 : kTransferSize;
}

CUsbLink::~CUsbLink() {
    Close();
    FinishLog();
}

std::uint32_t CUsbLink::Open(std::uint32_t model, std::uint32_t instanceIndex,
                             std::uint32_t enumMode, std::uint8_t pipeFlags) {
    if (!IsModelNumber(model)) {
        return kLinkNoDevice;
    }
    m_byPipeFlags = pipeFlags;
    m_dwEnumMode = enumMode;
    m_dwModelSN = model;
    m_dwInstIndex = instanceIndex;
    std::fill(std::begin(m_szVidPid), std::end(m_szVidPid), u'\0');
    CopyIfFits(m_szVidPid, kPathCapacity, FormatVidPidShort(VidPidOfModel(model)));

    Close();
    const std::uint32_t result = OpenIOChannel();
    if (result == kLinkOpened) {
        // The link serves without the mutex too: it only tells other processes the device is taken.
        EnableMutex(true);
    }
    return result;
}

std::uint32_t CUsbLink::OpenIOChannel() {
    const std::uint32_t vidPid = VidPidOfModel(m_dwModelSN);
    GUID interfaceClass{};
    ParseGuidString(interfaceClass, kUsbPrintClassText);
    const std::uint32_t dwDevNum = GetDeviceCount(m_dwModelSN, m_dwEnumMode);
    DebugTrace(kOpenIOChannelFormat, m_dwModelSN, m_dwInstIndex, m_dwEnumMode, dwDevNum);
    WriteLog(2, kOpenIOChannelFormat, m_dwModelSN, m_dwInstIndex, m_dwEnumMode, dwDevNum);
    if (dwDevNum == 0) {
        return kLinkNoDevice;
    }
    // Its result is not needed: a lookup that finds nothing leaves the path and the linked flag
    // of the previous one, and opening that path then tells whether the device is still there.
    GetLinkByInterface(interfaceClass, m_dwInstIndex - 1, m_szSymbolicLink, m_dwLinked,
                       m_dwEnumMode, (m_dwEnumMode & ENUM_BY_VIDPID) != 0 ? vidPid : 0);
    if (m_dwLinked == 0) {
        return kLinkNotActive;
    }
    return CreatePipes();
}

std::uint32_t CUsbLink::CreatePipes() {
    std::uint8_t opened = 0;
    bool lastOpened = false;
    if ((m_byPipeFlags & kPipeRead) != 0) {
        ReleaseHandle(m_hPipeR);
        lastOpened = OpenPipe(m_szSymbolicLink, kPipeRead, m_hPipeR, &m_OverlappedR, m_dwTimeoutR);
        if (lastOpened) {
            opened |= kPipeRead;
        }
    }
    if ((m_byPipeFlags & kPipeWrite) != 0) {
        ReleaseHandle(m_hPipeW);
        if (m_wWinVer >= kWinVer2000) {
            // Windows 2000 and later share one handle for reading and writing.
            m_hPipeW = m_hPipeR;
            m_OverlappedW.hEvent = m_OverlappedR.hEvent;
        } else {
            lastOpened =
                OpenPipe(m_szSymbolicLink, kPipeWrite, m_hPipeW, &m_OverlappedW, m_dwTimeoutW);
        }
        if (lastOpened) {
            opened |= kPipeWrite;
        }
    }
    DebugTrace(
        u"CUsbLink::CreatePipes(), m_hPipeW = %d, m_hPipeR = %d, m_OverlappedW.hEvent = %d, "
        u"m_OverlappedR.hEvent = %d,\n",
        m_hPipeW.value, m_hPipeR.value, m_OverlappedW.hEvent.value, m_OverlappedR.hEvent.value);
    if (opened == m_byPipeFlags) {
        m_bOpened = 1;
        return kLinkOpened;
    }
    Close();
    return opened != 0 ? kLinkPartlyOpened : kLinkNotOpened;
}

bool CUsbLink::OpenPipe(const char16_t* path, std::uint32_t /*direction*/, Handle& handle,
                        OVERLAPPED* overlapped, std::uint32_t timeout) {
    handle = Handle::Null();
    char16_t localPath[kPathCapacity] = {};
    // A path that does not fit is not opened cut short: that would be another file.
    if (!CopyIfFits(localPath, kPathCapacity,
                    std::u16string_view(path, BoundedLength(path, kPathCapacity)))) {
        return false;
    }
    KernelObjects& kernel = m_platform.kernelObjects;
    std::uint32_t flags = kFileFlagSequentialScan | kFileAttributeNormal;
    if (timeout != 0) {
        flags |= kFileFlagOverlapped;
    }
    const Handle opened =
        kernel.CreateFileW(localPath, kGenericRead | kGenericWrite,
                           kFileShareRead | kFileShareWrite, kOpenExisting, flags);
    if (opened.IsInvalid()) {
        return false;
    }
    handle = opened;
    if (timeout != 0 && overlapped != nullptr) {
        overlapped->hEvent = kernel.CreateEventW(true, true);
    }
    return true;
}

void CUsbLink::Close() {
    m_bOpened = 0;
    // A shared handle and a shared event are closed once, through the read side.
    if (m_hPipeW == m_hPipeR) {
        m_hPipeW = Handle::Null();
    }
    if (m_OverlappedW.hEvent == m_OverlappedR.hEvent) {
        m_OverlappedW.hEvent = Handle::Null();
    }
    ReleaseHandle(m_hPipeR);
    ReleaseHandle(m_hPipeW);
    ReleaseHandle(m_hMutexRW);
    ReleaseHandle(m_OverlappedR.hEvent);
    ReleaseHandle(m_OverlappedW.hEvent);
    ReleaseHandle(m_OverlappedAux.hEvent);
}

void CUsbLink::ReleaseHandle(Handle& handle) {
    if (!handle.HoldsHandle()) {
        return;
    }
    KernelObjects& kernel = m_platform.kernelObjects;
    std::uint32_t flags = 0;
    if (kernel.GetHandleInformation(handle, &flags)) {
        kernel.CloseHandle(handle);
    }
    handle = Handle::Null();
}

}  // namespace kelvane

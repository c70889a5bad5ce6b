// Waiting for a supported printer: one attempt over the detection list, and the device
// notifications that trigger the next one.
#include <cstring>
#include <string_view>

#include "app/MainDialog.h"
#include "common/DebugTrace.h"
#include "common/WideText.h"
#include "usb/DeviceRegistration.h"
#include "usb/GuidText.h"
#include "usb/PrinterModels.h"

namespace kelvane {
namespace {

constexpr std::uint32_t kDialogPipes = kPipeRead | kPipeWrite;
constexpr std::uint32_t kDialogEnumMode = ENUM_BY_VIDPID | kDigcfPresent;

// The device path in an interface record, read no further than the record's own size says.
std::u16string_view InterfaceName(const std::uint8_t* record, std::uint32_t recordSize) {
    constexpr std::size_t kNameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
    if (recordSize <= kNameOffset) {
        return {};
    }
    const auto* name = reinterpret_cast<const char16_t*>(record + kNameOffset);
    return {name, BoundedLength(name, (recordSize - kNameOffset) / sizeof(char16_t))};
}

}  // namespace

bool CRibbonCalDlg::OpenUsbConnection() {
    m_nModel = 0;
    std::uint32_t opened = 0;
    for (const std::uint32_t* model = g_DetectModels; *model != 0 && m_Usb != nullptr; ++model) {
        if (m_Usb->Open(*model, 1, kDialogEnumMode, kDialogPipes) == kLinkOpened) {
            opened = *model;
            break;
        }
    }
    DeviceNotifications& notifications = m_platform.deviceNotifications;
    if (opened == 0) {
        DropRegistration();
        DoRegisterDeviceInterface(notifications, m_hWnd, kUsbPrintClassText, m_hDevNotify);
        DebugTrace(
            u"CRibbonCalDlg::OpenUsbConnection(), after DoRegisterDeviceInterface(), "
            u"m_hDevNotify = %d,\n",
            m_hDevNotify.value);
        return false;
    }
    m_nModel = opened;
    if (m_Context != nullptr) {
        m_Context->m_bModelBelow19 = IsModelBelow19(opened);
    }
    OnCancel();
    // OnCancel has released the link; a link still held would be watched by its handle.
    if (m_Usb != nullptr) {
        DropRegistration();
        DoRegisterDeviceHandle(notifications, m_hWnd, m_Usb->m_hPipeR, m_hDevNotify);
        DebugTrace(
            u"CRibbonCalDlg::OpenUsbConnection(), after DoRegisterDeviceHandle(), "
            u"m_hDevNotify = %d,\n",
            m_hDevNotify.value);
    }
    return true;
}

std::intptr_t CRibbonCalDlg::OnDeviceChange(std::uint32_t nEventType, std::uintptr_t dwData) {
    const auto* record = reinterpret_cast<const std::uint8_t*>(dwData);
    DEV_BROADCAST_HDR header{};
    if (record != nullptr) {
        std::memcpy(&header, record, sizeof(header));
    }
    DebugTrace(u"OnDeviceChange(), nEventType = 0x%04X, pHdr->dbch_devicetype = %d,\n", nEventType,
               record != nullptr ? static_cast<std::int32_t>(header.dbch_devicetype) : -1);

    const bool actedOn = nEventType == kDbtDeviceArrival || nEventType == kDbtDeviceRemoveComplete;
    const bool interfaceRecord =
        actedOn && record != nullptr && header.dbch_devicetype == kDbtDevtypDeviceInterface;
    const bool handleRecord =
        actedOn && record != nullptr && header.dbch_devicetype == kDbtDevtypHandle;

    if (nEventType == kDbtDeviceArrival) {
        if (interfaceRecord && m_Usb != nullptr && !m_Usb->IsOpened()) {
            OpenUsbConnection();
        }
    } else if (nEventType == kDbtDeviceRemoveComplete) {
        bool close = false;
        if (handleRecord && m_Usb != nullptr) {
            DEV_BROADCAST_HANDLE handle;
            std::memcpy(static_cast<void*>(&handle), record, sizeof(handle));
            DebugTrace(
                u"OnDeviceChange(), nEventType = DBT_DEVICEREMOVECOMPLETE, "
                u"pDevHnd->dbch_handle = %d, m_Usb->m_hPipeR = %d,\n",
                handle.dbch_handle.value, m_Usb->m_hPipeR.value);
            if (handle.dbch_handle == m_Usb->m_hPipeR) {
                DropRegistration();
                close = true;
                DoRegisterDeviceInterface(m_platform.deviceNotifications, m_hWnd,
                                          kUsbPrintClassText, m_hDevNotify);
                DebugTrace(
                    u"OnDeviceChange(), after DoRegisterDeviceInterface(), m_hDevNotify = %d,\n",
                    m_hDevNotify.value);
            }
        }
        if (interfaceRecord) {
            const std::u16string_view name = InterfaceName(record, header.dbch_size);
            DebugTrace(
                u"OnDeviceChange(), nEventType = DBT_DEVICEREMOVECOMPLETE, "
                u"pDevInf->dbcc_name = \"%s\",\n",
                name);
            if (m_Usb != nullptr &&
                EqualsIgnoreAsciiCase(name, BufferText(m_Usb->m_szSymbolicLink, kPathCapacity))) {
                close = true;
            }
        }
        if (close && m_Usb != nullptr) {
            m_Usb->Close();
        }
    }
    return 1;
}

}  // namespace kelvane

#pragma once

#include <cstdint>
#include <memory>

#include "app/Framework.h"
#include "app/PrinterContext.h"
#include "lang/LanguageIni.h"
#include "usb/UsbLink.h"

namespace kelvane {

// The one dialog of the program: asks for a Lumo printer, waits until a supported one is
// attached, then starts its firmware program and ends. Every end passes through OnCancel.
class CRibbonCalDlg : public CDialog {
public:
    CRibbonCalDlg(const Platform& platform, CWnd* parent);
    ~CRibbonCalDlg() override;

    bool OnInitDialog() override;
    // Enter and the hidden OK button do nothing: only OnCancel ends the dialog.
    void OnOK() override {}
    void OnCancel() override;

    // One attempt over the detection list; TRUE when a model opened (the dialog has then ended).
    bool OpenUsbConnection();
    std::intptr_t OnDeviceChange(std::uint32_t nEventType, std::uintptr_t dwData) override;
    void OnSysCommand(std::uint32_t nID, std::intptr_t lParam) override;
    void OnPaint() override;
    IconHandle OnQueryDragIcon() override;

    std::unique_ptr<CUsbLink> m_Usb;
    std::unique_ptr<CPrinterContext> m_Context;
    std::uint32_t m_nModel = 0;
    CLanguageIni m_Lang;
    DeviceNotifyHandle m_hDevNotify;
    IconHandle m_hIcon;

private:
    void AddAboutItem();
    void DropRegistration();
};

// The About box: the program's icon, name and version.
class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(const Platform& platform);
};

}  // namespace kelvane

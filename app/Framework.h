#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace kelvane {

// A small dialog framework of the program's own: an application object and modal dialogs whose
// messages reach virtual handlers. The window itself is realised by the platform's dialog host.

class CWnd {
public:
    explicit CWnd(const Platform& platform) : m_platform(platform) {}
    virtual ~CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    WindowHandle GetSafeHwnd() const { return m_hWnd; }
    // The child control `id`; null when there is none.
    WindowHandle GetDlgItem(std::int32_t id) const;
    void SetWindowText(const char16_t* text);
    MenuHandle GetSystemMenu(bool revert) const;

    WindowHandle m_hWnd;

protected:
    // Leaves the message being handled to the host's default processing.
    void Default() { m_defaultRequested = true; }

    virtual void OnSysCommand(std::uint32_t nID, std::intptr_t lParam);
    virtual std::intptr_t OnDeviceChange(std::uint32_t nEventType, std::uintptr_t dwData);
    virtual void OnPaint();
    virtual IconHandle OnQueryDragIcon();

    Platform m_platform;
    bool m_defaultRequested = false;
};

class CDialog : public CWnd, private DialogProcedure {
public:
    // `parent` may be null: the application's main window then owns the dialog.
    CDialog(const Platform& platform, std::uint16_t templateId, CWnd* parent);

    // Runs the dialog modally; returns what EndDialog was given, -1 when it could not be shown.
    virtual std::intptr_t DoModal();
    void EndDialog(std::intptr_t result);

    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

protected:
    std::uint16_t m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    bool HandleDialogMessage(WindowHandle dialog, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam, std::intptr_t& result) override;
};

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Called once at start; FALSE ends the application without a message loop of its own.
    virtual bool InitInstance() = 0;

    CWnd* m_pMainWnd = nullptr;
};

// The running application, as the framework knows it; null when there is none.
CWinApp* AfxGetApp();
// The application's main window; null when there is none.
CWnd* AfxGetMainWnd();

}  // namespace kelvane

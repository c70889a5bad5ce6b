#include "app/Framework.h"

namespace kelvane {
namespace {
// The one application object, as MFC keeps it: windows without a parent find their owner here.
CWinApp* g_application = nullptr;
}  // namespace

CWinApp* AfxGetApp() {
    return g_application;
}

CWnd* AfxGetMainWnd() {
    return g_application != nullptr ? g_application->m_pMainWnd : nullptr;
}

CWinApp::CWinApp() {
    g_application = this;
}

CWinApp::~CWinApp() {
    if (g_application == this) {
        g_application = nullptr;
    }
}

WindowHandle CWnd::GetDlgItem(std::int32_t id) const {
    return m_platform.dialogHost.GetDlgItem(m_hWnd, id);
}

void CWnd::SetWindowText(const char16_t* text) {
    m_platform.windowHost.SetWindowTextW(m_hWnd, text);
}

MenuHandle CWnd::GetSystemMenu(bool revert) const {
    return m_platform.dialogHost.GetSystemMenu(m_hWnd, revert);
}

void CWnd::OnSysCommand(std::uint32_t, std::intptr_t) {
    Default();
}

std::intptr_t CWnd::OnDeviceChange(std::uint32_t, std::uintptr_t) {
    Default();
    return 1;
}

void CWnd::OnPaint() {
    Default();
}

IconHandle CWnd::OnQueryDragIcon() {
    Default();
    return IconHandle::Null();
}

CDialog::CDialog(const Platform& platform, std::uint16_t templateId, CWnd* parent)
    : CWnd(platform), m_nIDTemplate(templateId), m_pParentWnd(parent) {}

std::intptr_t CDialog::DoModal() {
    CWnd* owner = m_pParentWnd != nullptr ? m_pParentWnd : AfxGetMainWnd();
    const WindowHandle ownerWindow =
        owner != nullptr && owner != this ? owner->GetSafeHwnd() : WindowHandle::Null();
    const std::intptr_t result = m_platform.dialogHost.DialogBoxParamW(
        ModuleHandle::Null(), m_nIDTemplate, ownerWindow, *this);
    m_hWnd = WindowHandle::Null();
    return result;
}

void CDialog::EndDialog(std::intptr_t result) {
    m_platform.dialogHost.EndDialog(m_hWnd, result);
}

bool CDialog::OnInitDialog() {
    return true;
}

void CDialog::OnOK() {
    EndDialog(kIdOk);
}

void CDialog::OnCancel() {
    EndDialog(kIdCancel);
}

bool CDialog::HandleDialogMessage(WindowHandle dialog, std::uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam, std::intptr_t& result) {
    m_defaultRequested = false;
    switch (message) {
        case kWmInitDialog:
            m_hWnd = dialog;
            result = OnInitDialog() ? 1 : 0;
            return true;
        case kWmCommand:
            // Only the two dialog commands are handled; the command ID is the low word.
            if ((wParam & 0xFFFF) == kIdOk) {
                OnOK();
                return true;
            }
            if ((wParam & 0xFFFF) == kIdCancel) {
                OnCancel();
                return true;
            }
            return false;
        case kWmSysCommand:
            OnSysCommand(static_cast<std::uint32_t>(wParam), lParam);
            break;
        case kWmDeviceChange:
            result = OnDeviceChange(static_cast<std::uint32_t>(wParam),
                                    static_cast<std::uintptr_t>(lParam));
            break;
        case kWmPaint:
            OnPaint();
            break;
        case kWmQueryDragIcon:
            result = static_cast<std::intptr_t>(OnQueryDragIcon().value);
            break;
        default:
            return false;
    }
    return !m_defaultRequested;
}

}  // namespace kelvane

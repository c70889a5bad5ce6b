#include "app/MainDialog.h"

#include <new>

#include "app/FirmwareLaunch.h"
#include "lang/UiLanguage.h"
#include "res/DialogTemplates.h"
#include "res/ResourceIds.h"

namespace kelvane {
namespace {

constexpr std::size_t kLanguageCodeCapacity = 32;
constexpr std::size_t kStringCapacity = 256;

}  // namespace

CRibbonCalDlg::CRibbonCalDlg(const Platform& platform, CWnd* parent)
    : CDialog(platform, IDD_MAIN, parent),
      m_Lang(platform),
      m_hIcon(platform.dialogHost.LoadIconW(ModuleHandle::Null(), IDR_MAINFRAME)) {}

// The link, the context and the registration are released by OnCancel, never here.
CRibbonCalDlg::~CRibbonCalDlg() = default;

bool CRibbonCalDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    AddAboutItem();
    DialogHost& host = m_platform.dialogHost;
    host.WmSetIcon(m_hWnd, kIconBig, m_hIcon);
    host.WmSetIcon(m_hWnd, kIconSmall, m_hIcon);

    char16_t languageCode[kLanguageCodeCapacity] = {};
    m_nModel = 0;
    AppendLanguageCode(m_platform.systemQueries, languageCode);
    m_Lang.LoadFromResource(ModuleHandle::Null(), kLanguageTableId, kLanguageTableType);
    m_Lang.SelectSection(languageCode);
    m_Lang.TranslateWindow(m_hWnd);
    // The prompt is looked up by its fixed key, whatever the translation made of it.
    m_platform.windowHost.SetWindowTextW(GetDlgItem(IDC_PROMPT),
                                         m_Lang.GetText(u"" KELVANE_MAIN_PROMPT));

    // Without memory for them the dialog still waits, and Cancel still ends it.
    m_Usb.reset(new (std::nothrow) CUsbLink(m_platform));
    m_Context.reset(new (std::nothrow) CPrinterContext);
    if (m_Context != nullptr) {
        m_Context->m_pUsb = m_Usb.get();
    }
    OpenUsbConnection();
    return true;
}

void CRibbonCalDlg::AddAboutItem() {
    const MenuHandle menu = GetSystemMenu(false);
    if (menu.IsNull()) {
        return;
    }
    char16_t text[kStringCapacity] = {};
    DialogHost& host = m_platform.dialogHost;
    if (host.LoadStringW(ModuleHandle::Null(), IDS_ABOUTBOX, text, kStringCapacity) <= 0 ||
        text[0] == u'\0') {
        return;
    }
    host.AppendMenuW(menu, kMfSeparator, 0, nullptr);
    host.AppendMenuW(menu, kMfString, IDM_ABOUTBOX, text);
}

void CRibbonCalDlg::DropRegistration() {
    if (!m_hDevNotify.IsNull()) {
        m_platform.deviceNotifications.UnregisterDeviceNotification(m_hDevNotify);
        m_hDevNotify = DeviceNotifyHandle::Null();
    }
}

void CRibbonCalDlg::OnCancel() {
    m_Context.reset();
    // Released before the program starts, so that it finds the printer and its mutex free.
    m_Usb.reset();
    DropRegistration();
    if (m_nModel != 0) {
        LaunchFirmwareProgram(m_platform.files, m_platform.shell, m_nModel);
    }
    CDialog::OnCancel();
}

void CRibbonCalDlg::OnSysCommand(std::uint32_t nID, std::intptr_t lParam) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(m_platform);
        about.DoModal();
        return;
    }
    CDialog::OnSysCommand(nID, lParam);
}

void CRibbonCalDlg::OnPaint() {
    DialogHost& host = m_platform.dialogHost;
    if (!host.IsIconic(m_hWnd)) {
        CDialog::OnPaint();
        return;
    }
    const DeviceContext dc = host.BeginPaint(m_hWnd);
    host.WmIconEraseBkgnd(m_hWnd, dc);
    const std::int32_t cx = host.GetSystemMetrics(kSmCxIcon);
    const std::int32_t cy = host.GetSystemMetrics(kSmCyIcon);
    RECT client{};
    host.GetClientRect(m_hWnd, client);
    // Signed division: it rounds toward zero, also for a client area smaller than the icon.
    const std::int32_t x = (client.right - client.left - cx + 1) / 2;
    const std::int32_t y = (client.bottom - client.top - cy + 1) / 2;
    host.DrawIcon(dc, x, y, m_hIcon);
    host.EndPaint(m_hWnd, dc);
}

IconHandle CRibbonCalDlg::OnQueryDragIcon() {
    return m_hIcon;
}

CAboutDlg::CAboutDlg(const Platform& platform) : CDialog(platform, IDD_ABOUTBOX, nullptr) {}

}  // namespace kelvane

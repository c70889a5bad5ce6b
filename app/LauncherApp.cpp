#include "app/LauncherApp.h"

#include "app/MainDialog.h"

namespace kelvane {

bool CFirmwareLauncherApp::InitInstance() {
    CRibbonCalDlg dialog(m_platform, nullptr);
    m_pMainWnd = &dialog;
    // Cancelled or printer found, the program goes on the same way.
    dialog.DoModal();
    m_pMainWnd = nullptr;
    return false;
}

}  // namespace kelvane

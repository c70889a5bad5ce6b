#pragma once

#include "app/Framework.h"

namespace kelvane {

// The application: shows the main dialog modally and ends when it ends.
class CFirmwareLauncherApp : public CWinApp {
public:
    explicit CFirmwareLauncherApp(const Platform& platform) : m_platform(platform) {}

    // Always FALSE: the process ends as soon as the dialog has.
    bool InitInstance() override;

private:
    Platform m_platform;
};

}  // namespace kelvane

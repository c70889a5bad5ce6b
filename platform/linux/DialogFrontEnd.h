#pragma once

namespace kelvane {

// Whether the dialogs can be shown as windows: the user named a Qt platform, or a display
// server is there to connect to. Without one the dialogs run in the terminal instead, rather
// than ending in Qt's platform-plugin error. Unset and empty variables count alike.
bool HasGraphicalSession(const char* qtPlatform, const char* display, const char* waylandDisplay);

}  // namespace kelvane

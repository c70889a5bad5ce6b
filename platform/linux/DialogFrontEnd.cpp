#include "platform/linux/DialogFrontEnd.h"

namespace kelvane {

bool HasGraphicalSession(const char* qtPlatform, const char* display, const char* waylandDisplay) {
    const auto set = [](const char* value) { return value != nullptr && value[0] != '\0'; };
    return set(qtPlatform) || set(display) || set(waylandDisplay);
}

}  // namespace kelvane

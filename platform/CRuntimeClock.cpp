#include "platform/CRuntimeClock.h"

namespace kelvane {

std::time_t CRuntimeClock::Now() {
    return std::time(nullptr);
}

bool CRuntimeClock::LocalTime(std::time_t time, std::tm& calendar) {
#ifdef _WIN32
    return localtime_s(&calendar, &time) == 0;
#else
    return localtime_r(&time, &calendar) != nullptr;
#endif
}

}  // namespace kelvane

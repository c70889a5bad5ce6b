#pragma once

#include <time.h>

namespace kelvane::bench {

// Nanoseconds on CLOCK_MONOTONIC, the clock the stand-in firmware program stamps with too.
inline double MonotonicNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

}  // namespace kelvane::bench

#pragma once

// The stamp of the process benchmarks: CLOCK_MONOTONIC in nanoseconds, one line, written into the
// FIFO "stamp.fifo" of the working directory, where the benchmark driver waits. Reads the clock
// first; uses nothing of the C++ library, so that the stand-in firmware program can be small.
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>

namespace kelvane::bench {

inline bool WriteStamp() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    char line[32];
    const int length =
        std::snprintf(line, sizeof(line), "%lld\n",
                      static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    const int fifo = ::open("stamp.fifo", O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fifo < 0) {
        return false;
    }
    const bool written = length > 0 && ::write(fifo, line, static_cast<size_t>(length)) == length;
    ::close(fifo);
    return written;
}

}  // namespace kelvane::bench

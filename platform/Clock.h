#pragma once

#include <ctime>

namespace kelvane {

// The C library's clock: time() and localtime().
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::time_t Now() = 0;
    // False when the time cannot be expressed in local calendar time.
    virtual bool LocalTime(std::time_t time, std::tm& calendar) = 0;
};

}  // namespace kelvane

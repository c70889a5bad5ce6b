#pragma once

#include "platform/Clock.h"

namespace kelvane {

// The real clock, the same on every platform.
class CRuntimeClock final : public Clock {
public:
    std::time_t Now() override;
    bool LocalTime(std::time_t time, std::tm& calendar) override;
};

}  // namespace kelvane

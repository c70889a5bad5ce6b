#pragma once

#include "platform/Clock.h"

namespace kelvane::testing {

// A clock that stands still at a chosen local time.
class FakeClock final : public Clock {
public:
    std::tm now{};  // tm_year counts from 1900, tm_mon from 0
    bool localTimeFails = false;

    std::time_t Now() override { return 1709629622; }
    bool LocalTime(std::time_t, std::tm& calendar) override {
        calendar = now;
        return !localTimeFails;
    }
};

}  // namespace kelvane::testing

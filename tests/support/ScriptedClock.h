#pragma once

#include "platform/Clock.h"

#include <cstdint>

namespace tinctara::testing {

// A monotonic clock that reads what the test sets.
class ScriptedClock : public Clock {
public:
    std::int64_t timeOfDaySeconds() override { return 0; }
    std::int64_t monotonicMilliseconds() override { return ms; }
    std::int64_t ms = 1'000'000;
};

}  // namespace tinctara::testing

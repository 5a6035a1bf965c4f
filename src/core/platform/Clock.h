#pragma once

#include <cstdint>

namespace tinctara {

class Clock {
public:
    virtual ~Clock() = default;
    // Time of day in whole seconds since midnight.
    virtual std::int64_t timeOfDaySeconds() = 0;
    // Monotonic time in milliseconds, for waits that must not jump.
    virtual std::int64_t monotonicMilliseconds() = 0;
};

}  // namespace tinctara

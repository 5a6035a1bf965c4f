#pragma once

#include "platform/Clock.h"

#include <chrono>
#include <ctime>

namespace tinctara {

// The machine's clock: local time of day and the steady clock.
class SystemClock : public Clock {
public:
    std::int64_t timeOfDaySeconds() override
    {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        return local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    }
    std::int64_t monotonicMilliseconds() override
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
};

}  // namespace tinctara

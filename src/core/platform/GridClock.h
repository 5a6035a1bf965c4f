#pragma once

#include <cstdint>

namespace tinctara {

// The monotonic clock the DMX sender keeps its 50 ms grid on. Tests give a
// clock that moves only when they say so.
class GridClock {
public:
    virtual ~GridClock() = default;
    // Monotonic time in nanoseconds.
    virtual std::int64_t nowNanoseconds() = 0;
    // Sleeps until the monotonic time reaches `deadline`, an absolute time, so
    // that a late wake-up never shifts the grid.
    virtual void sleepUntil(std::int64_t deadline) = 0;
    // Ends a sleep in progress early, if the clock can (the sender is stopping).
    virtual void wakeSleeper() {}
};

// Asks the UI thread to run the next output tick. Called from the sender's
// thread; the sender makes sure that at most one request waits at a time.
class TickRequests {
public:
    virtual ~TickRequests() = default;
    virtual void requestTick() = 0;
};

}  // namespace tinctara

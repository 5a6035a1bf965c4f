#pragma once

#include "platform/GridClock.h"

#include <cerrno>
#include <ctime>

namespace tinctara {

// CLOCK_MONOTONIC with absolute sleeps: the grid stays where it is whatever
// the wake-ups cost.
class SystemGridClock : public GridClock {
public:
    std::int64_t nowNanoseconds() override
    {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
    }
    void sleepUntil(std::int64_t deadline) override
    {
        const timespec until{static_cast<time_t>(deadline / 1'000'000'000),
                             static_cast<long>(deadline % 1'000'000'000)};
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
        }
    }
    // The sleep cannot be cut short; it ends at the next grid point, at most
    // 50 ms away.
};

// Tick requests as an eventfd: writing never allocates and wakes whatever
// waits on the descriptor (the Qt event loop through a socket notifier, the
// command line in wait()).
class EventFdTickRequests : public TickRequests {
public:
    EventFdTickRequests();
    ~EventFdTickRequests() override;
    EventFdTickRequests(const EventFdTickRequests&) = delete;
    EventFdTickRequests& operator=(const EventFdTickRequests&) = delete;

    void requestTick() override;
    int fd() const { return fd_; }
    // Empties the descriptor; true when a request had come.
    bool take();
    // Blocks until a request comes, then takes it.
    void wait();

private:
    int fd_ = -1;
};

}  // namespace tinctara

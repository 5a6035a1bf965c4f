#pragma once

#include "platform/GridClock.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

namespace tinctara::testing {

// A monotonic clock that stands still until the test moves it. The sender's
// thread sleeps in it; step() wakes it at its deadline and returns once it
// sleeps again, that is, once it has done that grid point. No real time passes.
class SteppedClock : public GridClock {
public:
    std::int64_t nowNanoseconds() override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return now_;
    }

    void sleepUntil(std::int64_t deadline) override
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (deadlines.size() < deadlines.capacity())  // recorded without allocating
            deadlines.push_back(deadline);
        deadline_ = deadline;
        sleeping_ = true;
        ++sleeps_;
        changed_.notify_all();
        changed_.wait(lock, [&] { return now_ >= deadline || released_; });
        sleeping_ = false;
    }

    void wakeSleeper() override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

    // Moves the time to the sleeper's deadline plus `late` and waits until it
    // has done its grid point and sleeps again. False, and at once from then
    // on, when the sender does not sleep again within ten seconds of real
    // time: it has stopped keeping the grid, and a test fails rather than hangs.
    bool step(std::int64_t late = 0)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (stalled_ || !changed_.wait_for(lock, StallLimit, [&] { return sleeping_; }))
            return !(stalled_ = true);
        const long before = sleeps_;
        now_ = deadline_ + late;
        changed_.notify_all();
        if (!changed_.wait_for(lock, StallLimit, [&] { return sleeps_ > before && sleeping_; }))
            return !(stalled_ = true);
        return true;
    }

    std::vector<std::int64_t> deadlines;  // reserve() to record them

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::int64_t now_ = 1'000'000'000;
    std::int64_t deadline_ = 0;
    long sleeps_ = 0;
    bool sleeping_ = false;
    bool released_ = false;
    bool stalled_ = false;
    static constexpr std::chrono::seconds StallLimit{10};
};

// Tick requests as the UI thread's queue sees them.
class CountedRequests : public TickRequests {
public:
    void requestTick() override { ++posted; }
    std::atomic<int> posted{0};
};

}  // namespace tinctara::testing

#pragma once

#include <csignal>
#include <ctime>
#include <pthread.h>

namespace tinctara::cli {

// SIGINT and SIGTERM are held back while a command runs and taken between
// ticks, so that a stop never lands in the middle of a frame.
class StopSignals {
public:
    StopSignals()
    {
        ::sigemptyset(&signals_);
        ::sigaddset(&signals_, SIGINT);
        ::sigaddset(&signals_, SIGTERM);
        ::pthread_sigmask(SIG_BLOCK, &signals_, &previous_);
    }
    ~StopSignals()
    {
        // Both may have come; neither may end the process once unblocked.
        while (arrived()) {
        }
        ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    bool arrived()
    {
        const timespec now{};
        return ::sigtimedwait(&signals_, nullptr, &now) > 0;
    }

private:
    sigset_t signals_{};
    sigset_t previous_{};
};

}  // namespace tinctara::cli

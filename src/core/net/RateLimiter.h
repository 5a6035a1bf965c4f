#pragma once

#include <algorithm>
#include <cstdint>

namespace tinctara {

// Limits how often one sender (a remote page, an OSC desk) may act: a bucket
// of `burst` actions refilled at `perSecond`. Times are the monotonic clock in
// milliseconds. Header only, so that the remote's server module takes it
// without the rest of the core.
class RateLimiter {
public:
    RateLimiter(int burst = 20, int perSecond = 10) : burst_(burst), perSecond_(perSecond), tokens_(burst * 1000) {}

    bool allow(std::int64_t nowMs)
    {
        if (last_ >= 0 && nowMs > last_)
            tokens_ = std::min<std::int64_t>(burst_ * 1000LL, tokens_ + (nowMs - last_) * perSecond_);
        if (nowMs > last_)
            last_ = nowMs;
        if (tokens_ < 1000)
            return false;
        tokens_ -= 1000;
        return true;
    }

private:
    int burst_;
    int perSecond_;
    std::int64_t tokens_;  // in thousandths of an action
    std::int64_t last_ = -1;
};

}  // namespace tinctara

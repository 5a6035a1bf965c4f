#include "audio/PreviewPacer.h"

#include <algorithm>
#include <cmath>

namespace tinctara {

int PreviewPacer::ticksFor(double audioMs, double nowMs)
{
    const bool readable = std::isfinite(audioMs) && std::isfinite(nowMs);
    if (!heard_) {
        if (!readable || !(audioMs > 0.0))
            return 0;
        heard_ = true;
    }
    ++requests_;
    // A reading that makes no sense is left out; the window still knows the lag.
    if (readable) {
        lags_[static_cast<std::size_t>(next_)] = nowMs - audioMs;
        next_ = (next_ + 1) % Window;
        filled_ = std::min(filled_ + 1, Window);
    }
    // The third smallest lag once the window is full (fewer at the start).
    std::array<double, Window> sorted = lags_;
    const int skip = std::min(EarlyReadingsIgnored, filled_ - 1);
    std::nth_element(sorted.begin(), sorted.begin() + skip, sorted.begin() + filled_);
    const double lag = sorted[static_cast<std::size_t>(skip)];
    const double song = (nowMs - lag) / TickMs;
    // The tick run now shows the position ticksRun_ (the first tick shows 0).
    const double ahead = song - static_cast<double>(ticksRun_);
    int ticks = 1;
    if (ahead >= 1.0) {
        ticks = 2;
        ++drops_;
    } else if (ahead <= -1.0) {
        ticks = 0;
        ++repeats_;
    }
    ticksRun_ += ticks;
    offset_ = ahead - (ticks - 1);
    return ticks;
}

}  // namespace tinctara

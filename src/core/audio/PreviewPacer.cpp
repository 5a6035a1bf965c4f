#include "audio/PreviewPacer.h"

#include <cmath>

namespace tinctara {

int PreviewPacer::ticksFor(double audioMs)
{
    if (!heard_) {
        if (!(audioMs > 0.0))
            return 0;
        heard_ = true;
        fill(audioMs / TickMs);
    }
    ++requests_;
    const double reading = audioMs / TickMs - static_cast<double>(ticksRun_);
    if (!std::isfinite(reading) || std::fabs(reading - mean()) > JumpTicks) {
        fill(std::isfinite(reading) ? reading : mean());
    } else {
        readings_[static_cast<std::size_t>(next_)] = reading;
        next_ = (next_ + 1) % Window;
    }
    const double ahead = mean();
    int ticks = 1;
    if (ahead >= 1.0) {
        ticks = 2;
        ++drops_;
    } else if (ahead <= -1.0) {
        ticks = 0;
        ++repeats_;
    }
    // What the readings so far will look like at the next request.
    shift(1.0 - ticks);
    ticksRun_ += ticks;
    offset_ = mean();
    return ticks;
}

void PreviewPacer::fill(double value)
{
    readings_.fill(value);
    next_ = 0;
}

void PreviewPacer::shift(double by)
{
    for (double& reading : readings_)
        reading += by;
}

double PreviewPacer::mean() const
{
    double sum = 0.0;
    for (const double reading : readings_)
        sum += reading;
    return sum / Window;
}

}  // namespace tinctara

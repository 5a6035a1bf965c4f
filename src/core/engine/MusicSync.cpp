#include "engine/MusicSync.h"

#include <algorithm>
#include <cmath>

namespace tinctara {

void MusicSync::setSettings(const MusicSettings& settings)
{
    settings_ = settings;
    const int every = settings.beatsPerStep;
    settings_.beatsPerStep = (every == 2 || every == 4) ? every : 1;
    settings_.blendPercent = std::clamp(settings.blendPercent, 0, 100);
    settings_.depth = std::clamp(settings.depth, 0, 100);
    settings_.attackTicks = std::max(settings.attackTicks, 0);
    settings_.releaseTicks = std::max(settings.releaseTicks, 0);
    counted_ = std::min(counted_, settings_.beatsPerStep);
}

void MusicSync::feed(bool beat, double periodTicks, double level)
{
    // Fed twice before one tick (a tick that came late): no beat is lost.
    fedBeat_ = (fed_ && fedBeat_) || beat;
    fed_ = true;
    fedPeriod_ = std::isfinite(periodTicks) && periodTicks > 0 ? periodTicks : 0;
    fedLevel_ = std::isfinite(level) ? std::clamp(level, 0.0, 1.0) : 0;
}

void MusicSync::tap(std::int64_t nowMs)
{
    if (tapCount_ > 0) {
        const std::int64_t last = taps_[static_cast<std::size_t>(tapCount_ - 1)];
        // A bounce of the same press.
        if (nowMs <= last)
            return;
        if (nowMs - last > TapPauseMs)
            tapCount_ = 0;
    }
    if (tapCount_ == TapsKept) {
        std::copy(taps_.begin() + 1, taps_.end(), taps_.begin());
        --tapCount_;
    }
    taps_[static_cast<std::size_t>(tapCount_++)] = nowMs;
    if (tapCount_ >= 2) {
        const double span = static_cast<double>(taps_[static_cast<std::size_t>(tapCount_ - 1)] - taps_[0]);
        tapPeriod_ = span / (tapCount_ - 1) / TickMilliseconds;
    }
    // The tap is a beat: the tapped tempo's next beat falls in the coming tick.
    tapPhase_ = 0;
}

void MusicSync::tick(bool playing)
{
    double level = 0;  // no audio is silence
    if (fed_) {
        beatNow_ = fedBeat_;
        audioPeriod_ = fedPeriod_;
        level = fedLevel_;
    } else {
        beatNow_ = false;
        audioPeriod_ = 0;
        if (tapPeriod_ > 0) {
            // The beat goes to the tick nearest to it.
            if (tapPhase_ <= 0.5) {
                beatNow_ = true;
                tapPhase_ += tapPeriod_;
            }
            tapPhase_ -= 1;
        }
    }
    fed_ = false;

    if (level > envelope_) {
        const int attack = settings_.attackTicks;
        envelope_ = attack == 0 ? level : std::min(level, envelope_ + 1.0 / attack);
    } else {
        const int release = settings_.releaseTicks;
        envelope_ = release == 0 ? level : std::max(level, envelope_ - 1.0 / release);
    }
    factor_ = 1.0 - settings_.depth / 100.0 * (1.0 - envelope_);

    // Beats count towards the next step only while a sequence plays, so PLAY
    // starts counting afresh.
    if (!playing)
        counted_ = 0;
    else if (beatNow_ && counted_ < settings_.beatsPerStep)
        ++counted_;
}

bool MusicSync::takeStepBeat()
{
    if (counted_ < settings_.beatsPerStep)
        return false;
    counted_ = 0;
    return true;
}

std::uint16_t MusicSync::blendTicks(std::uint16_t ownBlend) const
{
    const double period = periodTicks();
    if (period <= 0)
        return ownBlend;
    const long wanted = std::lround(period * settings_.blendPercent / 100.0);
    // The fade and the load tick after it must end before the beat that ends
    // the next hold, or that beat would be heard a tick late every step.
    const long room = static_cast<long>(std::floor(period * settings_.beatsPerStep)) - 1;
    return static_cast<std::uint16_t>(std::clamp(std::min(wanted, room), 1L, 65535L));
}

std::uint8_t MusicSync::scaled(std::uint8_t level) const
{
    return static_cast<std::uint8_t>(std::clamp(std::lround(level * factor_), 0L, 255L));
}

}  // namespace tinctara

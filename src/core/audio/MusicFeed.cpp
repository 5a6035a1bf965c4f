#include "audio/MusicFeed.h"

#include "engine/MusicSync.h"
#include "platform/Clock.h"

#include <algorithm>
#include <cmath>

namespace tinctara {

void MusicFeed::take(const TimedMusicEvent& timed)
{
    heard_ = true;
    lastEventMs_ = std::max(lastEventMs_, timed.foundMs);
    const MusicEvent& event = timed.event;
    switch (event.kind) {
    case MusicEventKind::Beat:
        beatPending_ = true;
        ++beats_;
        beatHeard(event.seconds, event.bpm);
        break;
    case MusicEventKind::Level:
        if (std::isfinite(event.level)) {
            levelThisTick_ = true;
            loudestThisTick_ = std::max(loudestThisTick_, static_cast<double>(std::clamp(event.level, 0.0F, 1.0F)));
        }
        break;
    case MusicEventKind::Onset:
        break;
    }
}

void MusicFeed::beatHeard(double seconds, double trackerBpm)
{
    if (!std::isfinite(trackerBpm) || trackerBpm <= 0.0) {
        return;  // the tracker has no tempo yet
    }
    if (beatCount_ == BeatsKept) {
        std::copy(beatSeconds_.begin() + 1, beatSeconds_.end(), beatSeconds_.begin());
        --beatCount_;
    }
    beatSeconds_[beatCount_++] = seconds;
    bpm_ = trackerBpm;
    if (beatCount_ >= 5) {
        const double span = beatSeconds_[beatCount_ - 1] - beatSeconds_[0];
        const double mean = span > 0.0 ? 60.0 * static_cast<double>(beatCount_ - 1) / span : 0.0;
        // A missed beat or a tempo change inside the span: the tracker's own.
        if (std::abs(mean - trackerBpm) <= 0.05 * trackerBpm) {
            bpm_ = mean;
        }
    }
}

void MusicFeed::feedTick(std::int64_t nowMs, MusicSync& sync)
{
    live_ = heard_ && nowMs - lastEventMs_ <= LiveForMs;
    if (!live_) {
        // Gone: forget the tempo so the display does not show a stale one.
        bpm_ = 0.0;
        beatCount_ = 0;
        level_ = 0.0;
        beatPending_ = false;
        levelThisTick_ = false;
        loudestThisTick_ = 0.0;
        reference_ = ReferenceFloor;
        return;
    }
    // A tick whose hops are still on their way keeps the last level rather
    // than reading a gap as silence.
    if (levelThisTick_) {
        static const double decay = std::pow(0.5, 1.0 / ReferenceHalfLifeTicks);
        reference_ = std::max({loudestThisTick_, reference_ * decay, ReferenceFloor});
        level_ = std::min(1.0, loudestThisTick_ / reference_);
    }
    const double periodTicks = bpm_ > 0.0 ? 60.0 / bpm_ / (MusicSync::TickMilliseconds / 1000.0) : 0.0;
    sync.feed(beatPending_, periodTicks, level_);
    beatPending_ = false;
    levelThisTick_ = false;
    loudestThisTick_ = 0.0;
}

LiveMusic::LiveMusic(int sampleRate, Clock& clock) : clock_(clock)
{
    auto input = std::make_unique<PushedAudioSource>(
        sampleRate, static_cast<std::size_t>(std::max(sampleRate, 1) * BufferSeconds));
    input_ = input.get();
    analysis_ = std::make_unique<AnalysisThread>(std::move(input), clock);
}

LiveMusic::~LiveMusic()
{
    input_->close();
    analysis_.reset();
}

void LiveMusic::beforeTick(MusicSync& sync)
{
    TimedMusicEvent event;
    while (analysis_->next(event)) {
        feed_.take(event);
    }
    feed_.feedTick(clock_.monotonicMilliseconds(), sync);
}

}  // namespace tinctara

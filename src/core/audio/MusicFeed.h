#pragma once

#include "audio/AnalysisThread.h"
#include "audio/PushedAudioSource.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace tinctara {

class Clock;
class MusicSync;

// Turns what the analysis found into the tick's music, once per tick: a
// beat taken since the last tick falls into this one, the period comes from
// the latest tempo, and the level is the loudest hop since the last tick,
// measured against the loudest the music has been lately — a quiet room
// and a loud club both swing the master over its whole range.
class MusicFeed {
public:
    // Audio whose last event is older than this is gone: the tick then gets
    // nothing, so the tapped tempo takes over and the level reads silence.
    static constexpr std::int64_t LiveForMs = 500;
    // The reference for the level falls to half in 10 s (200 ticks) of
    // quieter music, and never below this RMS, so hiss is not made loud.
    static constexpr double ReferenceHalfLifeTicks = 200.0;
    static constexpr double ReferenceFloor = 0.02;
    // The tempo is read over the last eight beat intervals: a single
    // interval jitters by a hop.
    static constexpr std::size_t BeatsKept = 9;

    void take(const TimedMusicEvent& timed);
    // Once before each tick, on the show's thread.
    void feedTick(std::int64_t nowMs, MusicSync& sync);

    bool live() const { return live_; }
    double bpm() const { return bpm_; }
    double level() const { return level_; }  // 0..1, as the tick got it
    std::uint64_t beats() const { return beats_; }

private:
    void beatHeard(double seconds, double trackerBpm);

    std::array<double, BeatsKept> beatSeconds_{};
    std::size_t beatCount_ = 0;
    bool heard_ = false;
    std::int64_t lastEventMs_ = 0;
    bool beatPending_ = false;
    bool levelThisTick_ = false;
    double loudestThisTick_ = 0.0;
    double reference_ = ReferenceFloor;
    double bpm_ = 0.0;
    double level_ = 0.0;
    bool live_ = false;
    std::uint64_t beats_ = 0;
};

// Live music from a capture device: the capture side pushes samples into
// `input()`, the analysis runs on its own thread, and the show's thread
// calls beforeTick once per tick.
class LiveMusic {
public:
    static constexpr double BufferSeconds = 2.0;

    LiveMusic(int sampleRate, Clock& clock);
    ~LiveMusic();  // ends the capture's stream and joins the analysis
    LiveMusic(const LiveMusic&) = delete;
    LiveMusic& operator=(const LiveMusic&) = delete;

    PushedAudioSource& input() { return *input_; }
    int sampleRate() const { return input_->sampleRate(); }
    void beforeTick(MusicSync& sync);
    const MusicFeed& feed() const { return feed_; }

private:
    Clock& clock_;
    PushedAudioSource* input_;  // owned by the analysis thread
    std::unique_ptr<AnalysisThread> analysis_;
    MusicFeed feed_;
};

}  // namespace tinctara

#pragma once

#include "engine/FrameBuilder.h"

#include <array>
#include <cstdint>

namespace tinctara {

// How the tick follows music. Everything off by default: the tick then runs
// on the steps' own hold and blend times and sends its levels unscaled.
struct MusicSettings {
    // Beat: a playing step's hold ends on every `beatsPerStep`-th beat (1, 2
    // or 4) and its fade takes `blendPercent` % of the beat period.
    bool beat = false;
    int beatsPerStep = 1;
    int blendPercent = 50;  // 0..100; the fade is at least one tick
    // Pegel: the levels leaving scale with the audio level, by at most
    // `depth` % when it is silent; the envelope rises by at most 1/attack and
    // falls by at most 1/release per tick (0: at once).
    bool level = false;
    int depth = 100;  // 0..100
    int attackTicks = 0;
    int releaseTicks = 0;
};

// The music state the tick reads. Whoever owns the audio feeds it once per
// tick, before the tick; tap() comes from a key, OSC or MIDI. Without audio
// the tapped tempo makes the beats, on the tick grid.
class MusicSync {
public:
    static constexpr int TapsKept = 5;                // the mean of the last four intervals
    static constexpr std::int64_t TapPauseMs = 2000;  // a tap later than this starts afresh
    static constexpr double TickMilliseconds = 50.0;

    const MusicSettings& settings() const { return settings_; }
    // Out-of-range values are brought into range (every 1, 2 or 4 beats).
    void setSettings(const MusicSettings& settings);

    // The audio of the coming tick: whether a beat fell in it, the beat
    // period in ticks (0: not known) and the level (0..1). Fed again before
    // the tick, the latest period and level count and a beat stays.
    void feed(bool beat, double periodTicks, double level);
    // A tap at monotonic time `nowMs`.
    void tap(std::int64_t nowMs);

    // Once at the start of each tick: takes what was fed (or the tapped
    // tempo's beat), moves the envelope; beats are counted while `playing`.
    void tick(bool playing);

    bool beatOn() const { return settings_.beat; }
    bool levelOn() const { return settings_.level; }
    bool beatThisTick() const { return beatNow_; }
    // The beat period in ticks: the audio's, else the tapped one; 0 unknown.
    double periodTicks() const { return audioPeriod_ > 0 ? audioPeriod_ : tapPeriod_; }
    double tapPeriodTicks() const { return tapPeriod_; }
    double envelope() const { return envelope_; }

    // Whether the beats a step waits for have come; if so they are used up.
    bool takeStepBeat();
    // Beats still to come before the step changes.
    int beatsToStep() const { return settings_.beatsPerStep - counted_; }
    // The fade of a step on the beat: the fraction of the period, cut so that
    // the fade and its load tick end before the step's next beat. Without a
    // known period, `ownBlend` (the step's own).
    std::uint16_t blendTicks(std::uint16_t ownBlend) const;

    // A level scaled by the master: 1 − depth·(1 − envelope).
    std::uint8_t scaled(std::uint8_t level) const;

private:
    MusicSettings settings_;
    bool fed_ = false;
    bool fedBeat_ = false;
    double fedPeriod_ = 0;
    double fedLevel_ = 0;

    bool beatNow_ = false;
    double audioPeriod_ = 0;
    double envelope_ = 0;
    double factor_ = 1;
    int counted_ = 0;

    std::array<std::int64_t, TapsKept> taps_{};
    int tapCount_ = 0;
    double tapPeriod_ = 0;
    double tapPhase_ = 0;  // ticks until the tapped tempo's next beat
};

// The level master in front of a frame destination: what is written leaves
// scaled.
class ScaledDestination final : public FrameDestination {
public:
    explicit ScaledDestination(const MusicSync& music) : music_(music) {}
    FrameDestination& around(FrameDestination& inner)
    {
        inner_ = &inner;
        return *this;
    }
    void writeLevel(int channel, std::uint8_t level) override { inner_->writeLevel(channel, music_.scaled(level)); }
    std::uint8_t leaving(std::uint8_t level) const override { return music_.scaled(level); }

private:
    const MusicSync& music_;
    FrameDestination* inner_ = nullptr;
};

}  // namespace tinctara

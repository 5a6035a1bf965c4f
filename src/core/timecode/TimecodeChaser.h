#pragma once

#include "timecode/Timecode.h"
#include "timecode/TimecodeControl.h"
#include "timecode/TimecodeSettings.h"

#include <array>
#include <cstdint>
#include <optional>

namespace tinctara {

// What one grid request does while timecode is followed.
struct ChaseAction {
    enum class Kind {
        Free,   // as without timecode: one tick
        Zero,   // stop on step 1 and show it, then one tick
        Start,  // ZERO, PLAY, then seek to `tick`
        Seek,   // seek to `tick` (after PLAY)
        Run,    // `ticks` ticks: 1, or 2 (a frame dropped) or 0 (the frame repeated)
        Hold,   // seek to `tick`, the tick shown already: the picture stands
    };
    Kind kind = Kind::Free;
    int ticks = 1;
    std::int64_t tick = 0;
    friend bool operator==(const ChaseAction&, const ChaseAction&) = default;
};

// Follows a timecode with the sequence's ticks. Every label heard comes in
// with the monotonic time its frame began to be heard; at every grid
// request the chaser says what the tick does. The sequence's tick 0 (the
// first after PLAY) falls on the offset, tick n 50 ms × n after it.
//
// The timecode's position now is the newest label moved on by the time
// since it came, less the smallest lag (arrival − label) of the last few
// labels: a network or a sound card only ever delays a label, so the
// earliest arrival is nearest the sender's clock. The ticks keep in step
// the way the music preview keeps them: a whole tick ahead, two run; a
// whole tick behind, the frame repeats. A label more than two frames off
// the running position is a jump, and the next tick seeks.
//
// Labels that stop coming (or repeat the same label: the sender paused)
// leave the sequence running on its own tick for the freewheel frames,
// then the wall holds. Timecode before the offset holds step 1. An
// operator's STOP is respected: the chaser lets the sequence be until the
// timecode stops, jumps or goes back before the offset.
//
// Allocates nothing.
class TimecodeChaser {
public:
    static constexpr double TickMs = 50.0;
    // Labels the lag is taken over: a few frames, far shorter than the 50 s
    // two clocks 0.1 % apart need to drift one tick.
    static constexpr int LagWindow = 8;
    // Ahead of or behind the ticks by this much, a step is seeked rather
    // than caught up tick by tick.
    static constexpr double SeekTicks = 3.0;
    // How late the next label may come before the freewheel begins: LTC
    // hears a label only at its frame's end, a frame after the time it
    // names, and a network adds its jitter.
    static constexpr double LateFrames = 1.5;

    void configure(const TimecodeSettings& settings);
    const TimecodeSettings& settings() const { return settings_; }

    // A label heard; `atMs`: when its frame began (monotonic ms). A locate
    // (MIDI's full frame) places the timecode there, standing: the wall
    // shows that place and holds until labels run.
    void heard(const Timecode& time, TimecodeRate rate, double atMs, bool locate = false);

    // At every grid request, with whether the sequence plays now.
    ChaseAction next(double nowMs, bool playing);

    TimecodeStatus status(double nowMs) const;

private:
    enum class Direction { Forwards, Backwards };
    // The timecode's position at `nowMs`, in ms since 00:00:00:00; nothing
    // while none was heard.
    std::optional<double> position(double nowMs) const;
    // Whether labels came recently enough to run on (heard or freewheeling).
    bool running(double nowMs) const;
    bool freewheeling(double nowMs) const;
    double offsetMs() const;
    ChaseAction startAt(double relativeMs);
    ChaseAction chase(double relativeMs, bool backwards);
    void forgetLags();
    void forgetPlayback();

    TimecodeSettings settings_;
    // The newest label, where it was, and when it came.
    std::optional<Timecode> label_;
    TimecodeRate labelRate_ = TimecodeRate::Ebu25;
    double labelMs_ = 0.0;
    double labelAt_ = 0.0;
    // When the label last moved; the time between the last two moves.
    double movedAt_ = 0.0;
    double moveInterval_ = 0.0;
    Direction direction_ = Direction::Forwards;
    std::array<double, LagWindow> lags_{};
    int nextLag_ = 0;
    int lagsFilled_ = 0;
    bool jumped_ = false;
    bool locate_ = false;

    // The tick the chaser last had shown, while the sequence plays under it.
    std::optional<std::int64_t> shown_;
    bool beforeOffset_ = false;
    bool stoppedByOperator_ = false;
    bool started_ = false;  // "start at": started, now on its own tick
};

}  // namespace tinctara

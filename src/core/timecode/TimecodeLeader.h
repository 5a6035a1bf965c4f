#pragma once

#include "timecode/ArtTimecode.h"
#include "timecode/Mtc.h"
#include "timecode/Timecode.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tinctara {

// Leading timecode from the own tick: while a sequence plays the timecode is
// offset + ticks since PLAY × 50 ms, and between ticks it runs on with the
// time that passed since the last one, never more than a tick, so a late tick
// holds the clock instead of letting it run ahead of the show.
//
// The program tells it of every tick and polls it every few milliseconds;
// each poll hands out what fell due by then: an Art-Net label at the start of
// each frame (in order, never one twice, never an older one except after a
// jump; only the newest when a poll comes more than two frames late), and
// MIDI timecode (a full frame on
// start and after every jump, then quarter frames, four a frame). When
// playback stops nothing more is sent: receivers freewheel, then hold.
// Allocates nothing.
class TimecodeLeader {
public:
    static constexpr double TickMs = 50.0;

    TimecodeLeader(const Timecode& offset = {1, 0, 0, 0}, TimecodeRate rate = TimecodeRate::Ebu25);

    // The label tick 0 falls on and the rate of what is sent. While playing,
    // the next poll starts again as after a jump.
    void configure(const Timecode& offset, TimecodeRate rate);

    // After every tick: the tick's index since PLAY (0: the first tick after
    // PLAY), nothing while no sequence plays; `atMs` when it ran. An index
    // that does not follow the last one by 1 is a jump (a seek, a new PLAY).
    void ticked(std::optional<std::int64_t> tickSincePlay, double atMs);

    // Hands out what is due at `nowMs` (the clock of ticked()'s `atMs`):
    // art(const ArtTimecode&) and mtc(std::span<const std::uint8_t>), in the
    // order they fell due.
    template <typename ArtSink, typename MtcSink>
    void poll(double nowMs, ArtSink&& art, MtcSink&& mtc)
    {
        for (Due due = next(nowMs); due.kind != Due::Kind::None; due = next(nowMs)) {
            if (due.kind == Due::Kind::Art)
                art(due.art);
            else
                mtc(std::span<const std::uint8_t>(due.bytes.data(), due.size));
        }
    }

    bool playing() const { return playing_; }
    // The label handed out last while playing; nothing while stopped.
    std::optional<Timecode> sent() const { return sent_; }

private:
    struct Due {
        enum class Kind { None, Art, Mtc } kind = Kind::None;
        ArtTimecode art;
        std::array<std::uint8_t, 10> bytes{};
        std::size_t size = 0;
    };
    Due next(double nowMs);
    // Milliseconds since tick 0 at `nowMs`.
    double position(double nowMs) const;
    Timecode label(std::int64_t frame) const;

    Timecode offset_;
    TimecodeRate rate_;
    std::int64_t offsetFrame_ = 0;
    // Frames a second as num / den per millisecond: frames = ms × num / den.
    double num_ = 25;
    double den_ = 1000;

    bool playing_ = false;
    bool jumped_ = false;
    std::int64_t tick_ = 0;
    double tickAt_ = 0;

    std::int64_t nextArtFrame_ = 0;
    bool fullFramePending_ = false;
    std::int64_t quarterStart_ = 0;  // the frame whose start quarter frame 0 falls on
    std::int64_t quartersSent_ = 0;
    MtcEncoder encoder_;
    std::optional<Timecode> sent_;
};

}  // namespace tinctara

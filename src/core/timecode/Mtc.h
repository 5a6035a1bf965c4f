#pragma once

#include "timecode/Timecode.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tinctara {

enum class MtcDirection { Unknown, Forwards, Backwards };

// A time MIDI timecode reported.
//
// Quarter frames: the eight pieces of a label take two frames to arrive, so
// when the last one comes the label they carry (`carried`) is two frames old.
// `time` is the frame running now: `carried` two frames on, or two frames
// back when the pieces ran backwards (7 to 0). A full frame is a locate: it
// reports its label as both, with direction Unknown.
struct MtcTime {
    Timecode time;
    Timecode carried;
    TimecodeRate rate = TimecodeRate::Ebu25;
    MtcDirection direction = MtcDirection::Unknown;
    bool fullFrame = false;
    friend bool operator==(const MtcTime&, const MtcTime&) = default;
};

// Assembles MIDI timecode from raw bytes in pieces of any size: quarter
// frames (F1 0n: piece n, 0..7) and full frames (F0 7F <device> 01 01 hr mn
// sc fr F7, the rate in bits 5 and 6 of hr). A piece that does not follow the
// one before (up or down by one) starts the assembly again; a label that
// does not exist at its rate is dropped. Real-time bytes are ignored wherever
// they fall, another status byte drops what it cuts short. Allocates nothing.
class MtcDecoder {
public:
    // The time that `byte` completes, if any.
    std::optional<MtcTime> push(std::uint8_t byte);

    template <typename Sink>
    void feed(std::span<const std::uint8_t> bytes, Sink&& sink)
    {
        for (const std::uint8_t byte : bytes)
            if (const auto time = push(byte))
                sink(*time);
    }

    // The way the latest quarter frames ran.
    MtcDirection direction() const { return direction_; }

private:
    std::optional<MtcTime> quarterFrame(std::uint8_t data);
    std::optional<MtcTime> fullFrame() const;

    enum class State { Idle, QuarterFrame, SysEx };
    State state_ = State::Idle;
    std::array<std::uint8_t, 8> pieces_{};
    int lastPiece_ = -1;
    int run_ = 0;  // pieces in a row in `direction_`
    MtcDirection direction_ = MtcDirection::Unknown;
    static constexpr std::size_t SysExLength = 8;  // 7F <device> 01 01 hr mn sc fr
    std::array<std::uint8_t, SysExLength> sysEx_{};
    std::size_t sysExLength_ = 0;
    bool sysExTooLong_ = false;
};

// Writes MIDI timecode: quarter frames from a start label, in either
// direction, and full frames.
class MtcEncoder {
public:
    MtcEncoder(const Timecode& start, TimecodeRate rate, MtcDirection direction = MtcDirection::Forwards);

    // The next quarter frame (F1 0n); every eight the label moves two frames
    // on (or back).
    std::array<std::uint8_t, 2> nextQuarterFrame();

private:
    std::int64_t frame_;
    TimecodeRate rate_;
    bool forwards_;
    int sent_ = 0;  // pieces of the current label
};

// F0 7F <device> 01 01 hr mn sc fr F7.
std::array<std::uint8_t, 10> mtcFullFrame(const Timecode& time, TimecodeRate rate, std::uint8_t device = 0x7F);

}  // namespace tinctara

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tinctara {

// One message of a MIDI stream that the show may act on.
struct MidiEvent {
    enum class Kind { NoteOn, NoteOff, ControlChange, ProgramChange, ShowGo, ShowStop, ShowResume };
    Kind kind = Kind::NoteOn;
    int channel = 0;  // 1..16; 0 for show control
    int number = 0;   // note, controller or program, 0..127
    int value = 0;    // velocity or controller value, 0..127
    int cue = -1;     // show control: the cue number's whole part, -1 without one
    friend bool operator==(const MidiEvent&, const MidiEvent&) = default;
};

// Turns raw MIDI bytes, in pieces of any size as a port delivers them, into
// events: notes (velocity 0 is a note off), control and program changes with
// running status, and the show control messages GO, STOP and RESUME
// (F0 7F <device> 02 <format> <command> [cue] F7) for this device or all-call.
// Real-time bytes are ignored wherever they fall, a status byte drops a
// message it cuts short, and anything else is skipped. Allocates nothing.
class MidiDecoder {
public:
    static constexpr std::uint8_t AllCall = 0x7F;
    // Longer system exclusive messages are dropped whole.
    static constexpr std::size_t SysExLimit = 256;

    // `device`: the show control device ID to answer besides all-call;
    // AllCall takes every device's messages.
    explicit MidiDecoder(std::uint8_t device = AllCall) : device_(device) {}

    // The event that `byte` completes, if any.
    std::optional<MidiEvent> push(std::uint8_t byte);

    template <typename Sink>
    void feed(std::span<const std::uint8_t> bytes, Sink&& sink)
    {
        for (const std::uint8_t byte : bytes)
            if (const auto event = push(byte))
                sink(*event);
    }

private:
    std::optional<MidiEvent> channelMessage() const;
    std::optional<MidiEvent> showControl() const;

    std::uint8_t device_;
    std::uint8_t status_ = 0;  // the running status; 0: none
    std::array<std::uint8_t, 2> data_{};
    std::size_t dataCount_ = 0;
    bool inSysEx_ = false;
    bool sysExTooLong_ = false;
    std::array<std::uint8_t, SysExLimit> sysEx_{};  // the bytes between F0 and F7
    std::size_t sysExLength_ = 0;
};

}  // namespace tinctara

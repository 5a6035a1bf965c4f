#pragma once

#include "control/ControlSettings.h"
#include "control/MidiSequencer.h"
#include "control/MidiService.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tinctara {

// Picks MIDI timecode out of a stream of MIDI bytes in pieces of any size:
// quarter frames (F1 0n) and full frames (F0 7F <device> 01 01 hr mn sc fr
// F7), each handed on whole once its last byte came. Real-time bytes between
// a message's bytes are skipped. Allocates nothing.
class MtcMessages {
public:
    using Sink = std::function<void(std::span<const std::uint8_t>)>;
    void feed(std::span<const std::uint8_t> bytes, const Sink& sink);

private:
    static constexpr std::size_t FullFrameLength = 10;
    std::array<std::uint8_t, FullFrameLength> message_{};
    std::size_t length_ = 0;  // 0: outside a message that may be timecode
};

// MIDI input for the program and the CLI: the sequencer client and the
// service over a ShowControl. The owner waits on descriptor() and calls
// ready() when it is readable, and showChanged() after every tick.
class MidiInput : public MidiControl {
public:
    // A null opener: the ALSA sequencer.
    MidiInput(const ShowModel& model, ShowControl& control, MidiSequencerOpener open = {});
    ~MidiInput() override;

    // Opens the client when it is not running and connects from
    // settings.port when that is set and new. A port that cannot be
    // connected is said too, with the client running.
    std::string start(const MidiSettings& settings) override;
    void stop() override;
    bool running() const override { return sequencer_ != nullptr; }
    MidiSettings current() const override;
    std::vector<std::string> ports() const override;
    void learn(MidiLearnListener* listener) override { service_.learn(listener); }

    // -1 while not running.
    int descriptor() const { return sequencer_ ? sequencer_->descriptor() : -1; }
    // Carries out what waits at the descriptor.
    void ready();
    void showChanged() { service_.showChanged(); }
    MidiService& service() { return service_; }

    // Whole MIDI messages out of the output port; nothing while not running.
    void sendBytes(std::span<const std::uint8_t> bytes);
    // Every MIDI timecode message read goes to `tap` too, whole, before show
    // control hears the bytes it came in; an empty tap takes none.
    void onTimecodeBytes(MtcMessages::Sink tap) { timecodeTap_ = std::move(tap); }

private:
    MidiSequencerOpener open_;
    MidiService service_;
    std::unique_ptr<MidiSequencer> sequencer_;
    MtcMessages timecode_;
    MtcMessages::Sink timecodeTap_;
};

}  // namespace tinctara

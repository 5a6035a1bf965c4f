#pragma once

#include "control/ControlSettings.h"
#include "control/MidiSequencer.h"
#include "control/MidiService.h"

#include <memory>
#include <string>
#include <vector>

namespace tinctara {

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

private:
    MidiSequencerOpener open_;
    MidiService service_;
    std::unique_ptr<MidiSequencer> sequencer_;
};

}  // namespace tinctara

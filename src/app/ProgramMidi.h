#pragma once

#include "control/MidiInput.h"

#include <QSocketNotifier>
#include <QTimer>

#include <memory>

namespace tinctara {

// MIDI in the program: the sequencer's descriptor watched by the event loop,
// so that bindings, learning and feedback all run on the UI thread.
class ProgramMidi : public MidiControl {
public:
    ProgramMidi(const ShowModel& model, ShowControl& control, MidiSequencerOpener open = {});
    ~ProgramMidi() override;

    std::string start(const MidiSettings& settings) override;
    void stop() override;
    bool running() const override { return input_.running(); }
    MidiSettings current() const override { return input_.current(); }
    std::vector<std::string> ports() const override { return input_.ports(); }
    void learn(MidiLearnListener* listener) override { input_.learn(listener); }

    // Timecode taps and sends through the same client.
    MidiInput& input() { return input_; }

    // After every tick: the feedback notes of what changed.
    void showChanged() { input_.showChanged(); }

private:
    void watch();

    MidiInput input_;
    std::unique_ptr<QSocketNotifier> notifier_;
    // Changes made in the windows while no output ticks run are heard too.
    QTimer idle_;
};

}  // namespace tinctara

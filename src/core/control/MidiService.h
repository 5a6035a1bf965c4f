#pragma once

#include "control/ControlSettings.h"
#include "control/MidiDecoder.h"
#include "control/ShowControl.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tinctara {

// Where the feedback notes go (the sequencer's output port).
class MidiFeedback {
public:
    virtual ~MidiFeedback() = default;
    // Channel 1..16, note and velocity 0..127.
    virtual void noteOn(int channel, int note, int velocity) = 0;
};

// MIDI's side of show control: bytes from any source go through one decoder;
// note ons, control and program changes carry out the bindings learned for
// them, show control GO, STOP and RESUME drive the sequencer, and every note
// binding hears back whether its action is "on" now. Runs on the UI thread.
class MidiService {
public:
    // Velocity of a feedback note that is on; 0 is off.
    static constexpr int FeedbackOn = 127;

    MidiService(const ShowModel& model, ShowControl& control) : model_(model), control_(control) {}

    // Takes the bindings and the device ID; every feedback note is sent anew
    // at the next showChanged().
    void configure(const MidiSettings& settings);
    const MidiSettings& settings() const { return settings_; }
    // Null: no feedback.
    void setFeedback(MidiFeedback* feedback);

    // Raw bytes as a port delivers them.
    void received(std::span<const std::uint8_t> bytes);
    void handle(const MidiEvent& event);

    // The next note on, control or program change goes to `listener` and
    // carries out nothing; learning then ends. Null ends it at once.
    void learn(MidiLearnListener* listener) { learner_ = listener; }
    bool learning() const { return learner_ != nullptr; }

    // Sends the feedback notes whose state differs from what was sent last.
    // Cheap and allocation-free: called after every tick and action.
    void showChanged();

private:
    void trigger(const MidiEvent& event);
    void perform(const MidiBinding& binding, int value);
    void showControl(const MidiEvent& event);
    // Whether a note binding's action is on now; nothing for actions without a state.
    std::optional<bool> state(const MidiBinding& binding) const;
    bool selectionIsMemory(int memory) const;
    bool allSelected() const;

    const ShowModel& model_;
    ShowControl& control_;
    MidiSettings settings_;
    MidiDecoder decoder_;
    MidiFeedback* feedback_ = nullptr;
    MidiLearnListener* learner_ = nullptr;
    // Per binding: the velocity last sent (-1: nothing yet), and for a control
    // change whether it stands at 64 or above.
    std::vector<int> sent_;
    std::vector<bool> high_;
};

}  // namespace tinctara

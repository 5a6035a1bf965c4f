#pragma once

#include "control/ControlSettings.h"

#include <string>
#include <vector>

namespace tinctara::testing {

// A service that records every start and stop; `problem` makes the next
// start fail.
template <typename Control, typename Settings>
class FakeService : public Control {
public:
    std::string start(const Settings& settings) override
    {
        starts.push_back(settings);
        isRunning = problem.empty();
        if (isRunning)
            now = settings;
        return problem;
    }
    void stop() override
    {
        ++stops;
        isRunning = false;
    }
    bool running() const override { return isRunning; }
    Settings current() const override { return now; }

    std::vector<Settings> starts;
    int stops = 0;
    bool isRunning = false;
    Settings now;
    std::string problem;
};

class FakeOscControl : public FakeService<OscControl, OscSettings> {
public:
    std::vector<std::string> addresses() const override { return {"127.0.0.1", "192.168.7.20"}; }
    OscCounters counters() const override { return counted; }
    OscCounters counted;
};

// Hands a played message to whoever learns, as the sequencer client does:
// once, then learning is over.
class FakeMidiControl : public FakeService<MidiControl, MidiSettings> {
public:
    std::vector<std::string> ports() const override { return {"Pad:0", "Keys:1"}; }
    void learn(MidiLearnListener* to) override { listener = to; }

    // A message from the controller: true when a learner took it.
    bool play(const MidiEvent& event)
    {
        MidiLearnListener* to = listener;
        listener = nullptr;
        if (to)
            to->learned(event);
        return to != nullptr;
    }
    static MidiEvent note(int channel, int number) { return {MidiEvent::Kind::NoteOn, channel, number, 100}; }
    static MidiEvent control(int channel, int number) { return {MidiEvent::Kind::ControlChange, channel, number, 64}; }
    static MidiEvent program(int channel, int number) { return {MidiEvent::Kind::ProgramChange, channel, number, 0}; }

    MidiLearnListener* listener = nullptr;
};

}  // namespace tinctara::testing

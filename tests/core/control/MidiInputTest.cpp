#include "control/MidiInput.h"

#include "support/ControlHarness.h"

#include <gtest/gtest.h>

#include <deque>
#include <tuple>

namespace tinctara {
namespace {

using Bytes = std::vector<std::uint8_t>;

// What the fake sequencers of one test share: the messages waiting, the
// connections asked for and the notes sent.
struct FakeMachine {
    bool present = true;
    int opened = 0;
    int open = 0;
    std::deque<Bytes> waiting;
    std::vector<std::string> connected;
    std::vector<std::tuple<int, int, int>> notes;
};

class FakeSequencer : public MidiSequencer {
public:
    explicit FakeSequencer(FakeMachine& machine) : machine_(machine) { ++machine_.open; }
    ~FakeSequencer() override { --machine_.open; }
    int descriptor() const override { return 42; }
    void read(const Sink& sink) override
    {
        while (!machine_.waiting.empty()) {
            const Bytes bytes = machine_.waiting.front();
            machine_.waiting.pop_front();
            sink(bytes);
        }
    }
    std::string connectFrom(const std::string& port) override
    {
        if (port == "Weg:0")
            return "nicht da";
        machine_.connected.push_back(port);
        return {};
    }
    std::vector<std::string> readablePorts() const override { return {"Pult:Tasten"}; }
    void noteOn(int channel, int note, int velocity) override { machine_.notes.emplace_back(channel, note, velocity); }

private:
    FakeMachine& machine_;
};

struct InputHarness : testing::ControlHarness {
    MidiSequencerOpener opener()
    {
        return [this](std::string& problem) -> std::unique_ptr<MidiSequencer> {
            if (!machine.present) {
                problem = "kein Sequencer";
                return nullptr;
            }
            ++machine.opened;
            return std::make_unique<FakeSequencer>(machine);
        };
    }
    FakeMachine machine;
    MidiInput input{model, control, opener()};
};

MidiSettings withPlayOn60(const std::string& port)
{
    MidiSettings settings;
    settings.port = port;
    settings.bindings = {{ShowAction::Kind::Play, 0, MidiTrigger::Note, 1, 60}};
    return settings;
}

TEST(MidiInput, StartsOnceConnectsNewPortsAndCarriesOutWhatComes)
{
    InputHarness h;
    EXPECT_EQ(h.input.descriptor(), -1);
    EXPECT_EQ(h.input.ports(), (std::vector<std::string>{"Pult:Tasten"}));  // a client for the moment
    EXPECT_EQ(h.machine.open, 0);

    EXPECT_EQ(h.input.start(withPlayOn60("Pult:Tasten")), "");
    EXPECT_TRUE(h.input.running());
    EXPECT_EQ(h.input.descriptor(), 42);
    EXPECT_TRUE(h.input.current().enabled);
    EXPECT_EQ(h.input.current().bindings, withPlayOn60("").bindings);
    // The feedback note at the start: not playing.
    EXPECT_EQ(h.machine.notes, (std::vector<std::tuple<int, int, int>>{{1, 60, 0}}));

    // Started again: the same client, its connection kept; a new port joins it.
    EXPECT_EQ(h.input.start(withPlayOn60("Pult:Tasten")), "");
    EXPECT_EQ(h.input.start(withPlayOn60("Weg:0")), "nicht da");
    EXPECT_TRUE(h.input.running());
    EXPECT_EQ(h.machine.opened, 2);  // one for the list, one that runs
    EXPECT_EQ(h.machine.connected, (std::vector<std::string>{"Pult:Tasten"}));

    h.model.StepCount = 1;
    h.model.setState(StateFlag::SequencePresent);
    h.machine.waiting = {{0x90, 60}, {100}};  // a message split over two events
    h.machine.notes.clear();
    h.input.ready();
    EXPECT_TRUE(h.model.hasState(StateFlag::SequencePlaying));
    EXPECT_EQ(h.machine.notes, (std::vector<std::tuple<int, int, int>>{{1, 60, 127}}));

    h.input.stop();
    EXPECT_FALSE(h.input.running());
    EXPECT_FALSE(h.input.current().enabled);
    EXPECT_EQ(h.machine.open, 0);
    h.input.showChanged();  // nowhere to send: nothing happens
    EXPECT_EQ(h.input.descriptor(), -1);
}

TEST(MidiInput, WithoutASequencerItSaysWhyAndStaysOff)
{
    InputHarness h;
    h.machine.present = false;
    EXPECT_EQ(h.input.start(withPlayOn60("")), "kein Sequencer");
    EXPECT_FALSE(h.input.running());
    EXPECT_TRUE(h.input.ports().empty());
    h.input.ready();
}

}  // namespace
}  // namespace tinctara

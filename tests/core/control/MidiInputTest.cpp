#include "control/MidiInput.h"

#include "support/ControlHarness.h"
#include "support/FakeMidiSequencer.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tinctara {
namespace {

struct InputHarness : testing::ControlHarness {
    testing::FakeMidiMachine machine;
    MidiInput input{model, control, machine.opener()};
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
    EXPECT_EQ(h.input.descriptor(), h.machine.ends[0]);
    EXPECT_TRUE(h.input.current().enabled);
    EXPECT_EQ(h.input.current().bindings, withPlayOn60("").bindings);
    // The feedback note at the start: not playing.
    EXPECT_EQ(h.machine.notes, (std::vector<std::tuple<int, int, int>>{{1, 60, 0}}));

    // Started again: the same client, its connection kept; a new port joins it.
    EXPECT_EQ(h.input.start(withPlayOn60("Pult:Tasten")), "");
    EXPECT_EQ(h.input.start(withPlayOn60("Weg:0")), "nicht da: Weg:0");
    EXPECT_TRUE(h.input.running());
    EXPECT_EQ(h.machine.opened, 2);  // one for the list, one that runs
    EXPECT_EQ(h.machine.connected, (std::vector<std::string>{"Pult:Tasten"}));

    h.model.StepCount = 1;
    h.model.setState(StateFlag::SequencePresent);
    ASSERT_TRUE(h.machine.send({0x90, 60}));  // a message split over two events
    ASSERT_TRUE(h.machine.send({100}));
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

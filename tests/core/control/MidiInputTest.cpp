#include "control/MidiInput.h"

#include "support/ControlHarness.h"
#include "support/FakeMidiSequencer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace tinctara {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(MidiInput, TimecodeReachesTheTapWhileNotesStillReachTheShow)
{
    testing::ControlHarness h;  // memory K holds K and K + 2
    testing::FakeMidiMachine machine;
    MidiInput midi(h.model, h.control, machine.opener());
    std::vector<Bytes> tapped;
    midi.onTimecodeBytes([&](std::span<const std::uint8_t> bytes) { tapped.emplace_back(bytes.begin(), bytes.end()); });
    MidiSettings settings;
    settings.bindings = {{ShowAction::Kind::Memory, 1, MidiTrigger::Note, 1, 60}};
    ASSERT_EQ(midi.start(settings), "");

    // What the port delivers, one event each.
    const std::vector<Bytes> events = {
        {0xF1, 0x25},
        {0x90, 60, 100, 0xF1, 0x31},                                   // a note and a quarter frame together
        {0xF0, 0x7F, 0x7F, 0x01},                                      // a full frame in two pieces,
        {0x01, 0x21, 0x02, 0xF8, 0x03, 0x04, 0xF7},                    // a clock byte amid it
        {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7},                          // another system exclusive
        {0xF0, 0x7F, 0x7F, 0x01, 0x01, 0x21, 0x02, 0xF7},              // a full frame cut short
        {0xF0, 0x7F, 0x7F, 0x01, 0x02, 0x21, 0x02, 0x03, 0x04, 0xF7},  // not a full frame
        {0xF1, 0x90, 61, 0},                                           // a quarter frame cut off by a note
    };
    for (const Bytes& event : events)
        ASSERT_TRUE(machine.send(event));
    midi.ready();

    EXPECT_EQ(tapped, (std::vector<Bytes>{
                          {0xF1, 0x25}, {0xF1, 0x31}, {0xF0, 0x7F, 0x7F, 0x01, 0x01, 0x21, 0x02, 0x03, 0x04, 0xF7}}));
    EXPECT_EQ(h.selected(), (std::vector<int>{1, 3}));

    // An empty tap takes nothing.
    midi.onTimecodeBytes({});
    ASSERT_TRUE(machine.send({0xF1, 0x25}));
    midi.ready();
    EXPECT_EQ(tapped.size(), 3u);
}

TEST(MidiInput, BytesGoOutOnlyWhileRunning)
{
    testing::ControlHarness h;
    testing::FakeMidiMachine machine;
    MidiInput midi(h.model, h.control, machine.opener());
    const Bytes quarter{0xF1, 0x07};

    midi.sendBytes(quarter);
    ASSERT_EQ(midi.start({}), "");
    midi.sendBytes(quarter);
    midi.stop();
    midi.sendBytes(quarter);
    EXPECT_EQ(machine.sent, std::vector<Bytes>{quarter});
}

}  // namespace
}  // namespace tinctara

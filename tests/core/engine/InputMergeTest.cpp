#include "support/EngineHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace tinctara {
namespace {

using testing::EngineHarness;

// The kinds whose frames live in different places: card memory through the
// ports, the byte frame, the wide frame.
struct Kind {
    InterfaceKind type;
    const char* name;
};
const Kind kinds[] = {
    {Interface::IsaCard7301AB, "ISA"}, {Interface::UsbInterface, "USB"}, {Interface::PciCard7304, "library"}};

// A 2 x 1 wall (channels 1..8 patched) on the interface kind given, with a
// desk's universe beside it.
struct MergeShow : EngineHarness {
    explicit MergeShow(InterfaceKind type = Interface::UsbInterface)
    {
        buildWall(2, 1);
        model.TimingBlockPending = 0;
        model.CardBaseAddress = 0x120;
        model.InterfaceType = type;
    }

    void merge(InputMerge mode) { engine.mergeInput(&input, mode); }

    // The desk sends level on channels 1..covered.
    void send(int channel, int level, std::size_t covered = NetworkSlots, bool live = true)
    {
        input.levels[static_cast<std::size_t>(channel - 1)] = static_cast<std::uint8_t>(level);
        input.covered = live ? covered : 0;
        input.live = live;
        ++input.version;
    }

    // A level the frame holds from before, on a channel no build writes.
    void leaveOlderLevel(int channel, int level)
    {
        const auto index = static_cast<std::size_t>(channel - 1);
        bus.cardMemory[0x3FFu + static_cast<unsigned>(channel)] = static_cast<std::uint8_t>(level);
        model.DmxFrame[index] = static_cast<std::uint8_t>(level);
        model.DmxFrameWide[index] = static_cast<std::uint32_t>(level);
    }

    DmxInputFrame input;
};

TEST(InputMerge, HtpAndInputFirstPerChannel)
{
    // Channel 1 is patched (the program's level is element 1's red), channel
    // 9 is not (the frame keeps 33 from before), channel 400 lies beyond
    // what the desk covers in most rows.
    struct Case {
        int program, input;
        std::size_t covered;
        bool live;
        int htp1, first1, htp9, first9, htp400, first400;
    } cases[] = {
        {100, 50, 20, true, 100, 50, 50, 50, 0, 0},
        {20, 200, 20, true, 200, 200, 200, 200, 0, 0},
        {0, 0, 20, true, 0, 0, 33, 0, 0, 0},
        {255, 255, 512, true, 255, 255, 255, 255, 255, 255},
        {70, 10, 512, true, 70, 10, 33, 10, 10, 10},
        {20, 200, 5, true, 200, 200, 33, 33, 0, 0},   // channel 9 beyond the desk's slots
        {20, 200, 512, false, 20, 20, 33, 33, 0, 0},  // nothing live: the program alone
    };
    for (const Kind& kind : kinds)
        for (const InputMerge mode : {InputMerge::Htp, InputMerge::InputFirst})
            for (const auto& c : cases) {
                MergeShow show(kind.type);
                show.leaveOlderLevel(9, 33);
                show.setElement(1, c.program, 0, 0, 0);
                for (const int channel : {1, 9, 400})
                    show.send(channel, c.input, c.covered, c.live);
                show.merge(mode);
                show.tick();
                const bool htp = mode == InputMerge::Htp;
                const std::string what = std::string(kind.name) + (htp ? " HTP " : " input first ") +
                                         std::to_string(c.program) + "/" + std::to_string(c.input) + " covered " +
                                         std::to_string(c.covered) + (c.live ? "" : " lost");
                EXPECT_EQ(show.wire(1), htp ? c.htp1 : c.first1) << what;
                EXPECT_EQ(show.wire(9), htp ? c.htp9 : c.first9) << what;
                EXPECT_EQ(show.wire(400), htp ? c.htp400 : c.first400) << what;
                EXPECT_EQ(show.wire(2), 0) << what << ": a channel the desk sends 0 on";
            }
}

TEST(InputMerge, LtpFollowsWhoChangedTheChannelLast)
{
    // Tick by tick on channel 1 (program: element 1's red).
    struct Tick {
        int program, input;
        std::size_t covered;
        bool live;
        int wire;
        const char* why;
    } ticks[] = {
        {100, 50, 512, true, 100, "the merge begins: a level that appears is no change"},
        {100, 60, 512, true, 60, "the desk moves"},
        {100, 60, 512, true, 60, "nobody moves: the desk keeps it"},
        {120, 60, 512, true, 120, "the program moves"},
        {130, 70, 512, true, 70, "both move in one tick: the desk"},
        {130, 10, 512, true, 10, "the desk may go lower than the program"},
        {130, 20, 0, true, 130, "the channel is no longer covered"},
        {130, 80, 512, true, 130, "covered again: its first level is no change"},
        {130, 90, 512, true, 90, "the desk moves"},
        {130, 90, 512, false, 130, "every source lost: the program"},
        {130, 90, 512, true, 130, "back: the merge begins afresh"},
        {140, 90, 512, true, 140, "the program moves"},
        {140, 90, 512, true, 140, "nobody moves: the program keeps it"},
    };
    for (const Kind& kind : kinds) {
        MergeShow show(kind.type);
        show.merge(InputMerge::Ltp);
        int number = 0;
        for (const auto& t : ticks) {
            ++number;
            show.setElement(1, t.program, 0, 0, 0);
            show.send(1, t.input, t.covered, t.live);
            show.tick();
            EXPECT_EQ(show.wire(1), t.wire) << kind.name << " tick " << number << ": " << t.why;
        }
    }
}

TEST(InputMerge, SwitchingModesStartsLtpAfresh)
{
    MergeShow show;
    show.setElement(1, 100, 0, 0, 0);
    show.send(1, 150);
    show.merge(InputMerge::Htp);
    show.tick();
    EXPECT_EQ(show.wire(1), 150);
    show.merge(InputMerge::Ltp);
    show.tick();
    EXPECT_EQ(show.wire(1), 100) << "the desk did not move since HTP";
    show.send(1, 40);
    show.tick();
    EXPECT_EQ(show.wire(1), 40);
    show.merge(InputMerge::InputFirst);
    show.tick();
    show.merge(InputMerge::Ltp);
    show.tick();
    EXPECT_EQ(show.wire(1), 100) << "LTP again: the program holds until someone moves";
}

TEST(InputMerge, EveryTickOfAPlayedSequenceMergesWithTheProgramsFrame)
{
    // The twin without input gives the program's frame of each tick (load,
    // hold and fade ticks alike); the desk's levels change on every tick.
    const auto program = [](MergeShow& show) {
        for (int step = 1; step <= 3; ++step)
            for (int element = 1; element <= 2; ++element)
                show.setStep(step, element, step * 60, 255 - step * 50, element * 70, step * 20, 1, 3);
        show.model.StepCount = 3;
        show.play();
    };
    for (const Kind& kind : kinds)
        for (const InputMerge mode : {InputMerge::Htp, InputMerge::InputFirst}) {
            MergeShow merged(kind.type);
            MergeShow twin(kind.type);
            program(merged);
            program(twin);
            merged.merge(mode);
            const std::size_t covered = 6;
            for (int tick = 0; tick < 20; ++tick) {
                for (int channel = 1; channel <= 10; ++channel)
                    merged.send(channel, (tick * 37 + channel * 23) % 256, covered);
                merged.tick();
                twin.tick();
                for (int channel = 1; channel <= 10; ++channel) {
                    const int in = merged.input.levels[static_cast<std::size_t>(channel - 1)];
                    const int own = twin.wire(channel);
                    const int expected = channel > static_cast<int>(covered) ? own
                                         : mode == InputMerge::Htp           ? std::max(own, in)
                                                                             : in;
                    ASSERT_EQ(merged.wire(channel), expected)
                        << kind.name << " tick " << tick << " channel " << channel;
                }
            }
        }
}

TEST(InputMerge, OffSendsExactlyWhatNoInputSends)
{
    const auto program = [](MergeShow& show) {
        for (int step = 1; step <= 3; ++step)
            show.setStep(step, 1, step * 80, step, 200 - step, 7, 2, 4);
        show.model.StepCount = 3;
        show.play();
    };
    for (const Kind& kind : kinds) {
        MergeShow off(kind.type);
        MergeShow none(kind.type);
        program(off);
        program(none);
        for (int channel = 1; channel <= 512; ++channel)
            off.send(channel, 255);
        off.merge(InputMerge::Off);
        for (int tick = 0; tick < 25; ++tick) {
            off.tick();
            none.tick();
            ASSERT_EQ(off.model.DmxFrame, none.model.DmxFrame) << kind.name << " tick " << tick;
            ASSERT_EQ(off.model.DmxFrameWide, none.model.DmxFrameWide) << kind.name << " tick " << tick;
        }
        EXPECT_EQ(off.bus.accesses, none.bus.accesses) << kind.name << ": the same port reads and writes";
        EXPECT_EQ(off.bus.cardMemory, none.bus.cardMemory) << kind.name;
        ASSERT_EQ(off.usb.calls.size(), none.usb.calls.size()) << kind.name;
        for (std::size_t i = 0; i < off.usb.calls.size(); ++i)
            EXPECT_EQ(off.usb.calls[i].buffer, none.usb.calls[i].buffer) << kind.name << " call " << i;
        ASSERT_EQ(off.cardLibrary.calls.size(), none.cardLibrary.calls.size()) << kind.name;
        for (std::size_t i = 0; i < off.cardLibrary.calls.size(); ++i)
            EXPECT_EQ(off.cardLibrary.calls[i].function, none.cardLibrary.calls[i].function) << kind.name;
    }
}

TEST(InputMerge, NoInputLevelLingersWhenTheMergeEnds)
{
    // Channels 9 and 10 are not patched: the frame keeps 33 on 9 from before
    // and nothing on 10. However the merge ends, the program's levels return.
    struct Case {
        const char* how;
        void (*end)(MergeShow&);
    } cases[] = {
        {"switched off", [](MergeShow& show) { show.merge(InputMerge::Off); }},
        {"input taken away", [](MergeShow& show) { show.engine.mergeInput(nullptr, InputMerge::Htp); }},
        {"every source lost",
         [](MergeShow& show) {
             show.input.levels.fill(0);
             show.send(1, 0, 0, false);
         }},
    };
    for (const Kind& kind : kinds)
        for (const auto& c : cases) {
            MergeShow show(kind.type);
            show.leaveOlderLevel(9, 33);
            show.setElement(1, 10, 20, 30, 40);
            for (int channel = 1; channel <= 12; ++channel)
                show.send(channel, 200, 12);
            show.merge(InputMerge::InputFirst);
            show.tick(3);
            ASSERT_EQ(show.wire(1, 12), std::vector<int>(12, 200)) << kind.name;
            c.end(show);
            show.tick();
            EXPECT_EQ(show.wire(1, 12), (std::vector<int>{10, 20, 30, 40, 0, 0, 0, 0, 33, 0, 0, 0}))
                << kind.name << ", " << c.how;
            show.bus.accesses.clear();
            show.tick();
            EXPECT_EQ(show.bus.cardWrites().size(), kind.type == Interface::IsaCard7301AB ? 8u : 0u)
                << kind.name << ", " << c.how << ": written back once, then only the build";
        }
}

TEST(InputMerge, TestLevelsGoOutUnmerged)
{
    for (const Kind& kind : kinds) {
        MergeShow show(kind.type);
        show.setElement(1, 10, 0, 0, 0);
        show.send(1, 200);
        show.send(2, 200);
        show.merge(InputMerge::Htp);
        show.tick();
        show.model.setState(StateFlag::TestMode);
        show.model.TestLevels[0] = 5;
        show.tick();
        EXPECT_EQ(show.wire(1, 3), (std::vector<int>{5, 0, 0})) << kind.name;
        show.model.clearState(StateFlag::TestMode);
        show.tick();
        EXPECT_EQ(show.wire(1, 3), (std::vector<int>{200, 200, 0})) << kind.name << ": merged again";
    }
}

TEST(InputMerge, MonitorRowsShowTheMergedLevels)
{
    for (const Kind& kind : kinds) {
        MergeShow show(kind.type);
        show.model.setState(StateFlag::DmxMonitorOn);
        const MonitoredChannels channels{1, 2, 9, 0, 0, 0, 0, 0};
        show.engine.watchChannels(channels);
        show.setElement(1, 100, 100, 0, 0);
        show.send(1, 30);
        show.send(9, 150);
        show.merge(InputMerge::Htp);
        show.tick();
        EXPECT_EQ(show.view.monitorValues, (std::array<int, 8>{100, 100, 150, -1, -1, -1, -1, -1})) << kind.name;
    }
}

TEST(InputMerge, OutsideWritesToAFrameInMemoryCountAsTheProgramsLevels)
{
    // The sequencer's "clear all" sets every channel of the frame to 0; an
    // interface opening clears it too. The merge must not bring the older
    // level back when it ends.
    // Card memory is not read back every tick: there the sequencer says so.
    for (const InterfaceKind type : {Interface::UsbInterface, Interface::PciCard7304, Interface::IsaCard7301AB}) {
        MergeShow show(type);
        show.leaveOlderLevel(9, 33);
        show.send(9, 0);
        show.merge(InputMerge::Htp);
        show.tick();
        ASSERT_EQ(show.wire(9), 33);
        for (int channel = 1; channel <= DmxChannels; ++channel)
            portFor(type).clearChannel(show.model, show.bus, channel);
        show.engine.outputsCleared();
        show.tick();
        EXPECT_EQ(show.wire(9), 0) << type;
        show.merge(InputMerge::Off);
        show.tick();
        EXPECT_EQ(show.wire(9), 0) << type;

        // Cleared while no interface took frames; the merge ends only when
        // the interface is back.
        show.leaveOlderLevel(9, 33);
        show.merge(InputMerge::Htp);
        show.send(9, 100);
        show.tick();
        ASSERT_EQ(show.wire(9), 100);
        show.model.InterfaceType = Interface::NoInterface;
        show.tick();
        for (int channel = 1; channel <= DmxChannels; ++channel)
            portFor(type).clearChannel(show.model, show.bus, channel);
        show.engine.outputsCleared();
        show.merge(InputMerge::Off);
        show.model.InterfaceType = type;
        show.tick();
        EXPECT_EQ(show.wire(9), 0) << type << ": cleared while the merge stood still";
    }
}

TEST(InputMerge, ChangingTheInterfaceWhileMergingGivesTheOldFrameBackItsLevels)
{
    MergeShow show(Interface::UsbInterface);
    show.leaveOlderLevel(9, 33);
    show.send(9, 200);
    show.merge(InputMerge::Htp);
    show.tick();
    ASSERT_EQ(show.model.DmxFrame[8], 200);
    show.model.InterfaceType = Interface::PciCard7304;
    show.tick();
    EXPECT_EQ(show.model.DmxFrame[8], 33) << "the byte frame no longer merged";
    EXPECT_EQ(show.model.DmxFrameWide[8], 200u);
}

}  // namespace
}  // namespace tinctara

#include "support/EngineHarness.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

using testing::channelsEqual;
using testing::EngineHarness;

// A one-element show without an interface whose steps differ only in red.
struct RedFade : EngineHarness {
    RedFade(int wallRed, std::vector<int> stepReds, int hold, int blend)
    {
        buildWall(1, 1);
        setElement(1, wallRed, 0, 0, 0);
        for (std::size_t i = 0; i < stepReds.size(); ++i)
            setStep(static_cast<int>(i) + 1, 1, stepReds[i], 0, 0, 0, hold, blend);
        model.StepCount = static_cast<std::uint8_t>(stepReds.size());
    }
};

TEST(OutputEngine, StepCycleLoadHoldFadeAndLoop)
{
    RedFade show(0, {0, 40}, 2, 4);
    show.play();
    std::vector<std::string> labels;
    std::vector<int> steps;
    for (int i = 0; i < 15; ++i) {
        show.tick();
        labels.push_back(show.view.lastLabel());
        steps.push_back(show.model.CurrentStep);
    }
    const std::vector<std::string> expectedLabels{
        "Blend 4", "Hold  2", "Hold  1", "Blend 3", "Blend 2", "Blend 1", "Blend 0",  // step 1: 7 ticks
        "Blend 4", "Hold  2", "Hold  1", "Blend 3", "Blend 2", "Blend 1", "Blend 0",  // step 2
        "Blend 4"};                                                                   // step 1 again
    EXPECT_EQ(labels, expectedLabels);
    const std::vector<int> expectedSteps{2, 2, 2, 2, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 2};
    EXPECT_EQ(steps, expectedSteps);
    EXPECT_EQ(show.view.sequencerFields, (std::array<std::string, 3>{" 2", " 4", " 2"}));
}

TEST(OutputEngine, FadeLevelsTickByTick)
{
    struct Case {
        int from, to, blend;
        std::vector<int> levels;
    } cases[] = {
        {0, 255, 5, {51, 102, 153, 204, 255}},
        {10, 13, 4, {11, 12, 12, 13}},  // 10.75, 11.5 (to even 12), 12.25, 13
        {255, 0, 5, {204, 153, 102, 51, 0}},
        {200, 100, 50, {}},
    };
    for (const auto& c : cases) {
        RedFade show(c.from, {c.from, c.to}, 0, c.blend);
        show.play();
        show.tick();  // load
        std::vector<int> levels;
        for (int i = 0; i < c.blend; ++i) {
            show.tick();
            levels.push_back(show.model.colour(Red, 1));
        }
        if (!c.levels.empty()) {
            EXPECT_EQ(levels, c.levels) << c.from << " -> " << c.to;
        }
        EXPECT_EQ(levels.back(), c.to) << "the fade must end exactly on the next picture";
    }
}

TEST(OutputEngine, PlaybackStartsFromThePictureOnTheWall)
{
    RedFade show(100, {0, 200}, 1, 2);
    show.play();
    show.tick(2);  // load, hold
    EXPECT_EQ(show.model.colour(Red, 1), 100);
    show.tick();
    EXPECT_EQ(show.model.colour(Red, 1), 150);  // halfway from the wall's 100 to step 2's 200
    show.tick();
    EXPECT_EQ(show.model.colour(Red, 1), 200);
}

TEST(OutputEngine, TestModeFreezesPlaybackOnlyWhereFramesAreSent)
{
    // USB: frames are sent, so test mode holds the sequence where it stands.
    RedFade usb(0, {0, 100, 50}, 1, 10);
    usb.model.InterfaceType = Interface::UsbInterface;
    usb.model.TestLevels[0] = 42;
    usb.play();
    usb.tick(4);
    const auto label = usb.view.labels.size();
    const auto step = usb.model.CurrentStep;
    const auto red = usb.model.colour(Red, 1);
    usb.model.setState(StateFlag::TestMode);
    usb.tick(20);
    EXPECT_EQ(usb.view.labels.size(), label);
    EXPECT_EQ(usb.model.CurrentStep, step);
    EXPECT_EQ(usb.model.colour(Red, 1), red);
    EXPECT_EQ(usb.model.DmxFrame[0], 42);
    usb.model.clearState(StateFlag::TestMode);
    usb.tick();
    EXPECT_EQ(usb.view.lastLabel(), "Blend 7");  // resumes where it stood
    EXPECT_EQ(usb.model.DmxFrame[0], usb.model.colour(Red, 1));

    // No interface: the wall keeps playing.
    RedFade none(0, {0, 100}, 1, 10);
    none.play();
    none.model.setState(StateFlag::TestMode);
    none.tick(6);
    EXPECT_EQ(none.view.lastLabel(), "Blend 6");
    EXPECT_EQ(none.model.colour(Red, 1), 40);
}

TEST(OutputEngine, JumpToStepWhileStoppedSendsThatPicture)
{
    EngineHarness show;
    show.buildWall(2, 1);
    show.model.InterfaceType = Interface::UsbInterface;
    for (int step = 1; step <= 6; ++step)
        show.setStep(step, 1, step * 10, 0, 0, 0, step, 5 + step);
    show.model.StepCount = 6;
    show.model.CurrentStep = 4;
    show.engine.JumpToStep();

    EXPECT_EQ(show.timer.history, (std::vector<bool>{false, true}));
    EXPECT_EQ(show.view.lastTitle(), "Linux: QOR DMX TINCTARA  ....stopped: Scene change");
    EXPECT_EQ(show.view.lastLabel(), "Auf Szene Nr 4 gesprungen.");
    EXPECT_EQ(show.view.sequencerFields, (std::array<std::string, 3>{" 4", " 9", " 4"}));
    EXPECT_EQ(show.model.colour(Red, 1), 40);
    EXPECT_EQ(show.view.elementColours.at(0), (Rgb{40, 0, 0}));

    show.tick();
    EXPECT_EQ(show.model.DmxFrame[0], 40);
    EXPECT_EQ(show.model.CurrentStep, 4);
}

TEST(OutputEngine, JumpToStepWhilePlayingPlaysOnFromIt)
{
    EngineHarness show;
    show.buildWall(1, 1);
    for (int step = 1; step <= 6; ++step)
        show.setStep(step, 1, step * 10, 0, 0, 0, 3, 5);
    show.model.StepCount = 6;
    show.play();
    show.tick(5);
    show.model.CurrentStep = 4;
    show.engine.JumpToStep();
    show.tick();  // loads step 4's times
    EXPECT_EQ(show.model.CurrentStep, 5);
    EXPECT_EQ(show.model.HoldCounter, 3);
    show.tick(3);
    EXPECT_EQ(show.model.colour(Red, 1), 40);
    show.tick(5);
    EXPECT_EQ(show.model.colour(Red, 1), 50);
}

TEST(OutputEngine, TimingBlockUploadSetsTheChannelCount)
{
    EngineHarness show;
    show.model.InterfaceType = Interface::IsaCard7301AB;
    show.model.CardBaseAddress = 0x120;
    const std::int16_t timing[] = {60, 0, 0, 228, 1, 0, 300, 0, 0, 7, 99};
    std::copy(std::begin(timing), std::end(timing), show.model.DmxTiming.begin());
    show.model.TimingBlockPending = 1;
    show.tick();

    EXPECT_EQ(show.model.ChannelCount, 484);
    EXPECT_EQ(show.model.TimingBlockPending, 0);
    const auto writes = show.bus.cardWrites();
    ASSERT_EQ(writes.size(), 10u);  // no element is patched: only the block
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(writes[i].first, 0x3F0 + i);
        EXPECT_EQ(writes[i].second, static_cast<std::uint8_t>(timing[i] & 0xFF));
    }
    EXPECT_EQ(show.bus.cardMemory[0x3F6], 44);  // 300 reaches the card as its low byte

    show.bus.accesses.clear();
    show.tick();
    EXPECT_TRUE(show.bus.cardWrites().empty());  // uploaded once

    EngineHarness seven301c;
    seven301c.model.InterfaceType = Interface::IsaCard7301C;
    seven301c.model.CardBaseAddress = 0x120;
    seven301c.model.TimingBlockPending = 1;
    seven301c.tick();
    EXPECT_TRUE(seven301c.bus.cardWrites().empty());
    EXPECT_EQ(seven301c.model.TimingBlockPending, 1);
}

TEST(OutputEngine, IsaTickWritesTheFrameAndStartsTheCard)
{
    EngineHarness show;
    show.buildWall(2, 1);
    show.model.TimingBlockPending = 0;
    show.model.InterfaceType = Interface::IsaCard7301AB;
    show.model.CardBaseAddress = 0x120;
    show.setElement(2, 1, 2, 3, 4);
    show.tick();

    const std::vector<std::uint8_t> channels1to8(show.bus.cardMemory.begin() + 0x400,
                                                 show.bus.cardMemory.begin() + 0x408);
    EXPECT_EQ(channels1to8, (std::vector<std::uint8_t>{0, 0, 0, 0, 1, 2, 3, 4}));
    EXPECT_EQ(show.bus.accesses.back(), (testing::RecordingPortBus::Access{false, 0x123, 0}));
    EXPECT_TRUE(show.timer.enabled);
    EXPECT_EQ(show.view.lastTitle(), "Linux: QOR DMX TINCTARA  ....running. DMX started. Interface = ");
    EXPECT_EQ(show.view.dmxChecks.back(), std::make_pair(true, false));
}

TEST(OutputEngine, IsaWithoutCardBasePlaysOnTheWallOnly)
{
    RedFade show(0, {0, 100}, 0, 4);
    show.model.InterfaceType = Interface::IsaCard7301AB;
    show.model.CardBaseAddress = 0;
    show.play();
    show.tick(5);
    EXPECT_EQ(show.model.colour(Red, 1), 100);
    EXPECT_TRUE(show.bus.accesses.empty());
    EXPECT_TRUE(show.view.titles.empty());
}

TEST(OutputEngine, UsbAndLibrarySendsInOrder)
{
    EngineHarness usb;
    usb.buildWall(1, 1);
    usb.setElement(1, 9, 8, 7, 6);
    usb.model.InterfaceType = Interface::UsbInterface;
    usb.tick();
    ASSERT_EQ(usb.usb.calls.size(), 2u);
    EXPECT_EQ(usb.usb.calls[0].command, 5);
    EXPECT_EQ(usb.usb.calls[0].parameter, 0);
    EXPECT_EQ(usb.usb.calls[0].buffer, (std::vector<std::uint8_t>{0}));
    EXPECT_EQ(usb.usb.calls[1].command, 4);
    EXPECT_EQ(usb.usb.calls[1].parameter, 512);
    EXPECT_TRUE(channelsEqual(usb.usb.calls[1].buffer, 1, {9, 8, 7, 6, 0}));

    for (InterfaceKind type : {Interface::PcmciaCard8301, Interface::PciCard7304}) {
        EngineHarness library;
        library.buildWall(1, 1);
        library.setElement(1, 9, 8, 7, 6);
        library.model.InterfaceType = type;
        library.tick();
        ASSERT_EQ(library.cardLibrary.calls.size(), 2u);
        EXPECT_EQ(library.cardLibrary.calls[0].function, 1);
        EXPECT_EQ(library.cardLibrary.calls[1].function, 2);
        for (const auto& call : library.cardLibrary.calls) {
            EXPECT_EQ(*call.handle, library.model.LibraryCardHandle);
            EXPECT_TRUE(channelsEqual(call.frame, 1, {9, 8, 7, 6, 0}));
        }
        EXPECT_TRUE(channelsEqual(library.model.DmxFrameWide, 1, {9, 8, 7, 6}));
        EXPECT_TRUE(library.usb.calls.empty());
    }

    EngineHarness unknown;
    unknown.model.InterfaceType = static_cast<InterfaceKind>(9);  // no kind the program knows
    unknown.tick();
    EXPECT_TRUE(unknown.usb.calls.empty());
    EXPECT_TRUE(unknown.cardLibrary.calls.empty());
}

TEST(OutputEngine, LoadTickBeforeAnyFrameSendsTheWallsPicture)
{
    // A load tick builds nothing and the interface repeats its last frame;
    // before anything was built for it, that would be levels nobody built.
    struct Case {
        InterfaceKind type;
        const char* name;
    } cases[] = {{Interface::IsaCard7301AB, "ISA"},
                 {Interface::UsbInterface, "USB"},
                 {Interface::PciCard7304, "library"},
                 {Interface::SacnNetwork, "sACN"}};
    for (const auto& c : cases) {
        EngineHarness show;
        show.buildWall(2, 1);
        show.model.TimingBlockPending = 0;
        show.model.CardBaseAddress = 0x120;
        show.model.InterfaceType = c.type;
        show.setElement(2, 9, 8, 7, 6);
        show.setStep(1, 2, 100, 0, 0, 0, 2, 5);
        show.model.StepCount = 1;
        DmxSender sender{SenderDevices{show.usb, show.cardLibrary}};
        OutputEngine engine{show.model, show.view, show.timer,
                            OutputDevices{show.bus, show.usb, show.cardLibrary, nullptr, &sender}};
        show.play();
        engine.AutoXmit();  // the load of step 1
        sender.sendNow();
        EXPECT_TRUE(channelsEqual(show.model.DmxFrame, 5, {9, 8, 7, 6}) ||
                    channelsEqual(show.model.DmxFrameWide, 5, {9, 8, 7, 6}) ||
                    channelsEqual(show.bus.cardMemory.data() + 0x400, 5, {9, 8, 7, 6}))
            << c.name;
        if (c.type == Interface::UsbInterface) {
            ASSERT_EQ(show.usb.calls.size(), 2u);
            EXPECT_TRUE(channelsEqual(show.usb.calls[1].buffer, 5, {9, 8, 7, 6}));
        }

        // What the load tick wrote: nothing, or the fade's end picture (100, 0, 0, 0).
        auto loadTick = [&](bool openedBefore) {
            for (int tick = 0; tick < 7; ++tick)  // 2 hold, 5 fade
                engine.AutoXmit();
            show.bus.accesses.clear();
            show.model.DmxFrame.fill(0);
            show.model.DmxFrameWide.fill(0);
            if (openedBefore)
                sender.deviceOpened();
            engine.AutoXmit();
            return !show.bus.cardWrites().empty() || show.model.DmxFrame[4] == 100 || show.model.DmxFrameWide[4] == 100;
        };
        EXPECT_FALSE(loadTick(false)) << c.name << ": built once, a load tick builds nothing";
        EXPECT_TRUE(loadTick(true)) << c.name << ": opened again, a load tick sends the picture";
    }
}

TEST(OutputEngine, MonitorRowsShowTheLevelsLastSent)
{
    EngineHarness usb;
    usb.buildWall(1, 1);
    usb.setElement(1, 11, 22, 33, 44);
    usb.model.InterfaceType = Interface::UsbInterface;
    const MonitoredChannels channels{1, 4, 0, 0, 2, 512, 0, 3};  // 0: the row's field holds no channel
    usb.engine.watchChannels(channels);
    usb.tick();
    EXPECT_EQ(usb.view.monitorValues, (std::array<int, 8>{-1, -1, -1, -1, -1, -1, -1, -1}));  // monitor off
    usb.model.setState(StateFlag::DmxMonitorOn);
    usb.tick();
    EXPECT_EQ(usb.view.monitorValues, (std::array<int, 8>{11, 44, -1, -1, 22, 0, -1, 33}));

    EngineHarness isa;
    isa.model.InterfaceType = Interface::IsaCard7301C;
    isa.model.CardBaseAddress = 0x120;
    isa.model.setState(StateFlag::DmxMonitorOn | StateFlag::TestMode);
    isa.model.TestLevels[6] = 77;
    isa.tick();
    EXPECT_EQ(isa.view.monitorValues[6], 77);  // read back from card memory
}

TEST(OutputEngine, BlendTimeZeroFromAFileIsAOneTickFade)
{
    RedFade show(0, {0, 200}, 0, 0);
    show.play();
    show.tick();
    EXPECT_EQ(show.view.lastLabel(), "Blend 1");
    show.tick();
    EXPECT_EQ(show.view.lastLabel(), "Blend 0");
    EXPECT_EQ(show.model.colour(Red, 1), 200);
    show.tick();
    EXPECT_EQ(show.model.CurrentStep, 1);  // step 2 loaded, back to 1 next
}

TEST(OutputEngine, LongestTimesCountExactly)
{
    RedFade show(0, {0, 255}, 65535, 65535);
    show.play();
    show.tick();
    EXPECT_EQ(show.view.lastLabel(), "Blend 65535");
    show.tick();
    EXPECT_EQ(show.view.lastLabel(), "Hold  65535");
}

TEST(OutputEngine, StoppedWithoutInterfaceDoesNothing)
{
    RedFade show(30, {0, 100}, 1, 5);
    show.tick(3);
    EXPECT_TRUE(show.view.labels.empty());
    EXPECT_EQ(show.model.colour(Red, 1), 30);
}

}  // namespace
}  // namespace tinctara

#include "support/EngineHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tinctara {
namespace {

using testing::EngineHarness;

const InterfaceKind kinds[] = {Interface::IsaCard7301AB, Interface::UsbInterface, Interface::PciCard7304};

// A 1 x 1 wall (channels 1..4) on the kind given.
struct MusicShow : EngineHarness {
    explicit MusicShow(InterfaceKind type = Interface::UsbInterface)
    {
        buildWall(1, 1);
        model.TimingBlockPending = 0;
        model.CardBaseAddress = 0x120;
        model.InterfaceType = type;
    }

    void settings(const MusicSettings& s) { engine.music().setSettings(s); }
};

// Two steps whose red swings 0 -> 250 -> 0, so every fade tick moves the
// wire; holds far longer than any test runs.
void swingingSequence(MusicShow& show, int blend = 7)
{
    show.setStep(1, 1, 0, 0, 0, 0, 500, blend);
    show.setStep(2, 1, 250, 0, 0, 0, 500, blend);
    show.model.StepCount = 2;
    show.setElement(1, 0, 0, 0, 0);
    show.play();
}

struct Fade {
    int start, length;
    bool operator==(const Fade&) const = default;
};

std::string describe(const std::vector<Fade>& fades)
{
    std::string text;
    for (const Fade& f : fades)
        text += std::to_string(f.start) + "+" + std::to_string(f.length) + " ";
    return text;
}

TEST(LiveBeat, StepsChangeOnEveryNthBeatAndFadeForTheFractionOfThePeriod)
{
    struct Case {
        int every, percent, period;
        int blend;  // ticks
    } cases[] = {
        {1, 50, 10, 5}, {2, 50, 10, 5}, {4, 25, 8, 2}, {1, 100, 10, 9}, {2, 100, 10, 10}, {1, 0, 6, 1},
    };
    for (const Case& c : cases) {
        MusicShow show;
        swingingSequence(show);
        MusicSettings s;
        s.beat = true;
        s.beatsPerStep = c.every;
        s.blendPercent = c.percent;
        show.settings(s);

        // Beats from tick 4 on, every period; the fades that start.
        std::vector<int> beats;
        std::vector<Fade> fades;
        int previous = show.wire(1);
        const int ticks = 4 + c.period * c.every * 4;
        for (int tick = 1; tick <= ticks + c.blend; ++tick) {
            const bool beat = tick >= 4 && tick <= ticks && (tick - 4) % c.period == 0;
            if (beat)
                beats.push_back(tick);
            show.engine.music().feed(beat, c.period, 0);
            show.tick();
            const int now = show.wire(1);
            if (now != previous) {
                if (!fades.empty() && fades.back().start + fades.back().length == tick)
                    ++fades.back().length;
                else
                    fades.push_back({tick, 1});
            }
            previous = now;
        }
        std::vector<Fade> expected;
        for (std::size_t b = static_cast<std::size_t>(c.every) - 1; b < beats.size(); b += c.every)
            expected.push_back({beats[b], c.blend});
        EXPECT_EQ(describe(fades), describe(expected))
            << "every " << c.every << ", " << c.percent << " % of " << c.period << " ticks";
    }
}

TEST(LiveBeat, BeatSwitchedOffMidHoldFadesAtOnceAndTapsDriveStepsWithoutAudio)
{
    MusicShow show;
    swingingSequence(show, 2);
    MusicSettings s;
    s.beat = true;
    s.blendPercent = 20;
    show.settings(s);
    show.tick(3);
    EXPECT_EQ(show.wire(1), 0) << "no beat: the step holds past nothing";
    EXPECT_EQ(show.model.BlendTime, 2) << "no period known: the step's own blend";
    show.settings(MusicSettings{});
    show.tick();
    EXPECT_EQ(show.wire(1), 125) << "Beat off: the hold ends, the fade begins";

    // Tapped at 500 ms: a beat in the tick after the tap, then every 10.
    MusicShow tapped;
    swingingSequence(tapped, 2);
    tapped.settings(s);
    tapped.tick(2);
    tapped.engine.music().tap(0);
    tapped.engine.music().tap(500);
    std::vector<int> changes;
    int previous = tapped.wire(1);
    for (int tick = 1; tick <= 25; ++tick) {
        tapped.tick();
        if (tapped.wire(1) != previous)
            changes.push_back(tick);
        previous = tapped.wire(1);
    }
    EXPECT_EQ(changes, (std::vector<int>{1, 2, 11, 12, 21, 22}));
}

TEST(LiveBeat, PegelScalesWhatLeavesButNotTheWallNorTheTestLevels)
{
    for (const InterfaceKind type : kinds) {
        MusicShow show(type);
        show.setElement(1, 200, 100, 0, 255);
        MusicSettings s;
        s.level = true;
        s.depth = 100;
        s.attackTicks = 2;
        show.settings(s);
        const double levels[] = {1, 1, 0.5};
        const std::vector<int> wire[] = {{100, 50, 0, 128}, {200, 100, 0, 255}, {100, 50, 0, 128}};
        for (int tick = 0; tick < 3; ++tick) {
            show.engine.music().feed(false, 0, levels[tick]);
            show.tick();
            EXPECT_EQ(show.wire(1, 4), wire[tick]) << type << " tick " << tick;
        }
        EXPECT_EQ(show.model.colour(Red, 1), 200) << type << ": the wall keeps its colours";

        show.model.setState(StateFlag::TestMode);
        show.model.TestLevels[0] = 240;
        show.model.TestLevels[4] = 17;
        show.tick();
        EXPECT_EQ(show.wire(1), 240) << type << ": silence, yet the test level goes out as set";
        EXPECT_EQ(show.wire(5), 17) << type;
    }
}

TEST(LiveBeat, PegelScalesTheMergedFrameOnceEachTick)
{
    // The merge must not take the scaled levels it finds in the frame for
    // levels someone else wrote, or each tick would scale the last again.
    for (const InterfaceKind type : kinds) {
        MusicShow show(type);
        show.setElement(1, 200, 0, 0, 0);
        DmxInputFrame input;
        input.levels[0] = 100;
        input.levels[8] = 60;
        input.covered = NetworkSlots;
        input.live = true;
        show.engine.mergeInput(&input, InputMerge::Htp);
        MusicSettings s;
        s.level = true;
        s.depth = 50;
        show.settings(s);
        for (int tick = 1; tick <= 4; ++tick) {
            show.tick();
            EXPECT_EQ(show.wire(1), 100) << type << " tick " << tick;
            EXPECT_EQ(show.wire(9), 30) << type << " tick " << tick << ": the desk's level scaled too";
        }
        show.settings(MusicSettings{});
        show.tick();
        EXPECT_EQ(show.wire(1), 200) << type;
        EXPECT_EQ(show.wire(9), 60) << type;
    }
}

TEST(LiveBeat, OffSendsExactlyWhatTheTickSentBefore)
{
    // The twin's engine hears beats, levels and taps with everything off.
    const auto program = [](MusicShow& show) {
        for (int step = 1; step <= 3; ++step)
            show.setStep(step, 1, step * 80, step, 200 - step, 7, 2, 4);
        show.model.StepCount = 3;
        show.play();
    };
    for (const InterfaceKind type : kinds) {
        MusicShow plain(type);
        MusicShow heard(type);
        program(plain);
        program(heard);
        MusicSettings off;
        off.beatsPerStep = 4;
        off.blendPercent = 100;
        off.depth = 100;
        heard.settings(off);
        heard.engine.music().tap(0);
        heard.engine.music().tap(300);
        for (int tick = 0; tick < 40; ++tick) {
            if (tick % 3)
                heard.engine.music().feed(tick % 5 == 0, 4, 0);
            plain.tick();
            heard.tick();
            ASSERT_EQ(heard.wire(1, DmxChannels), plain.wire(1, DmxChannels)) << type << " tick " << tick;
            ASSERT_EQ(heard.view.lastLabel(), plain.view.lastLabel()) << type << " tick " << tick;
        }
    }
}

}  // namespace
}  // namespace tinctara

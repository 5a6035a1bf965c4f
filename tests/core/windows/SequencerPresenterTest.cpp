#include "support/EngineHarness.h"
#include "support/MainWindowFakes.h"
#include "support/SavedDocuments.h"
#include "support/ScriptedClock.h"
#include "support/ClickTrack.h"
#include "support/TimecodeFakes.h"
#include "windows/SequencerPresenter.h"
#include "windows/ShowFileCommands.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

using FakeConfirm = testing::FakeMainWindowCommands;

// A 2 x 1 wall, the sequencer's fields as the window starts (blend 50, hold 1).
struct SequencerHarness : testing::EngineHarness {
    SequencerHarness()
    {
        buildWall(2, 1);
        view.sequencerFields = {"", "50", "1"};
    }
    void press(int button) { sequencer.cmdSequence_Click(button); }
    // Paints the wall in one red level and records it.
    void recordRed(int red)
    {
        setElement(1, red, 0, 0, 0);
        press(Rec);
    }
    void type(int field, const std::string& text, int keyCode)
    {
        sequencer.txtSequence_Change(field, text);
        sequencer.txtSequence_KeyUp(field, keyCode);
    }
    FakeConfirm confirm;
    Selection selection{model, view, user};
    testing::FakeSettingsStore settings;
    testing::ScriptedClock clock;
    SequencerPresenter sequencer{{model, view, user, timer, engine, confirm, selection, bus, settings, clock}};
};

TEST(Sequencer, RecordThreeStepsAndStepThroughThemBothWays)
{
    SequencerHarness h;
    h.recordRed(10);
    EXPECT_TRUE(h.model.hasState(StateFlag::SequencePresent));
    EXPECT_TRUE(
        h.model.hasDocument(DocumentFlag::SequenceNew | DocumentFlag::SequenceChanged | DocumentFlag::SceneChanged));
    EXPECT_EQ(h.view.lastLabel(), "Szene in die Sequenz aufgenommen.");
    h.view.sequencerFields[1] = "70";
    h.view.sequencerFields[2] = "3";
    h.recordRed(20);
    h.recordRed(30);
    EXPECT_EQ(h.model.StepCount, 3);
    EXPECT_EQ(h.model.CurrentStep, 3);
    EXPECT_EQ(h.model.stepColour(2, 1, Red), 20);
    EXPECT_EQ(h.model.blendTime(1), 50);
    EXPECT_EQ(h.model.blendTime(2), 70);  // each new step takes the times shown
    EXPECT_EQ(h.model.holdTime(3), 3);

    h.press(Forward);  // the last step wraps to the first
    EXPECT_EQ(h.model.CurrentStep, 1);
    EXPECT_EQ(h.model.colour(Red, 1), 10);
    EXPECT_EQ(h.view.lastLabel(), "Nächste Scene.");
    h.press(Back);  // the first wraps to the last
    EXPECT_EQ(h.model.CurrentStep, 3);
    EXPECT_EQ(h.model.colour(Red, 1), 30);
    h.press(Back);
    EXPECT_EQ(h.model.CurrentStep, 2);
    EXPECT_EQ(h.view.sequencerFields, (std::array<std::string, 3>{" 2", " 70", " 3"}));
    h.press(Zero);
    EXPECT_EQ(h.model.CurrentStep, 1);
}

TEST(Sequencer, RecRefusedAwayFromTheEndAndBeyond250Steps)
{
    SequencerHarness h;
    for (int i = 0; i < 5; ++i)
        h.recordRed(i);
    h.press(Back);
    h.press(Back);
    const auto before = h.model.StepCount;
    h.recordRed(99);
    EXPECT_EQ(h.view.lastLabel(), "Nur am Ende einer Sequenz möglich.");
    EXPECT_EQ(h.user.beeps, 1);
    EXPECT_EQ(h.model.StepCount, before);

    SequencerHarness full;
    for (int i = 0; i < 250; ++i)
        full.press(Rec);
    EXPECT_EQ(full.model.StepCount, 250);
    full.press(Rec);
    EXPECT_EQ(full.model.StepCount, 250);
    ASSERT_EQ(full.user.messages.size(), 1u);
    EXPECT_EQ(full.user.messages[0].text,
              "In dieser Programmversion sind maximal 250 Schritte in einer Sequenz möglich.");
}

// REC Eingang records the desk's picture through the patch turned around,
// with REC's rules; without a live sender it records nothing.
TEST(Sequencer, RecordInputTakesTheDesksPictureWithRecsRules)
{
    SequencerHarness h;
    DmxInputFrame input;
    h.sequencer.cmdRecordInput_Click();  // no input at all
    EXPECT_EQ(h.view.lastLabel(), "Kein Sender am DMX-Eingang.");
    h.sequencer.watchInput(&input);
    h.sequencer.cmdRecordInput_Click();  // an input nobody sends to
    EXPECT_EQ(h.view.lastLabel(), "Kein Sender am DMX-Eingang.");
    EXPECT_EQ(h.user.beeps, 2);
    EXPECT_EQ(h.model.StepCount, 0);
    EXPECT_FALSE(h.model.hasDocument(DocumentFlag::SceneChanged));

    h.model.correction(2, Green) = 20;
    input.live = true;
    input.covered = 512;
    input.levels[h.model.patch(1, Red) - 1] = 200;
    input.levels[h.model.patch(2, Green) - 1] = 100;
    h.sequencer.cmdRecordInput_Click();
    EXPECT_EQ(h.view.lastLabel(), "Eingang in die Sequenz aufgenommen.");
    EXPECT_EQ(h.model.StepCount, 1);
    EXPECT_TRUE(
        h.model.hasDocument(DocumentFlag::SequenceNew | DocumentFlag::SequenceChanged | DocumentFlag::SceneChanged));
    EXPECT_EQ(h.model.stepColour(1, 1, Red), 200);
    EXPECT_EQ(h.model.stepColour(1, 2, Green), 120);  // level plus correction
    EXPECT_EQ(h.model.stepColour(1, 2, Red), 0);
    EXPECT_EQ(h.model.colour(Green, 2), 120);         // the wall shows what was recorded
    EXPECT_NE(h.view.elementColours.at(1).green, 0);  // and the wall was repainted

    h.recordRed(5);
    h.press(Back);  // away from the end: refused, and the wall keeps its picture
    const auto wall = h.model.ElementColours;
    h.sequencer.cmdRecordInput_Click();
    EXPECT_EQ(h.view.lastLabel(), "Nur am Ende einer Sequenz möglich.");
    EXPECT_EQ(h.model.StepCount, 2);
    EXPECT_EQ(h.model.ElementColours, wall);
}

TEST(Sequencer, ImmediateApplyStoresTheEditIntoTheStepBeingLeft)
{
    SequencerHarness h;
    h.recordRed(10);
    h.recordRed(20);
    h.press(Zero);
    h.model.setState(StateFlag::ImmediateApply);
    h.setElement(1, 77, 0, 0, 0);
    h.press(Forward);
    EXPECT_EQ(h.model.stepColour(1, 1, Red), 77);
}

TEST(Sequencer, ButtonsWithoutASequence)
{
    SequencerHarness h;
    for (int button : {Back, Forward, Zero}) {
        h.press(button);
        EXPECT_EQ(h.view.lastLabel(), " Es ist noch keine Sequenz erstellt worden!") << button;
    }
    h.press(PlayButton);  // the time fields stay locked until STOP
    EXPECT_EQ(h.view.timeFieldsEnabled, std::vector<bool>{false});
    EXPECT_EQ(h.view.lastLabel(), "Es wurde noch keine Sequenz programmiert !");
    h.press(StopButton);
    EXPECT_EQ(h.view.timeFieldsEnabled, (std::vector<bool>{false, true}));
}

TEST(Sequencer, PlayingBackAndForwardRestartPlayback)
{
    SequencerHarness h;
    for (int red : {10, 20, 30, 40})
        h.recordRed(red);
    h.press(Zero);
    h.press(PlayButton);
    EXPECT_TRUE(h.model.hasState(StateFlag::SequencePlaying));
    h.tick(3);  // load of step 1: the fields show step 2
    h.press(Back);
    EXPECT_TRUE(h.model.hasState(StateFlag::SequencePlaying));
    EXPECT_EQ(h.model.CurrentStep, 1);
    h.tick();
    h.press(Back);  // the back-jump flag now goes two steps
    EXPECT_EQ(h.model.CurrentStep, 4);
    h.press(Forward);
    EXPECT_TRUE(h.model.hasState(StateFlag::SequencePlaying));
}

TEST(Sequencer, ClearAllZeroesOutputsFirstAndAsksAboutSaving)
{
    SequencerHarness h;
    h.model.InterfaceType = Interface::UsbInterface;
    h.recordRed(10);
    h.model.DmxFrame.fill(9);
    h.model.TestLevels.fill(9);
    h.confirm.cancelAt = DocumentKind::Sequence;
    h.press(ClearAll);
    EXPECT_EQ(h.model.DmxFrame[511], 0);
    EXPECT_EQ(h.model.TestLevels[0], 0);
    EXPECT_TRUE(h.model.hasState(StateFlag::SequencePresent));  // cancelled: the sequence stays
    EXPECT_EQ(h.confirm.asked, std::vector<DocumentKind>{DocumentKind::Sequence});

    h.confirm.cancelAt.reset();
    h.model.SequenceFileName = "/shows/A.CSQ";
    h.view.sequencerFields[1] = "80";
    h.press(ClearAll);
    EXPECT_FALSE(h.model.hasState(StateFlag::SequencePresent));
    EXPECT_EQ(h.model.StepCount, 0);
    EXPECT_EQ(h.model.CurrentStep, 0);
    EXPECT_EQ(h.model.blendTime(1), 80);
    EXPECT_EQ(h.model.SequenceFileName, "");
    EXPECT_EQ(h.view.lastLabel(), "Die Sequenz wurde gelöscht.");

    SequencerHarness isa;
    isa.model.InterfaceType = Interface::IsaCard7301AB;
    isa.model.CardBaseAddress = 0x120;
    isa.bus.cardMemory[0x5FF] = 9;
    isa.recordRed(10);
    isa.model.setState(StateFlag::SequencePlaying);
    isa.press(ClearAll);
    EXPECT_EQ(isa.view.lastLabel(), "Sie müssen die Sequenz erst anhalten!");
    EXPECT_EQ(isa.bus.cardMemory[0x5FF], 9);
    isa.model.clearState(StateFlag::SequencePlaying);
    isa.press(ClearAll);
    EXPECT_EQ(isa.bus.cardMemory[0x5FF], 0);
}

TEST(Sequencer, FieldRules)
{
    SequencerHarness h;
    for (int i = 0; i < 5; ++i)
        h.recordRed(i * 10);
    h.sequencer.txtSequence_GotFocus(StepField);
    EXPECT_FALSE(h.timer.enabled);
    EXPECT_EQ(h.view.lastTitle(), "Linux: QOR DMX TINCTARA  ....stopped");
    h.type(StepField, "3", 51);
    EXPECT_EQ(h.model.CurrentStep, 3);  // every digit jumps at once
    EXPECT_EQ(h.model.colour(Red, 1), 20);
    EXPECT_TRUE(h.timer.enabled);
    h.type(StepField, "7", 55);
    EXPECT_EQ(h.view.lastLabel(), "Szene in der Sequenz nicht vorhanden!");
    h.model.CurrentStep = 0;
    h.sequencer.txtSequence_LostFocus(StepField);
    EXPECT_EQ(h.model.CurrentStep, 1);
    EXPECT_EQ(h.view.sequencerFields[0], "1");
    EXPECT_EQ(h.view.lastLabel(), "Scene not contained in Sequence");

    h.type(BlendField, "3", 51);
    EXPECT_EQ(h.view.lastLabel(), "Blendzeiten unter 5 sind nicht zulässig");
    h.sequencer.txtSequence_LostFocus(BlendField);
    EXPECT_EQ(h.view.lastLabel(), "Nur Werte zwischen 5 und 65534 sind erlaubt.");
    EXPECT_EQ(h.view.sequencerFields[1], "50");
    EXPECT_EQ(h.model.blendTime(1), 50);

    h.type(BlendField, "40000", 48);  // the upper half of 16 bits is a valid time
    h.sequencer.txtSequence_LostFocus(BlendField);
    EXPECT_EQ(h.model.blendTime(1), 40000);

    h.type(HoldField, "0", 48);
    EXPECT_EQ(h.view.lastLabel(), "Haltezeiten unter 1 sind nicht zulässig");
    h.sequencer.txtSequence_LostFocus(HoldField);
    EXPECT_EQ(h.model.holdTime(1), 1);

    const int beeps = h.user.beeps;
    h.type(HoldField, "1a", 65);
    EXPECT_EQ(h.view.lastLabel(), " Es sind nur Zahlen erlaubt. ");
    EXPECT_EQ(h.user.beeps, beeps + 1);
    EXPECT_EQ(h.view.sequencerFields[2], "1");
}

// A step whose times came from elsewhere (an effect's blend of 2, a file's
// hold of 0) keeps them when the user only clicks into a field and out again;
// what the user types is checked as ever and marks the sequence changed.
TEST(Sequencer, FocusAloneNeverRewritesAStepTime)
{
    struct Case {
        int field;
        int foreignTime;
        std::string typed;
        int stored;
        const char* message;
    };
    const Case cases[] = {
        {BlendField, 2, "3", 50, "Nur Werte zwischen 5 und 65534 sind erlaubt."},
        {BlendField, 2, "70", 70, nullptr},
        {HoldField, 0, "0", 1, "Nur Werte zwischen 1 und 65534 sind erlaubt."},
        {HoldField, 0, "12", 12, nullptr},
    };
    for (const Case& c : cases) {
        SequencerHarness h;
        h.recordRed(10);
        h.recordRed(20);
        auto time = [&]() -> std::uint16_t& {
            return c.field == BlendField ? h.model.blendTime(1) : h.model.holdTime(1);
        };
        time() = static_cast<std::uint16_t>(c.foreignTime);
        h.model.DocumentFlags = 0;  // as saved
        h.press(Zero);              // step 1 and its times in the fields
        const std::string shown = h.view.sequencerFields[c.field];
        const int beeps = h.user.beeps;
        const std::size_t labels = h.view.labels.size();

        for (int visit = 0; visit < 2; ++visit) {
            h.sequencer.txtSequence_GotFocus(c.field);
            h.sequencer.txtSequence_LostFocus(c.field);
        }
        EXPECT_EQ(time(), c.foreignTime) << c.field;
        EXPECT_EQ(h.view.sequencerFields[c.field], shown) << c.field;
        EXPECT_FALSE(h.model.hasDocument(DocumentFlag::SequenceChanged)) << c.field;
        EXPECT_EQ(h.user.beeps, beeps) << c.field;
        EXPECT_EQ(h.view.labels.size(), labels) << "no message for an untouched field";

        h.sequencer.txtSequence_GotFocus(c.field);
        h.type(c.field, c.typed, 48 + (c.typed.back() - '0'));
        h.sequencer.txtSequence_LostFocus(c.field);
        EXPECT_EQ(time(), c.stored) << c.field << " " << c.typed;
        EXPECT_TRUE(h.model.hasDocument(DocumentFlag::SequenceChanged)) << c.field << " " << c.typed;
        if (c.message) {
            EXPECT_EQ(h.view.lastLabel(), c.message);
        }
    }
}

// The output tick stops while a field has the focus, as ever, but the wire
// is kept: the timer is paused, not switched off.
TEST(Sequencer, FieldFocusPausesTheTickAndKeepsTheWire)
{
    SequencerHarness h;
    h.recordRed(10);
    for (int field : {StepField, BlendField, HoldField}) {
        h.timer.setEnabled(true);
        const int pauses = h.timer.pauses;
        h.sequencer.txtSequence_GotFocus(field);
        EXPECT_FALSE(h.timer.enabled) << field;
        EXPECT_EQ(h.timer.pauses, pauses + 1) << field;
        EXPECT_EQ(h.view.lastTitle(), "Linux: QOR DMX TINCTARA  ....stopped");
    }
}

TEST(Sequencer, StepFieldWithoutASequence)
{
    SequencerHarness h;
    h.type(StepField, "2", 50);
    EXPECT_EQ(h.view.lastLabel(), " Es wurde noch keine Sequenz erstellt.");
    EXPECT_EQ(h.view.sequencerFields[0], "");
    h.view.sequencerFields[1] = "60";
    h.sequencer.txtSequence_LostFocus(StepField);
    EXPECT_EQ(h.model.blendTime(1), 60);
    EXPECT_EQ(h.model.CurrentStep, 0);
    EXPECT_EQ(h.view.lastLabel(), "Scene not contained in Sequence");
}

TEST(Sequencer, EveryButtonEndsTestMode)
{
    SequencerHarness h;
    h.model.setState(StateFlag::TestMode);
    h.press(Zero);
    EXPECT_FALSE(h.model.hasState(StateFlag::TestMode));
    EXPECT_EQ(h.view.labels.front(), "Testmodus wurde abgeschaltet");
    EXPECT_EQ(h.view.testLooks.back().buttonCaption, "Testmode starten");
}

TEST(Sequencer, OpeningNeedsAWall)
{
    testing::EngineHarness empty;
    FakeConfirm confirm;
    Selection selection{empty.model, empty.view, empty.user};
    testing::FakeSettingsStore settings;
    testing::ScriptedClock clock;
    SequencerPresenter sequencer{{empty.model, empty.view, empty.user, empty.timer, empty.engine, confirm, selection,
                                  empty.bus, settings, clock}};
    EXPECT_FALSE(sequencer.Form_Load());
    EXPECT_EQ(empty.user.messages.at(0).text, "Es ist kein Element auf der Wand vorhanden.");

    SequencerHarness h;
    h.recordRed(5);
    h.model.SequenceFileName = "C:\\SHOWS\\A.CSQ";
    EXPECT_TRUE(h.sequencer.Form_Load());
    EXPECT_EQ(h.view.sequencerCaption, "Sequence A.CSQ");
    EXPECT_TRUE(h.model.hasState(StateFlag::SequencerWindowOpen));
}

// --- the beat row ------------------------------------------------------------

struct RecordingBeatView : SequencerBeatView {
    void showBeatSettings(bool beat, int everyChoice, int blendPercent) override
    {
        settings.push_back({beat, everyChoice, blendPercent});
    }
    void showTempo(std::string_view text) override { tempos.emplace_back(text); }
    void showBeatLight(bool lit) override { lights.push_back(lit); }
    void showTimecode(std::string_view text) override { timecodes.emplace_back(text); }
    struct Shown {
        bool beat;
        int everyChoice;
        int blendPercent;
        friend bool operator==(const Shown&, const Shown&) = default;
    };
    std::vector<Shown> settings;
    std::vector<std::string> tempos;
    std::vector<bool> lights;
    std::vector<std::string> timecodes;
};

std::string stored(SequencerHarness& h, const char* key) { return h.settings.read("TINCTARA", "Music", key, "<none>"); }

TEST(SequencerBeat, StoredEveryAndBlendLoadIntoTheEngineAndBeatStartsOff)
{
    const struct {
        const char* every;
        const char* blend;
        int beatsPerStep;
        int blendPercent;
    } cases[] = {
        {"2", "30", 2, 30}, {"4", "0", 4, 0},    {"1", "100", 1, 100}, {"3", "101", 1, 50},
        {"0", "-1", 1, 50}, {"x", "2,5", 1, 50}, {"", "", 1, 50},      {"8", " 7", 1, 50},
    };
    for (const auto& c : cases) {
        testing::EngineHarness show;
        // Someone else's level settings, set before the window's presenter exists.
        MusicSettings level;
        level.level = true;
        level.depth = 40;
        level.attackTicks = 3;
        level.beat = true;
        show.engine.music().setSettings(level);
        testing::FakeSettingsStore settings;
        settings.values["TINCTARA/Music/BeatsPerStep"] = c.every;
        settings.values["TINCTARA/Music/BlendPercent"] = c.blend;
        testing::ScriptedClock clock;
        FakeConfirm confirm;
        Selection selection{show.model, show.view, show.user};
        SequencerPresenter sequencer{
            {show.model, show.view, show.user, show.timer, show.engine, confirm, selection, show.bus, settings, clock}};
        const MusicSettings& music = show.engine.music().settings();
        const std::string which = std::string(c.every) + "/" + c.blend;
        EXPECT_EQ(music.beatsPerStep, c.beatsPerStep) << which;
        EXPECT_EQ(music.blendPercent, c.blendPercent) << which;
        EXPECT_FALSE(music.beat) << which;
        EXPECT_TRUE(music.level) << which;
        EXPECT_EQ(music.depth, 40) << which;
        EXPECT_EQ(music.attackTicks, 3) << which;
    }
}

TEST(SequencerBeat, TheRowSetsTheEngineAtOnceAndStoresAllButBeat)
{
    SequencerHarness h;
    MusicSettings level = h.engine.music().settings();
    level.level = true;
    level.depth = 70;
    level.releaseTicks = 9;
    h.engine.music().setSettings(level);
    RecordingBeatView view;
    h.sequencer.attachBeatView(&view);
    ASSERT_EQ(view.settings.size(), 1u);
    EXPECT_EQ(view.settings.back(), (RecordingBeatView::Shown{false, 0, 50}));
    EXPECT_EQ(view.tempos, std::vector<std::string>{"Tempo: –"});
    EXPECT_EQ(view.lights, std::vector<bool>{false});

    h.sequencer.chkBeat_Click(true);
    EXPECT_TRUE(h.engine.music().beatOn());
    EXPECT_EQ(stored(h, "Beat"), "<none>");
    h.sequencer.cboBeats_Click(2);
    EXPECT_EQ(h.engine.music().settings().beatsPerStep, 4);
    EXPECT_EQ(stored(h, "BeatsPerStep"), "4");
    h.sequencer.cboBeats_Click(1);
    EXPECT_EQ(stored(h, "BeatsPerStep"), "2");
    h.sequencer.cboBeats_Click(3);  // no such choice
    EXPECT_EQ(h.engine.music().settings().beatsPerStep, 2);
    h.sequencer.spnBlende_Change(25);
    EXPECT_EQ(h.engine.music().settings().blendPercent, 25);
    EXPECT_EQ(stored(h, "BlendPercent"), "25");
    h.sequencer.spnBlende_Change(140);
    EXPECT_EQ(stored(h, "BlendPercent"), "100");
    EXPECT_EQ(view.settings.back(), (RecordingBeatView::Shown{true, 1, 100}));

    const MusicSettings& music = h.engine.music().settings();
    EXPECT_TRUE(music.level);
    EXPECT_EQ(music.depth, 70);
    EXPECT_EQ(music.releaseTicks, 9);

    // A window opened again shows what is set.
    h.sequencer.attachBeatView(nullptr);
    h.sequencer.chkBeat_Click(false);
    RecordingBeatView reopened;
    h.sequencer.attachBeatView(&reopened);
    EXPECT_EQ(reopened.settings.back(), (RecordingBeatView::Shown{false, 1, 100}));
}

TEST(SequencerBeat, TapsOnTheInjectedClockShowTheTempoOnlyWhenItChanges)
{
    SequencerHarness h;
    RecordingBeatView view;
    h.sequencer.attachBeatView(&view);
    h.sequencer.cmdTap_Click();
    h.sequencer.afterTick();
    EXPECT_EQ(view.tempos.back(), "Tempo: –");  // one tap is no tempo yet

    h.clock.ms += 500;
    EXPECT_FALSE(h.sequencer.Form_KeyPress(65));  // A
    EXPECT_TRUE(h.sequencer.Form_KeyPress(84));   // T taps too
    h.tick();
    h.sequencer.afterTick();
    h.tick();
    h.sequencer.afterTick();
    EXPECT_EQ(view.tempos, (std::vector<std::string>{"Tempo: –", "Tempo: 120 BPM"}));

    // After a pause the taps start afresh; the tempo is the mean of the last
    // four intervals (1882 ms / 4 here), shown once after the tick.
    h.clock.ms += 3000;
    const std::int64_t start = h.clock.ms;
    for (const int at : {0, 470, 941, 1411, 1882}) {
        h.clock.ms = start + at;
        h.sequencer.cmdTap_Click();
    }
    h.tick();
    h.sequencer.afterTick();
    h.sequencer.afterTick();
    EXPECT_EQ(view.tempos, (std::vector<std::string>{"Tempo: –", "Tempo: 120 BPM", "Tempo: 127,5 BPM"}));
}

TEST(SequencerBeat, TempoTexts)
{
    const struct {
        double periodTicks;
        const char* text;
    } cases[] = {
        {10, "Tempo: 120 BPM"},     {1882.0 / 4 / 50, "Tempo: 127,5 BPM"}, {12, "Tempo: 100 BPM"},
        {9.99, "Tempo: 120,1 BPM"}, {10.0004, "Tempo: 120 BPM"},           {0, "Tempo: –"},
        {-3, "Tempo: –"},           {1200.0 / 59.96, "Tempo: 60 BPM"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tempoText(bpmOfPeriod(c.periodTicks)), c.text) << c.periodTicks;
}

TEST(SequencerBeat, TheLightIsLitForTwoTicksFromEachBeat)
{
    SequencerHarness h;
    RecordingBeatView view;
    h.sequencer.attachBeatView(&view);
    const std::string beats = "X.X.X..XX.....X";
    std::string lit;
    for (const char beat : beats) {
        h.engine.music().feed(beat == 'X', 8, 0.5);
        h.tick();
        h.sequencer.afterTick();
        lit += view.lights.back() ? 'X' : '.';
    }
    EXPECT_EQ(view.tempos.back(), "Tempo: 150 BPM");  // the audio's period
    h.tick();                                         // silence: no feed
    h.sequencer.afterTick();
    lit += view.lights.back() ? 'X' : '.';
    EXPECT_EQ(view.tempos.back(), "Tempo: –");
    h.tick();
    h.sequencer.afterTick();
    lit += view.lights.back() ? 'X' : '.';
    EXPECT_EQ(lit, "XXXXXX.XXX....XX.");
    // Only changes reach the view: off at the start, then each edge once.
    EXPECT_EQ(view.lights, (std::vector<bool>{false, true, false, true, false, true, false}));
}

// With Beat off the row may be set and tapped: the sequence plays as without it.
TEST(SequencerBeat, BeatOffChangesNothingThatPlays)
{
    SequencerHarness plain;
    SequencerHarness tuned;
    tuned.sequencer.cboBeats_Click(2);
    tuned.sequencer.spnBlende_Change(10);
    tuned.sequencer.chkBeat_Click(true);
    tuned.sequencer.chkBeat_Click(false);
    for (SequencerHarness* h : {&plain, &tuned}) {
        h->view.sequencerFields = {"", "3", "2"};
        h->recordRed(10);
        h->recordRed(200);
        h->recordRed(90);
        h->press(Zero);
    }
    for (int tap = 0; tap < 4; ++tap) {
        tuned.clock.ms += 350;
        tuned.sequencer.cmdTap_Click();
    }
    plain.press(PlayButton);
    tuned.press(PlayButton);
    for (int tick = 0; tick < 120; ++tick) {
        plain.tick();
        tuned.tick();
        plain.sequencer.afterTick();
        tuned.sequencer.afterTick();
        ASSERT_EQ(tuned.wire(1, 8), plain.wire(1, 8)) << "tick " << tick;
        ASSERT_EQ(tuned.view.lastLabel(), plain.view.lastLabel()) << "tick " << tick;
        ASSERT_EQ(tuned.model.CurrentStep, plain.model.CurrentStep) << "tick " << tick;
    }
}

// --- the running timecode ----------------------------------------------------

TEST(SequencerTimecode, ShownAfterTheTickOnlyWhileASourceIsChosenAndWhenItChanged)
{
    SequencerHarness h;
    testing::FakeTimecodeControl timecode;
    RecordingBeatView view;
    h.sequencer.watchTimecode(&timecode);
    h.sequencer.attachBeatView(&view);
    h.sequencer.afterTick();
    timecode.now.time = Timecode{1, 0, 12, 5};  // heard, but no source chosen
    h.sequencer.afterTick();
    EXPECT_EQ(view.timecodes, std::vector<std::string>{""});

    timecode.current.source = TimecodeSource::Mtc;
    timecode.now.time.reset();
    h.sequencer.afterTick();
    h.sequencer.afterTick();
    timecode.now.time = Timecode{1, 0, 12, 5};
    h.sequencer.afterTick();
    h.sequencer.afterTick();
    timecode.now.time = Timecode{1, 0, 12, 6};
    timecode.now.rate = TimecodeRate::DropFrame2997;
    h.sequencer.afterTick();
    timecode.current.source = TimecodeSource::None;
    h.sequencer.afterTick();
    EXPECT_EQ(view.timecodes, (std::vector<std::string>{"", "Timecode: --:--:--:--", "Timecode: 01:00:12:05",
                                                        "Timecode: 01:00:12;06", ""}));

    // A window opened anew shows what runs now, before any tick.
    timecode.current.source = TimecodeSource::ArtNet;
    RecordingBeatView reopened;
    h.sequencer.attachBeatView(&reopened);
    EXPECT_EQ(reopened.timecodes, std::vector<std::string>{"Timecode: 01:00:12;06"});
}

// --- undo ------------------------------------------------------------------

// Two steps recorded and saved, the second on the wall, then a history.
struct UndoHarness : SequencerHarness {
    UndoHarness()
    {
        recordRed(10);
        view.sequencerFields = {"", "70", "4"};
        recordRed(20);
        model.DocumentFlags = 0;
        edits = std::make_unique<ShowEdits>(model);
        sequencer.recordEdits(edits.get());
    }
    // The saved files as the sequencer shows the current step: its blend
    // field is what the sequence file keeps as the speed.
    std::array<std::string, history::DocumentKindCount> files()
    {
        view.sequencerFields[1] = std::to_string(model.blendTime(model.CurrentStep));
        return testing::allSavedBytes(context, folder.root);
    }
    void retype(int field, const std::string& text)
    {
        sequencer.txtSequence_GotFocus(field);
        type(field, text, '7');
        sequencer.txtSequence_LostFocus(field);
    }
    std::unique_ptr<ShowEdits> edits;
    testing::AudioFolder folder;
    ShowFileContext context{model, view, user, timer, {}};
};

TEST(SequencerUndo, EachEditIsOneEntryThatGivesBackTheSavedFilesAndMarks)
{
    const auto nothing = [](UndoHarness&) {};
    // The wall painted first is the colour window's edit, not the sequencer's.
    const auto paint = [](UndoHarness& h) { h.setElement(2, 0, 0, 99, 0); };
    const auto paintImmediately = [](UndoHarness& h) {
        h.model.setState(StateFlag::ImmediateApply);
        h.setElement(2, 0, 0, 99, 0);
    };
    const struct {
        const char* caption;
        history::DocumentKinds kinds;
        std::function<void(UndoHarness&)> prepare;
        std::function<void(UndoHarness&)> edit;
    } cases[] = {
        {"REC Schritt 3", {history::DocumentKind::Sequence}, paint, [](UndoHarness& h) { h.press(Rec); }},
        {"REC Eingang Schritt 3",
         {history::DocumentKind::Scene, history::DocumentKind::Sequence},
         nothing,
         [](UndoHarness& h) {
             static DmxInputFrame input;
             input = {};
             input.live = true;
             input.covered = 512;
             input.levels[h.model.patch(2, Blue) - 1] = 77;
             h.sequencer.watchInput(&input);
             h.sequencer.cmdRecordInput_Click();
         }},
        {"Haltezeit Schritt 2",
         {history::DocumentKind::Sequence},
         nothing,
         [](UndoHarness& h) { h.retype(HoldField, "9"); }},
        {"Blendezeit Schritt 2",
         {history::DocumentKind::Sequence},
         nothing,
         [](UndoHarness& h) { h.retype(BlendField, "900"); }},
        // Out of range: the step gets the replacement.
        {"Blendezeit Schritt 2",
         {history::DocumentKind::Sequence},
         nothing,
         [](UndoHarness& h) { h.retype(BlendField, "3"); }},
        {"Auswahl auf F5 gemerkt",
         {history::DocumentKind::Sequence},
         nothing,
         [](UndoHarness& h) {
             h.selection.selectSingle(1);
             EXPECT_TRUE(h.sequencer.Form_KeyDown(116, true));
         }},
        // With immediate apply the wall goes into the step left; coming back
        // to it stores nothing new.
        {"Szene in Schritt 2",
         {history::DocumentKind::Sequence},
         paintImmediately,
         [](UndoHarness& h) {
             h.press(Back);
             h.press(Forward);
         }},
        {"Szene in Schritt 2",
         {history::DocumentKind::Sequence},
         paintImmediately,
         [](UndoHarness& h) {
             h.press(PlayButton);
             h.press(StopButton);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        UndoHarness h;
        c.prepare(h);
        const auto before = h.files();
        c.edit(h);
        const auto after = h.files();
        ASSERT_NE(after, before);
        EXPECT_EQ(h.edits->history().undoCount(), 1u);
        EXPECT_EQ(h.edits->history().undoCaption(), std::string("Rückgängig: ") + c.caption);
        EXPECT_EQ(h.edits->history().undoKinds(), c.kinds);
        EXPECT_TRUE(h.model.hasDocument(DocumentFlag::SequenceChanged));

        ASSERT_TRUE(h.edits->undo());
        EXPECT_EQ(h.files(), before);
        for (const history::DocumentKind kind : history::AllDocumentKinds)
            if (c.kinds.contains(kind))
                EXPECT_FALSE(h.model.hasDocument(history::changedFlag(kind))) << static_cast<int>(kind);
        ASSERT_TRUE(h.edits->redo());
        EXPECT_EQ(h.files(), after);
        for (const history::DocumentKind kind : history::AllDocumentKinds)
            if (c.kinds.contains(kind))
                EXPECT_TRUE(h.model.hasDocument(history::changedFlag(kind))) << static_cast<int>(kind);
    }
}

// With immediate apply the sequencer's buttons store the wall into the step
// shown. After REC is undone and redone the sequencer must stand on the step
// REC left, or the next press writes that picture over the step before it.
TEST(SequencerUndo, UndoAndRedoOfRecPutTheSequencerBackOnItsStep)
{
    UndoHarness h;
    h.model.setState(StateFlag::ImmediateApply);
    {
        RecordedEdit paint(h.edits.get(), "Farbe auf 1 Element", {history::DocumentKind::Scene});
        h.setElement(1, 30, 0, 0, 0);
    }
    h.press(Rec);
    ASSERT_EQ(h.model.CurrentStep, 3);
    const auto recorded = h.files();

    ASSERT_TRUE(h.edits->undo());
    EXPECT_EQ(h.model.CurrentStep, 2);
    ASSERT_TRUE(h.edits->undo());
    ASSERT_TRUE(h.edits->redo());
    ASSERT_TRUE(h.edits->redo());
    EXPECT_EQ(h.model.CurrentStep, 3);
    h.press(PlayButton);
    h.press(StopButton);
    EXPECT_EQ(h.model.stepColour(2, 1, Red), 20);
    EXPECT_EQ(h.files(), recorded);
    EXPECT_EQ(h.edits->history().undoCaption(), "Rückgängig: REC Schritt 3");

    // The wall put into the step left, then the step before shown: undone,
    // the sequencer stays on the step the wall shows, and the next press
    // stores that picture where it came from.
    UndoHarness moved;
    moved.model.setState(StateFlag::ImmediateApply);
    moved.setElement(1, 99, 0, 0, 0);
    moved.press(Back);
    ASSERT_EQ(moved.edits->history().undoCaption(), "Rückgängig: Szene in Schritt 2");
    ASSERT_EQ(moved.model.colour(Red, 1), 10);
    ASSERT_TRUE(moved.edits->undo());
    EXPECT_EQ(moved.model.CurrentStep, 1);
    moved.press(Forward);
    EXPECT_EQ(moved.model.stepColour(1, 1, Red), 10);
    EXPECT_EQ(moved.model.stepColour(2, 1, Red), 20);
}

// An undo while the sequence plays changes the show as an edit would at that
// moment: the ticks after it play the steps that stand. One that takes every
// step away ends the playing, since nothing is left to play.
TEST(SequencerUndo, AnUndoWhilePlayingActsFromTheNextTick)
{
    UndoHarness h;
    h.recordRed(30);
    h.retype(HoldField, "2");
    h.press(Zero);
    h.press(PlayButton);
    h.tick(150);
    ASSERT_TRUE(h.model.hasState(StateFlag::SequencePlaying));
    ASSERT_TRUE(h.edits->undo());  // the hold time
    ASSERT_TRUE(h.edits->undo());  // step 3
    EXPECT_EQ(h.model.StepCount, 2);
    EXPECT_TRUE(h.model.hasState(StateFlag::SequencePlaying));
    h.tick(200);  // whatever was on its way finishes
    for (int tick = 0; tick < 400; ++tick) {
        h.tick();
        ASSERT_GE(h.model.CurrentStep, 1);
        ASSERT_LE(h.model.CurrentStep, 2);
        ASSERT_GE(h.model.colour(Red, 1), 10) << tick;
        ASSERT_LE(h.model.colour(Red, 1), 20) << tick;
    }
    ASSERT_TRUE(h.edits->redo());
    bool thirdStepPlayed = false;
    for (int tick = 0; tick < 400; ++tick) {
        h.tick();
        thirdStepPlayed = thirdStepPlayed || h.model.colour(Red, 1) == 30;
    }
    EXPECT_TRUE(thirdStepPlayed);

    SequencerHarness empty;
    ShowEdits edits(empty.model);
    empty.sequencer.recordEdits(&edits);
    ShowFileCommands files{{empty.model, empty.view, empty.user, empty.timer, {}}};
    edits.onRestored([&files](const RestoredDocuments& restored) { files.showRestored(restored); });
    empty.recordRed(40);
    empty.press(PlayButton);
    empty.tick(5);
    ASSERT_TRUE(edits.undo());
    EXPECT_EQ(empty.model.StepCount, 0);
    EXPECT_FALSE(empty.model.hasState(StateFlag::SequencePresent));
    EXPECT_FALSE(empty.model.hasState(StateFlag::SequencePlaying));
    EXPECT_EQ(empty.view.lastLabel(), std::string("  ") + NoSequenceProgrammed);
    EXPECT_TRUE(empty.view.cellStates[0].first);
    EXPECT_TRUE(empty.view.timeFieldsEnabled.back());
    empty.tick(60);
    EXPECT_EQ(empty.model.CurrentStep, 0);
    ASSERT_TRUE(edits.redo());
    EXPECT_EQ(empty.model.StepCount, 1);
    EXPECT_FALSE(empty.model.hasState(StateFlag::SequencePlaying));
}

// Moving through the sequence, recalling a selection, a refused REC and a
// time typed as it was leave no entry.
TEST(SequencerUndo, WhatChangesNoDocumentLeavesNoEntry)
{
    UndoHarness h;
    const auto before = h.files();
    h.press(Back);
    h.press(Forward);
    h.press(Zero);
    h.press(PlayButton);
    h.press(StopButton);
    h.press(Zero);
    h.sequencer.Form_KeyDown(116, false);
    h.recordRed(99);  // not at the end
    EXPECT_EQ(h.view.lastLabel(), "Nur am Ende einer Sequenz möglich.");
    h.retype(HoldField, "1");  // step 1 holds 1 already
    h.retype(StepField, "2");
    EXPECT_EQ(h.edits->history().undoCount(), 0u);
    h.setElement(1, 20, 0, 0, 0);  // step 2's picture, as REC found it
    EXPECT_EQ(h.files(), before);
}

// The memories are the selection's, which every window passes its keys to:
// each one the sequence saves is an entry, until the history is taken away.
TEST(SequencerUndo, SelectionMemoriesFromAnyWindowAreRecorded)
{
    UndoHarness h;
    h.selection.selectSingle(0);
    h.selection.functionKey(113, true);  // as the wall or colour window passes it on
    h.selection.functionKey(121, true);
    EXPECT_EQ(h.edits->history().undoCaption(), "Rückgängig: Auswahl auf F10 gemerkt");
    EXPECT_EQ(h.edits->history().undoCount(), 2u);
    h.selection.functionKey(123, true);  // F11 and F12 are not saved with the sequence
    EXPECT_EQ(h.edits->history().undoCount(), 2u);
    h.sequencer.recordEdits(nullptr);
    h.selection.functionKey(114, true);
    EXPECT_EQ(h.edits->history().undoCount(), 2u);
    EXPECT_EQ(h.model.SelectionMemory[ShowModel::selectionMemoryIndex(1, 2)], 1);
}

}  // namespace
}  // namespace tinctara

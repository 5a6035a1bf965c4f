#include "model/SequencePlayback.h"

#include "support/EngineHarness.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

using testing::EngineHarness;

struct PlaybackHarness : EngineHarness {
    PlaybackHarness()
    {
        buildWall(2, 1);
        for (int step = 1; step <= 3; ++step)
            for (int element = 1; element <= 2; ++element)
                setStep(step, element, 10 * step + element, 0, 0, 0, step, 10 * step);
        model.StepCount = 3;
        model.setState(StateFlag::SequencePresent);
        model.DocumentFlags = 0;
    }
    Sequencer sequencer{model, view, user, timer};
};

TEST(SequencePlayback, PlayLocksTheWallAndStartsFromTheCurrentStep)
{
    struct Case {
        int currentStep;
        int blendTime;  // of the step before, step 1 for the first
    };
    for (const Case c : {Case{1, 10}, Case{3, 20}}) {
        PlaybackHarness h;
        h.model.CurrentStep = static_cast<std::uint8_t>(c.currentStep);
        h.model.HoldCounter = 7;
        h.model.setState(StateFlag::ColourWindowOpen);
        h.model.InterfaceType = Interface::UsbInterface;
        Play(h.sequencer);
        EXPECT_TRUE(h.model.hasState(StateFlag::SequencePlaying));
        EXPECT_EQ(h.model.HoldCounter, 0);
        EXPECT_EQ(h.model.BlendTime, c.blendTime);
        EXPECT_TRUE(h.timer.enabled);
        EXPECT_EQ(h.view.lastTitle(), "Linux: QOR DMX TINCTARA  ....running.  Interfacetype= 3: ");
        EXPECT_EQ(h.view.cellStates.at(1), (std::pair<bool, std::string>{false, ""}));
        EXPECT_EQ(h.view.childWindowCalls.back(), (std::pair<ChildWindow, bool>{ChildWindow::Colour, false}));
    }
}

TEST(SequencePlayback, PlayStoresTheWallFirstOnlyWithImmediateApply)
{
    for (const bool immediate : {false, true}) {
        PlaybackHarness h;
        h.model.CurrentStep = 2;
        h.setElement(1, 99, 0, 0, 0);
        if (immediate)
            h.model.setState(StateFlag::ImmediateApply);
        Play(h.sequencer);
        EXPECT_EQ(h.model.stepColour(2, 1, Red), immediate ? 99 : 21);
        EXPECT_EQ(h.model.hasDocument(DocumentFlag::SequenceChanged), immediate);
    }
}

TEST(SequencePlayback, PlayDoesNothingWhilePlayingOrWithoutSequence)
{
    PlaybackHarness playing;
    playing.model.setState(StateFlag::SequencePlaying);
    Play(playing.sequencer);
    EXPECT_TRUE(playing.view.titles.empty());

    PlaybackHarness empty;
    empty.model.clearState(StateFlag::SequencePresent);
    PressPlay(empty.sequencer);
    EXPECT_FALSE(empty.model.hasState(StateFlag::SequencePlaying));
    EXPECT_EQ(empty.view.lastLabel(), "Es wurde noch keine Sequenz programmiert !");
    EXPECT_EQ(empty.view.timeFieldsEnabled, std::vector<bool>{false});  // locked until STOP
}

TEST(SequencePlayback, StopPutsTheStepOfTheStepFieldOnTheWall)
{
    struct Case {
        const char* field;
        int currentBefore;
        int stoppedOn;
    };
    const Case cases[] = {
        {" 2", 3, 2}, {"3", 1, 3}, {"7", 2, 2},  // no such step: stays where it is
        {"", 0, 1},                              // nothing shown and no step: the first
        {"-1", 9, 1},
    };
    for (const auto& c : cases) {
        PlaybackHarness h;
        h.model.CurrentStep = static_cast<std::uint8_t>(c.currentBefore);
        h.model.setState(StateFlag::SequencePlaying);
        h.view.sequencerFields[0] = c.field;
        h.model.SelectionFlags[1] = 1;
        PressStop(h.sequencer);
        EXPECT_FALSE(h.model.hasState(StateFlag::SequencePlaying)) << c.field;
        EXPECT_EQ(h.model.CurrentStep, c.stoppedOn) << c.field;
        EXPECT_EQ(h.model.colour(Red, 2), 10 * c.stoppedOn + 2) << c.field;
        EXPECT_EQ(h.view.elementColours.at(1).red, 10 * c.stoppedOn + 2) << c.field;
        EXPECT_EQ(h.view.cellStates.at(1), (std::pair<bool, std::string>{true, "2"})) << c.field;
        EXPECT_EQ(h.view.lastLabel(), "Sequenzer gestoppt.") << c.field;
        EXPECT_EQ(h.view.timeFieldsEnabled, std::vector<bool>{true}) << c.field;
        EXPECT_TRUE(h.view.selectedLook.at(1)) << c.field << ": the selection is marked again";
    }
}

TEST(SequencePlayback, StopWithoutSequenceBeepsAndButtonsEndTestMode)
{
    PlaybackHarness h;
    h.model.clearState(StateFlag::SequencePresent);
    h.model.setState(StateFlag::TestMode);
    PressStop(h.sequencer);
    EXPECT_FALSE(h.model.hasState(StateFlag::TestMode));
    EXPECT_EQ(h.user.beeps, 1);
    EXPECT_EQ(h.view.labels, (std::vector<std::string>{"Testmodus wurde abgeschaltet",
                                                       "  Es wurde noch keine Sequenz programmiert !"}));
    EXPECT_EQ(h.view.timeFieldsEnabled, std::vector<bool>{true});
}

TEST(SequencePlayback, FirstTickAfterPlayLoadsTheCurrentStep)
{
    PlaybackHarness h;
    h.model.CurrentStep = 2;
    PressPlay(h.sequencer);
    h.tick();
    EXPECT_EQ(h.model.CurrentStep, 3);
    EXPECT_EQ(h.model.BlendTime, 20);
    EXPECT_EQ(h.model.HoldCounter, 2);
}

}  // namespace
}  // namespace tinctara

#include "remote/RemotePresenter.h"

#include "support/EngineHarness.h"
#include "support/MainWindowFakes.h"
#include "support/ScriptedClock.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

// A 3 x 2 wall with the program's presenters; the host reads the texts the
// windows would show from the recording view, and paints through the colour
// window's rules as the program does while frmColor is closed.
struct RemoteHarness : testing::EngineHarness, RemoteHost {
    RemoteHarness()
    {
        buildWall(3, 2);
        view.sequencerFields = {"", "50", "1"};
        for (int plane = Red; plane <= White; ++plane)
            model.ColourLevels[ShowModel::userColourIndex(4, plane)] = static_cast<std::uint8_t>(plane * 40);
        model.ColourNames[3] = "Lila <b>&\"      ";
    }

    bool questionOpen() const override { return question; }
    bool windowsLocked() const override { return locked; }
    std::string applyColour(const std::array<std::uint8_t, Planes>& rgbw) override
    {
        return closedColour.apply(rgbw, model);
    }
    std::string wallStatus() const override { return view.wallStatus.empty() ? "" : view.wallStatus.back(); }
    std::string sequencerStatus() const override { return view.lastLabel(); }
    std::string title() const override { return view.lastTitle(); }

    RemotePresenter::Reply act(const std::string& message) { return remote.perform(message); }
    std::array<int, 4> element(int number) const
    {
        return {model.colour(Red, number), model.colour(Green, number), model.colour(Blue, number),
                model.colour(White, number)};
    }
    void recordSteps(int count)
    {
        for (int step = 1; step <= count; ++step) {
            setElement(1, step * 10, 0, 0, 0);
            sequencer.cmdSequence_Click(Rec);
        }
    }

    bool question = false;
    bool locked = false;
    testing::FakeMainWindowCommands confirm;
    Selection selection{model, view, user};
    WallWindowPresenter wall{model, view, user, selection};
    testing::FakeSettingsStore settings;
    testing::ScriptedClock clock;
    SequencerPresenter sequencer{{model, view, user, timer, engine, confirm, selection, bus, settings, clock}};
    ClosedColourWindow closedColour{{model, view, user, selection}};
    RemotePresenter remote{{model, view, selection, wall, sequencer, *this}};
};

TEST(RemotePresenter, TapsToggleCellsAsCtrlClicksWithTheWallsTexts)
{
    RemoteHarness h;
    auto reply = h.act("tap 2");
    EXPECT_TRUE(reply.done);
    EXPECT_EQ(reply.status, " Es wurde Element Nr 2 ausgewählt. ");
    reply = h.act("tap 5");
    EXPECT_EQ(reply.status, " Es wurden 2 Elemente ausgewählt");
    reply = h.act("tap 2");  // a second tap deselects, naming the one left
    EXPECT_EQ(reply.status, " Es wurde Element Nr 5 ausgewählt. ");
    EXPECT_EQ(h.model.SelectionFlags[1], 0);
    EXPECT_EQ(h.model.SelectionFlags[4], 1);

    EXPECT_EQ(h.act("all").status, " Es wurden 6 Elemente ausgewählt");
    EXPECT_EQ(h.model.SelectionCount, 6);
    h.act("none");
    EXPECT_EQ(h.model.SelectionCount, 0);
    for (int index = 0; index < 6; ++index)
        EXPECT_EQ(h.model.SelectionFlags[index], 0);
}

TEST(RemotePresenter, ColoursGoThroughTheColourWindowsApply)
{
    RemoteHarness h;
    h.act("tap 1");
    h.act("tap 3");
    h.model.clearDocument(DocumentFlag::SceneChanged);
    const auto reply = h.act("user 4");
    EXPECT_TRUE(reply.done);
    EXPECT_EQ(reply.status, "");
    EXPECT_EQ(h.element(1), (std::array<int, 4>{40, 80, 120, 160}));
    EXPECT_EQ(h.element(3), (std::array<int, 4>{40, 80, 120, 160}));
    EXPECT_EQ(h.element(2), (std::array<int, 4>{0, 0, 0, 0}));
    EXPECT_TRUE(h.model.hasDocument(DocumentFlag::SceneChanged));
    EXPECT_EQ(h.model.MixColour, (std::array<std::uint8_t, 4>{40, 80, 120, 160}));

    // The mixer; the window's test-mode prologue applies.
    h.model.setState(StateFlag::TestMode);
    EXPECT_EQ(h.act("mix 255 0 7 1").status, "Testmodus wurde abgeschaltet");
    EXPECT_FALSE(h.model.hasState(StateFlag::TestMode));
    EXPECT_EQ(h.element(3), (std::array<int, 4>{255, 0, 7, 1}));

    // Nothing selected: nothing painted, but the scene counts as changed, as with the button.
    h.act("none");
    h.model.clearDocument(DocumentFlag::SceneChanged);
    h.act("mix 9 9 9 9");
    EXPECT_EQ(h.element(1), (std::array<int, 4>{255, 0, 7, 1}));
    EXPECT_TRUE(h.model.hasDocument(DocumentFlag::SceneChanged));
}

TEST(RemotePresenter, MalformedActionsAreRefusedWithoutEffect)
{
    RemoteHarness h;
    h.act("tap 1");
    const auto colours = h.model.ElementColours;
    const auto selection = h.model.SelectionFlags;
    for (const char* message : {"",
                                "tap",
                                "tap 0",
                                "tap 7",
                                "tap 256",
                                "tap -1",
                                "tap 1x",
                                "tap 99999999999",
                                "user 0",
                                "user 21",
                                "mix 1 2 3",
                                "mix 1 2 3 256",
                                "mix a b c d",
                                "mix 1 2 3 4 5",
                                "rec",
                                "clear",
                                "PLAY",
                                "jump",
                                "jump 123456",
                                "all 1"}) {
        const auto reply = h.act(message);
        EXPECT_FALSE(reply.done) << message;
        EXPECT_EQ(reply.status, RemoteText::Unknown) << message;
    }
    EXPECT_EQ(h.model.ElementColours, colours);
    EXPECT_EQ(h.model.SelectionFlags, selection);
    EXPECT_EQ(h.model.StepCount, 0);
}

TEST(RemotePresenter, AnOpenQuestionOrATransferRefusesEveryAction)
{
    for (const bool question : {true, false}) {
        RemoteHarness h;
        h.recordSteps(2);
        h.act("tap 1");
        h.question = question;
        h.locked = !question;
        const auto colours = h.model.ElementColours;
        const auto selection = h.model.SelectionFlags;
        const auto step = h.model.CurrentStep;
        const std::size_t titles = h.view.titles.size();
        const bool timer = h.timer.enabled;
        for (const char* message : {"tap 2", "all", "none", "user 4", "mix 1 2 3 4", "play", "stop", "back", "forward",
                                    "jump 1", "nonsense"}) {
            const auto reply = h.act(message);
            EXPECT_FALSE(reply.done) << message;
            EXPECT_EQ(reply.status, question ? "Eine Frage wartet am Rechner." : RemoteText::Transferring) << message;
        }
        EXPECT_EQ(h.model.ElementColours, colours);
        EXPECT_EQ(h.model.SelectionFlags, selection);
        EXPECT_EQ(h.model.CurrentStep, step);
        EXPECT_FALSE(h.model.hasState(StateFlag::SequencePlaying));
        EXPECT_EQ(h.view.titles.size(), titles);
        EXPECT_EQ(h.timer.enabled, timer);  // the output stays as it was
    }
}

TEST(RemotePresenter, SequencerButtonsAndTheStepEntry)
{
    RemoteHarness h;
    auto reply = h.act("play");  // no sequence yet: the sequencer's own refusal
    EXPECT_EQ(reply.status, "Es wurde noch keine Sequenz programmiert !");
    EXPECT_FALSE(h.model.hasState(StateFlag::SequencePlaying));
    EXPECT_EQ(h.act("forward").status, " Es ist noch keine Sequenz erstellt worden!");

    h.recordSteps(3);
    EXPECT_EQ(h.act("back").status, "Auf Szene Nr 2 gesprungen.");
    EXPECT_EQ(h.model.CurrentStep, 2);
    EXPECT_EQ(h.act("forward").status, "Nächste Scene.");
    EXPECT_EQ(h.model.CurrentStep, 3);

    reply = h.act("jump 1");
    EXPECT_TRUE(reply.done);
    EXPECT_EQ(h.model.CurrentStep, 1);
    EXPECT_EQ(h.model.colour(Red, 1), 10);
    EXPECT_TRUE(h.timer.enabled);  // leaving the field starts the output again
    EXPECT_EQ(h.act("jump 9").status, "Szene in der Sequenz nicht vorhanden!");
    EXPECT_EQ(h.model.CurrentStep, 1);
    EXPECT_EQ(h.act("jump 2x").status, " Es sind nur Zahlen erlaubt. ");
    EXPECT_EQ(h.model.CurrentStep, 1);

    EXPECT_EQ(h.act("play").status, "Sequenz wird abgespielt.");
    EXPECT_TRUE(h.model.hasState(StateFlag::SequencePlaying));
    // The wall's cells take no clicks while it plays, and so neither does the page.
    const auto colours = h.model.ElementColours;
    for (const char* message : {"tap 2", "all", "none", "user 4", "mix 1 2 3 4"}) {
        const auto refused = h.act(message);
        EXPECT_FALSE(refused.done) << message;
        EXPECT_EQ(refused.status, RemoteText::WallLocked) << message;
    }
    EXPECT_EQ(h.model.ElementColours, colours);
    EXPECT_EQ(h.model.SelectionCount, 0);
    EXPECT_EQ(h.act("stop").status, "Sequenzer gestoppt.");
    EXPECT_FALSE(h.model.hasState(StateFlag::SequencePlaying));
}

TEST(RemotePresenter, UpdatesCarryOnlyWhatChanged)
{
    RemoteHarness h;
    h.view.setTitle("Linux: QOR DMX TINCTARA");
    const RemoteState first = h.remote.state();
    const std::string full = remoteUpdate(nullptr, first);
    EXPECT_NE(full.find("\"wall\":[3,2,6]"), std::string::npos) << full;
    EXPECT_NE(full.find("[5,\"000000\",0]"), std::string::npos) << full;
    EXPECT_NE(full.find("\"title\":\"Linux: QOR DMX TINCTARA\""), std::string::npos) << full;
    // Show text is escaped for JSON and for HTML alike.
    EXPECT_NE(full.find("[\"Lila \\u003cb\\u003e\\u0026\\\"\",\"c8f0ff\",40,80,120,160]"), std::string::npos) << full;

    EXPECT_EQ(remoteUpdate(&first, h.remote.state()), "");
    h.setElement(2, 200, 0, 0, 100);
    h.act("tap 4");
    const std::string diff = remoteUpdate(&first, h.remote.state());
    EXPECT_EQ(diff, "{\"t\":\"state\",\"cells\":[[1,\"ff6464\",0],[3,\"000000\",1]]}");
}

TEST(RemotePresenter, JsonStringsStayValidWhateverTheBytes)
{
    struct Case {
        std::string text;
        std::string json;
    };
    const Case cases[] = {
        {"plain", "\"plain\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"</script>", "\"\\u003c/script\\u003e\""},
        {std::string("tab\tnl\n\x01\0", 9), "\"tab\\u0009nl\\u000a\\u0001\\u0000\""},
        {"Grün ß €", "\"Grün ß €\""},
        {"bad \xff\xfe end", "\"bad \xEF\xBF\xBD\xEF\xBF\xBD end\""},
        {"cut \xE2\x82", "\"cut \xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"overlong \xC0\xAF", "\"overlong \xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"surrogate \xED\xA0\x80", "\"surrogate \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(jsonString(c.text), c.json) << c.text;
}

}  // namespace
}  // namespace tinctara

#include "windows/EffectsPresenter.h"

#include "core/effects/TestPictures.h"
#include "model/WallBuilder.h"
#include "support/ClickTrack.h"
#include "support/EffectsFakes.h"
#include "support/Fakes.h"
#include "support/MainWindowFakes.h"
#include "support/SavedDocuments.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

namespace tinctara {
namespace {

using testing::FakeMainWindowCommands;
using testing::FakeSettingsStore;
using testing::RecordingEffectsView;
using testing::RecordingView;
using testing::ScriptedUser;

struct EffectsHarness {
    std::unique_ptr<ShowModel> storage = std::make_unique<ShowModel>();
    ShowModel& model = *storage;
    RecordingView show;
    ScriptedUser user;
    FakeMainWindowCommands mainWindow;
    FakeSettingsStore settings;
    RecordingEffectsView view;
    EffectsPresenter presenter{{model, show, user, mainWindow, settings}, view};

    explicit EffectsHarness(int columns = 3, int rows = 1)
    {
        initialiseAtStartUp(model);
        model.WallColumns = static_cast<std::uint8_t>(columns);
        model.WallRows = static_cast<std::uint8_t>(rows);
        model.ElementWidth = 600;
        model.ElementHeight = 1200;
        if (columns * rows > 0)
            BuildWall(model, show, user, WallBuildKind::FromConfiguration);
    }
};

using testing::PictureFolder;

std::vector<Rgb> displayOf(const EffectStep& step)
{
    std::vector<Rgb> colours;
    for (const Rgbw& lamp : step.lamps)
        colours.push_back({lamp.red, lamp.green, lamp.blue});
    return colours;
}

TEST(EffectsPresenter, WithoutAWallTheWindowDoesNotOpen)
{
    EffectsHarness h(0, 0);
    EXPECT_FALSE(h.presenter.Form_Load());
    ASSERT_EQ(h.user.messages.size(), 1u);
    EXPECT_EQ(h.user.messages[0].text, "Es ist kein Element auf der Wand vorhanden.");
}

TEST(EffectsPresenter, AnOpenWindowOpensAgainAtTheNextStartUnlessTheUserClosedIt)
{
    const struct {
        const char* what;
        bool mainWindowClosing;
        bool reopens;
    } cases[] = {
        {"the main window closes over it", true, true},
        {"the user closes it", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EffectsHarness h;
        EXPECT_FALSE(EffectsPresenter::reopensAtStart(h.model));
        ASSERT_TRUE(h.presenter.Form_Load());
        EXPECT_TRUE(EffectsPresenter::reopensAtStart(h.model));  // even if the program ends without a close
        h.presenter.Form_Unload({150, 300, 4500, 3000, 0}, c.mainWindowClosing);
        EXPECT_EQ(EffectsPresenter::reopensAtStart(h.model), c.reopens);
        const WindowPlacement stored = h.presenter.storedPlacement();
        EXPECT_EQ(stored.left, 150);
        EXPECT_EQ(stored.top, 300);
        EXPECT_EQ(stored.width, 4500);
        // Without a wall it waits for the menu.
        h.model.clearState(StateFlag::WallPresent);
        EXPECT_FALSE(EffectsPresenter::reopensAtStart(h.model));
    }
}

TEST(EffectsPresenter, PreviewPlaysTheStepsAsTheOutputTickDoes)
{
    EffectsHarness h;
    ASSERT_TRUE(h.presenter.Form_Load());
    EXPECT_EQ(h.view.colourNames.size(), 22u);
    EXPECT_EQ(h.view.colourNames[2], "Farbe1");
    EXPECT_EQ(h.view.status, "60 Schritte in der Vorschau.");
    // Three steps, hold 1, blend 2: the first step shows at once.
    h.presenter.txtEffekt_Change(StepsField, "3");
    h.presenter.txtEffekt_Change(EffectHoldField, "1");
    h.presenter.timVorschau_Timer();  // regenerates, then the load tick of step 1
    const Rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255};
    ASSERT_FALSE(h.view.frames.empty());
    EXPECT_EQ(h.view.frames.back(), (std::vector<Rgb>{red, green, blue}));
    const std::size_t shown = h.view.frames.size();
    h.presenter.timVorschau_Timer();  // hold
    h.presenter.timVorschau_Timer();  // blend 1 of 2: step 1 is already on, nothing moves
    h.presenter.timVorschau_Timer();  // blend 2
    EXPECT_EQ(h.view.frames.size(), shown);
    h.presenter.timVorschau_Timer();  // step 2: load
    h.presenter.timVorschau_Timer();  // hold
    h.presenter.timVorschau_Timer();  // halfway to step 2 (blue, red, green)
    EXPECT_EQ(h.view.frames.back(), (std::vector<Rgb>{{128, 0, 128}, {128, 128, 0}, {0, 128, 128}}));
    h.presenter.timVorschau_Timer();
    EXPECT_EQ(h.view.frames.back(), (std::vector<Rgb>{blue, red, green}));
}

TEST(EffectsPresenter, KindDecidesTheControls)
{
    EffectsHarness h;
    ASSERT_TRUE(h.presenter.Form_Load());
    h.presenter.cboArt_Click(static_cast<int>(EffectKind::Chase));
    EXPECT_TRUE(h.view.enabled[TailField]);
    EXPECT_FALSE(h.view.enabled[TextField]);
    EXPECT_TRUE(h.view.patternEnabled);
    h.presenter.cboArt_Click(static_cast<int>(EffectKind::Picture));
    EXPECT_TRUE(h.view.enabled[PictureField]);
    EXPECT_FALSE(h.view.enabled[StepsField]);
    EXPECT_TRUE(h.view.fitEnabled);
    EXPECT_EQ(h.view.status, "Bitte wählen Sie eine Bilddatei.");
    h.presenter.cmdEffekt_Click(AppendButton);
    EXPECT_EQ(h.model.StepCount, 0);
}

TEST(EffectsPresenter, AppendAndReplaceReachTheSequence)
{
    EffectsHarness h;
    ASSERT_TRUE(h.presenter.Form_Load());
    h.presenter.txtEffekt_Change(StepsField, "4");
    h.presenter.txtEffekt_Change(EffectBlendField, "9");
    h.presenter.cmdEffekt_Click(AppendButton);
    EXPECT_EQ(h.model.StepCount, 4);
    EXPECT_EQ(h.view.status, "4 Schritte an die Sequenz angehängt; sie hat jetzt 4 Schritte.");
    EXPECT_EQ(h.show.sequencerFields[0], "4");
    EXPECT_EQ(h.show.sequencerFields[1], "9");
    EXPECT_EQ(h.show.elementColours.size(), 3u);  // the wall shows the current step
    h.presenter.cmdEffekt_Click(AppendButton);
    EXPECT_EQ(h.model.StepCount, 8);

    // Replace asks about the unsaved sequence; Cancel keeps it.
    h.mainWindow.cancelAt = DocumentKind::Sequence;
    h.presenter.cmdEffekt_Click(ReplaceButton);
    EXPECT_EQ(h.model.StepCount, 8);
    h.mainWindow.cancelAt.reset();
    h.presenter.txtEffekt_Change(StepsField, "2");
    h.presenter.cmdEffekt_Click(ReplaceButton);
    EXPECT_EQ(h.model.StepCount, 2);
    EXPECT_EQ(h.view.status, "Die Sequenz wurde durch 2 Schritte ersetzt.");
}

TEST(EffectsPresenter, FieldsOutOfRangeAreNamed)
{
    EffectsHarness h;
    ASSERT_TRUE(h.presenter.Form_Load());
    const struct {
        int field;
        const char* text;
        const char* status;
    } cases[] = {
        {StepsField, "0", "Bitte prüfen Sie das Feld \"Schritte\": erlaubt sind 1 bis 250."},
        {StepsField, "251", "Bitte prüfen Sie das Feld \"Schritte\": erlaubt sind 1 bis 250."},
        {StepsField, "2.5", "Bitte prüfen Sie das Feld \"Schritte\": erlaubt sind 1 bis 250."},
        {EffectHoldField, "x", "Bitte prüfen Sie das Feld \"Haltezeit\": erlaubt sind 0 bis 65535."},
        {GammaField, "0", "Bitte prüfen Sie das Feld \"Gamma\": erlaubt sind 0.1 bis 10."},
    };
    for (const auto& c : cases) {
        h.presenter.txtEffekt_Change(c.field, c.text);
        h.presenter.cmdEffekt_Click(AppendButton);
        EXPECT_EQ(h.view.status, c.status);
        EXPECT_EQ(h.model.StepCount, 0);
        h.presenter.txtEffekt_Change(c.field, EffectsText::FieldDefaults[c.field]);
    }
}

TEST(EffectsPresenter, AnEffectThatDoesNotFitIsCutOnlyWhenTheUserSaysYes)
{
    PictureFolder folder;
    std::vector<testing::GifFrame> frames;
    for (int i = 0; i < 300; ++i)
        frames.push_back(testing::solidFrame(1, 1, static_cast<std::uint8_t>(i % 2), 10));
    ASSERT_TRUE(testing::writeGif(folder.path("long.gif"), 1, 1, {{0, 0, 0}, {255, 255, 255}}, frames));

    const struct {
        const char* name;
        int recorded;  // steps in the sequence before
        EffectsButton button;
        bool animation;  // the 300-frame GIF, else a rainbow of 100 steps
        MessageAnswer answer;
        const char* question;
        int stepsAfter;
        const char* status;  // after Yes
    } cases[] = {
        {"append yes", 200, AppendButton, false, MessageAnswer::Yes,
         "Nur 50 von 100 Schritten passen in die Sequenz. Trotzdem anhängen?", 250,
         "50 Schritte an die Sequenz angehängt; sie hat jetzt 250 Schritte."},
        {"append no", 200, AppendButton, false, MessageAnswer::No,
         "Nur 50 von 100 Schritten passen in die Sequenz. Trotzdem anhängen?", 200, nullptr},
        {"replace yes", 4, ReplaceButton, true, MessageAnswer::Yes,
         "Nur 250 von 300 Schritten passen in die Sequenz. Trotzdem ersetzen?", 250,
         "Die Sequenz wurde durch 250 Schritte ersetzt."},
        {"replace no", 4, ReplaceButton, true, MessageAnswer::No,
         "Nur 250 von 300 Schritten passen in die Sequenz. Trotzdem ersetzen?", 4, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EffectsHarness h;
        ASSERT_TRUE(h.presenter.Form_Load());
        h.presenter.txtEffekt_Change(StepsField, std::to_string(c.recorded));
        h.presenter.cmdEffekt_Click(AppendButton);
        ASSERT_EQ(h.model.StepCount, c.recorded);
        h.model.clearDocument(0xFFFF);  // as after saving
        h.model.CurrentStep = 1;
        const std::uint8_t lastLevel = h.model.stepColour(c.recorded, 1, Red);
        h.user.messages.clear();

        if (c.animation) {
            h.presenter.cboArt_Click(static_cast<int>(EffectKind::Animation));
            h.presenter.txtEffekt_Change(PictureField, folder.path("long.gif"));
        } else {
            h.presenter.txtEffekt_Change(StepsField, "100");
        }
        h.user.answers = {c.answer};
        const std::string statusBefore = h.view.status;
        h.presenter.cmdEffekt_Click(c.button);

        // One question, and not the limit message after a Yes.
        ASSERT_EQ(h.user.messages.size(), 1u);
        EXPECT_EQ(h.user.messages[0].text, c.question);
        EXPECT_EQ(h.user.messages[0].buttons, MessageButtons::YesNo);
        EXPECT_EQ(int(h.model.StepCount), c.stepsAfter);
        if (c.answer == MessageAnswer::Yes) {
            EXPECT_EQ(h.view.status, c.status);
            EXPECT_TRUE(h.model.hasDocument(DocumentFlag::SequenceChanged));
            EXPECT_EQ(h.model.CurrentStep, 250);
        } else {
            EXPECT_EQ(h.model.DocumentFlags, 0);
            EXPECT_EQ(h.model.CurrentStep, 1);
            EXPECT_EQ(h.model.stepColour(c.recorded, 1, Red), lastLevel);
            EXPECT_EQ(h.view.status, statusBefore);
        }
    }
}

TEST(EffectsPresenter, WhenNothingFitsTheLimitMessageRefuses)
{
    EffectsHarness h;
    ASSERT_TRUE(h.presenter.Form_Load());
    h.presenter.txtEffekt_Change(StepsField, "250");
    h.presenter.cmdEffekt_Click(AppendButton);
    ASSERT_EQ(h.model.StepCount, 250);
    h.model.clearDocument(0xFFFF);
    h.user.messages.clear();
    h.presenter.txtEffekt_Change(StepsField, "10");
    h.presenter.cmdEffekt_Click(AppendButton);
    ASSERT_EQ(h.user.messages.size(), 1u);
    EXPECT_EQ(h.user.messages[0].text, StepLimitMessage);
    EXPECT_EQ(h.user.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(h.view.status, StepLimitMessage);
    EXPECT_EQ(h.model.StepCount, 250);
    EXPECT_EQ(h.model.DocumentFlags, 0);
}

TEST(EffectsPresenter, CountsAgreeWithTheirNoun)
{
    const struct {
        const char* steps;
        const char* preview;
        const char* appended;
        const char* replaced;
    } cases[] = {
        {"1", "1 Schritt in der Vorschau.", "1 Schritt an die Sequenz angehängt; sie hat jetzt 1 Schritt.",
         "Die Sequenz wurde durch 1 Schritt ersetzt."},
        {"2", "2 Schritte in der Vorschau.", "2 Schritte an die Sequenz angehängt; sie hat jetzt 2 Schritte.",
         "Die Sequenz wurde durch 2 Schritte ersetzt."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.steps);
        EffectsHarness h;
        ASSERT_TRUE(h.presenter.Form_Load());
        h.presenter.txtEffekt_Change(StepsField, c.steps);
        h.presenter.cmdEffekt_Click(PreviewButton);
        EXPECT_EQ(h.view.status, c.preview);
        h.presenter.cmdEffekt_Click(AppendButton);
        EXPECT_EQ(h.view.status, c.appended);
        h.presenter.cmdEffekt_Click(ReplaceButton);
        EXPECT_EQ(h.view.status, c.replaced);
    }
}

TEST(EffectsPresenter, ThePreviewFollowsTheKindAndItsSettings)
{
    EffectsHarness h;
    ASSERT_TRUE(h.presenter.Form_Load());
    const std::vector<Rgb> rainbow = h.view.frames.back();

    // A new kind is shown at once, without waiting for a tick.
    h.presenter.cboArt_Click(static_cast<int>(EffectKind::Plasma));
    ASSERT_FALSE(h.presenter.preview().steps.empty());
    EXPECT_EQ(h.view.frames.back(), displayOf(h.presenter.preview().steps[0]));
    EXPECT_NE(h.view.frames.back(), rainbow);

    // A picture without a file shows a dark wall, and the ticks keep it dark.
    const std::vector<Rgb> dark(3, Rgb{0, 0, 0});
    h.presenter.cboArt_Click(static_cast<int>(EffectKind::Picture));
    EXPECT_EQ(h.view.frames.back(), dark);
    EXPECT_EQ(h.view.status, "Bitte wählen Sie eine Bilddatei.");
    for (int tick = 0; tick < 20; ++tick)
        h.presenter.timVorschau_Timer();
    EXPECT_EQ(h.view.frames.back(), dark);

    // A picture follows its fit once the settings rest, and a bad file name
    // leaves no stale picture behind.
    PictureFolder folder;
    ASSERT_TRUE(testing::writePng(folder.path("rb.png"), 2, 1, [](int x, int) {
        return x == 0 ? testing::Pixel{255, 0, 0, 255} : testing::Pixel{0, 0, 255, 255};
    }));
    h.user.dialogResults = {folder.path("rb.png")};
    h.presenter.cmdDatei_Click();
    const std::vector<Rgb> fitted = h.view.frames.back();
    EXPECT_NE(fitted, dark);
    h.presenter.cboEinpassen_Click(static_cast<int>(PictureFit::Stretch));
    for (int tick = 0; tick < 20; ++tick)
        h.presenter.timVorschau_Timer();
    EXPECT_EQ(h.view.frames.back(), (std::vector<Rgb>{{255, 0, 0}, {128, 0, 127}, {0, 0, 255}}));
    h.presenter.txtEffekt_Change(PictureField, folder.path("missing.png"));
    for (int tick = 0; tick < 20; ++tick)
        h.presenter.timVorschau_Timer();
    EXPECT_EQ(h.view.frames.back(), dark);
}

namespace music {

// Three steps of a rainbow recorded through the window: the input.
void recordThreeSteps(EffectsHarness& h)
{
    ASSERT_TRUE(h.presenter.Form_Load());
    h.presenter.txtEffekt_Change(StepsField, "3");
    h.presenter.cmdEffekt_Click(ReplaceButton);
    ASSERT_EQ(h.model.StepCount, 3);
}

struct SequenceBytes {
    int steps;
    std::vector<std::uint8_t> colours;
    std::vector<std::uint16_t> times;
    bool operator==(const SequenceBytes&) const = default;
};

SequenceBytes sequenceOf(const ShowModel& model)
{
    SequenceBytes bytes{model.StepCount, {}, {}};
    for (int step = 1; step <= model.StepCount; ++step) {
        bytes.times.push_back(model.holdTime(step));
        bytes.times.push_back(model.blendTime(step));
        for (int element = 1; element <= model.elementsInUse(); ++element)
            for (int plane = Red; plane <= White; ++plane)
                bytes.colours.push_back(model.stepColour(step, element, plane));
    }
    return bytes;
}

}  // namespace music

// A click track every two beats from 0.25 s: after the analysis the sequence
// holds what LayOntoBeats makes of the same beats, the input's pictures in
// order, and the status line says what the command line says.
TEST(EffectsPresenterMusic, LaysTheSequenceOntoTheSongsBeats)
{
    testing::AudioFolder folder;
    const testing::ClickTrack track = testing::clickTrack({{0.25, 120}}, 20);
    const std::string song = folder.path("click.wav");
    ASSERT_TRUE(testing::writeSoundFile(song, track.samples, track.sampleRate));

    EffectsHarness h;
    music::recordThreeSteps(h);
    const music::SequenceBytes input = music::sequenceOf(h.model);
    h.presenter.txtMusik_Change(SongField, song);
    h.presenter.cboBeats_Click(1);  // 2 beats
    h.presenter.txtMusik_Change(BeatBlendField, "0,25");
    h.presenter.txtMusik_Change(SongStartField, "0,25");
    h.mainWindow.asked.clear();
    h.presenter.cmdMusik_Click(LayOntoMusicButton);
    EXPECT_EQ(h.mainWindow.asked, std::vector<DocumentKind>{DocumentKind::Sequence});  // as "Ersetzen" asks
    EXPECT_EQ(h.view.status, "Musik wird analysiert …");
    EXPECT_TRUE(h.view.analysing);
    EXPECT_TRUE(h.presenter.analysing());
    h.presenter.cmdMusik_Click(LayOntoMusicButton);  // a second click while it runs starts nothing
    h.presenter.musicAnalysed();
    EXPECT_EQ(h.view.wakes.load(), 1);
    EXPECT_NE(h.view.wokenOn, std::this_thread::get_id());  // the window's thread was free meanwhile
    EXPECT_FALSE(h.view.analysing);
    EXPECT_FALSE(h.presenter.analysing());

    const FileAnalysis analysis = analyseFile(song);
    ASSERT_TRUE(analysis.error.empty());
    const BeatLayoutOptions options{.everyBeats = 2, .blendFraction = 0.25, .startSeconds = 0.25};
    BeatLayoutOptions withTempo = options;
    withTempo.beatPeriodSeconds = analysis.beatPeriodSeconds;
    const BeatLayout expected = LayOntoBeats(3, analysis.beats, withTempo);
    ASSERT_GE(expected.steps.size(), 8u);
    ASSERT_EQ(h.model.StepCount, static_cast<int>(expected.steps.size()));
    for (int step = 1; step <= h.model.StepCount; ++step) {
        SCOPED_TRACE(step);
        const BeatStep& beat = expected.steps[static_cast<std::size_t>(step - 1)];
        EXPECT_EQ(h.model.holdTime(step), beat.hold);
        EXPECT_EQ(h.model.blendTime(step), beat.blend);
        for (int element = 1; element <= 3; ++element)
            for (int plane = Red; plane <= White; ++plane)
                EXPECT_EQ(
                    h.model.stepColour(step, element, plane),
                    input
                        .colours[static_cast<std::size_t>(((beat.inputStep - 1) * 3 + element - 1) * 4 + plane - Red)]);
    }
    std::string summary = BeatLayoutSummary(expected, options);
    summary.pop_back();
    EXPECT_EQ(h.view.status, summary);
    EXPECT_NE(h.view.status.find(" Schritte geschrieben, einer je 2 Schläge; "), std::string::npos);
    EXPECT_TRUE(h.model.hasState(StateFlag::SequencePresent));
    EXPECT_EQ(h.show.sequencerFields[0], std::to_string(h.model.CurrentStep));
    h.presenter.musicAnalysed();  // nothing pending: nothing happens
    EXPECT_EQ(h.view.status, summary);
}

// What cannot be laid leaves the sequence and its flags as they were: the
// analysis' own error for a song it cannot read, the report for one with
// too few beats.
TEST(EffectsPresenterMusic, ASongThatGivesNoStepsLeavesTheSequence)
{
    testing::AudioFolder folder;
    testing::writeSoundFile(folder.path("silent.wav"), testing::silentTrack(8).samples, 44100);
    {
        std::ofstream(folder.path("broken.wav"), std::ios::binary) << "RIFF\x10\0\0\0WAVEfmt junk";
    }
    const struct {
        const char* what;
        std::string song;
        const char* statusStart;
    } cases[] = {
        {"missing", folder.path("missing.wav"), "Die Audiodatei "},
        {"not sound", folder.path("broken.wav"), "Die Audiodatei "},
        {"silence", folder.path("silent.wav"), "Tempo: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EffectsHarness h;
        music::recordThreeSteps(h);
        const music::SequenceBytes before = music::sequenceOf(h.model);
        const auto flags = h.model.StateFlags;
        const auto document = h.model.DocumentFlags;
        h.presenter.txtMusik_Change(SongField, c.song);
        h.presenter.cmdMusik_Click(LayOntoMusicButton);
        h.presenter.musicAnalysed();
        EXPECT_EQ(h.view.status.rfind(c.statusStart, 0), 0u) << h.view.status;
        if (c.statusStart == std::string("Die Audiodatei "))
            EXPECT_EQ(h.view.status, analyseFile(c.song).error);
        else
            EXPECT_NE(h.view.status.find("Keine Schritte: das Lied hat ab dem Start zu wenige Schläge."),
                      std::string::npos);
        EXPECT_EQ(music::sequenceOf(h.model), before);
        EXPECT_EQ(h.model.StateFlags, flags);
        EXPECT_EQ(h.model.DocumentFlags, document);
        EXPECT_FALSE(h.view.analysing);
    }
}

// Refused before any analysis starts, as "Ersetzen" refuses.
TEST(EffectsPresenterMusic, RefusalsComeBeforeTheAnalysis)
{
    const struct {
        const char* what;
        const char* song;
        const char* blend;
        const char* start;
        bool playing;
        bool empty;
        bool cancel;
        const char* status;
    } cases[] = {
        {"no song", "", "0,5", "0", false, false, false, "Bitte wählen Sie ein Lied."},
        {"blend above 1", "a.wav", "1,5", "0", false, false, false,
         "Bitte prüfen Sie das Feld \"Blende (Anteil vom Beat)\": erlaubt sind 0 bis 1."},
        {"blend not a number", "a.wav", "halb", "0", false, false, false,
         "Bitte prüfen Sie das Feld \"Blende (Anteil vom Beat)\": erlaubt sind 0 bis 1."},
        {"start below 0", "a.wav", "0,5", "-1", false, false, false,
         "Bitte prüfen Sie das Feld \"Start (s)\": erlaubt sind 0 bis 86400."},
        {"playing", "a.wav", "0,5", "0", true, false, false, "Sie müssen die Sequenz erst anhalten!"},
        {"no steps", "a.wav", "0,5", "0", false, true, false, "Die Sequenz hat keine Schritte."},
        {"unsaved, cancelled", "a.wav", "0,5", "0", false, false, true, "3 Schritte in der Vorschau."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EffectsHarness h;
        if (c.empty) {
            ASSERT_TRUE(h.presenter.Form_Load());
            h.presenter.txtEffekt_Change(StepsField, "3");
            h.presenter.timVorschau_Timer();
        } else {
            music::recordThreeSteps(h);
            h.presenter.cmdEffekt_Click(PreviewButton);
        }
        if (c.playing)
            h.model.setState(StateFlag::SequencePlaying);
        if (c.cancel)
            h.mainWindow.cancelAt = DocumentKind::Sequence;
        h.presenter.txtMusik_Change(SongField, c.song);
        h.presenter.txtMusik_Change(BeatBlendField, c.blend);
        h.presenter.txtMusik_Change(SongStartField, c.start);
        const int beeps = h.user.beeps;
        h.presenter.cmdMusik_Click(LayOntoMusicButton);
        EXPECT_FALSE(h.presenter.analysing());
        EXPECT_FALSE(h.view.analysing);
        EXPECT_EQ(h.view.status, c.status);
        EXPECT_EQ(h.user.beeps, beeps + (c.cancel ? 0 : 1));
        EXPECT_EQ(h.model.StepCount, c.empty ? 0 : 3);
    }
}

// The fields come back at the next opening from the per-user store; what the
// store holds out of range opens as the default, and a bad field is never
// stored over a good value.
TEST(EffectsPresenterMusic, TheSettingsOutliveTheWindow)
{
    EffectsHarness h;
    ASSERT_TRUE(h.presenter.Form_Load());
    EXPECT_EQ(h.view.musicFields, (std::array<std::string, 3>{"", "0,5", "0"}));
    EXPECT_EQ(h.view.everyBeatsChoice, 0);
    h.presenter.txtMusik_Change(SongField, "/musik/Lied 1.flac");
    h.presenter.cboBeats_Click(2);
    h.presenter.txtMusik_Change(BeatBlendField, "0,25");
    h.presenter.txtMusik_Change(SongStartField, "12.5");
    h.presenter.txtMusik_Change(SongStartField, "12,5 s");  // typed on: not a number, not stored
    h.presenter.cboBeats_Click(3);                          // no such choice
    const std::map<std::string, std::string> stored{{"TINCTARA/Music/BlendFraction", "0.25"},
                                                    {"TINCTARA/Music/EveryBeats", "4"},
                                                    {"TINCTARA/Music/Song", "/musik/Lied 1.flac"},
                                                    {"TINCTARA/Music/Start", "12.5"}};
    EXPECT_EQ(h.settings.values, stored);

    RecordingEffectsView view;
    EffectsPresenter again{{h.model, h.show, h.user, h.mainWindow, h.settings}, view};
    ASSERT_TRUE(again.Form_Load());
    EXPECT_EQ(view.musicFields, (std::array<std::string, 3>{"/musik/Lied 1.flac", "0,25", "12,5"}));
    EXPECT_EQ(view.everyBeatsChoice, 2);
    EXPECT_EQ(again.everyBeats(), 4);

    const struct {
        const char* key;
        const char* value;
    } bad[] = {{"EveryBeats", "3"}, {"EveryBeats", "x"}, {"BlendFraction", "1.01"}, {"BlendFraction", "nan"},
               {"Start", "86401"},  {"Start", ""},       {"Start", "1e999"}};
    for (const auto& b : bad) {
        SCOPED_TRACE(std::string(b.key) + "=" + b.value);
        FakeSettingsStore store;
        store.values["TINCTARA/Music/" + std::string(b.key)] = b.value;
        RecordingEffectsView fresh;
        EffectsPresenter presenter{{h.model, h.show, h.user, h.mainWindow, store}, fresh};
        ASSERT_TRUE(presenter.Form_Load());
        EXPECT_EQ(fresh.everyBeatsChoice, 0);
        EXPECT_EQ(fresh.musicFields[BeatBlendField], "0,5");
        EXPECT_EQ(fresh.musicFields[SongStartField], "0");
    }
}

// The preview with music runs through the two hooks; without them its
// button stays off.
TEST(EffectsPresenterMusic, ThePreviewButtonCallsItsHooks)
{
    {
        EffectsHarness h;
        ASSERT_TRUE(h.presenter.Form_Load());
        EXPECT_FALSE(h.view.previewAvailable);
        h.presenter.txtMusik_Change(SongField, "lied.wav");
        h.presenter.cmdMusik_Click(MusicPreviewButton);
        EXPECT_FALSE(h.presenter.musicPreviewRunning());
    }
    EffectsHarness h;
    std::vector<std::string> started;
    int stopped = 0;
    std::string refusal;
    RecordingEffectsView view;
    EffectsPresenter presenter{{h.model, h.show, h.user, h.mainWindow, h.settings,
                                [&](const std::string& song) {
                                    started.push_back(song);
                                    return refusal;
                                },
                                [&] { ++stopped; }},
                               view};
    ASSERT_TRUE(presenter.Form_Load());
    EXPECT_TRUE(view.previewAvailable);
    EXPECT_FALSE(view.previewChecked);

    presenter.cmdMusik_Click(MusicPreviewButton);  // no song yet
    EXPECT_TRUE(started.empty());
    EXPECT_EQ(view.status, "Bitte wählen Sie ein Lied.");
    EXPECT_FALSE(view.previewChecked);

    presenter.txtMusik_Change(SongField, "/musik/lied.wav");
    presenter.cmdMusik_Click(MusicPreviewButton);
    EXPECT_EQ(started, std::vector<std::string>{"/musik/lied.wav"});
    EXPECT_TRUE(view.previewChecked);
    EXPECT_TRUE(presenter.musicPreviewRunning());
    presenter.cmdMusik_Click(MusicPreviewButton);
    EXPECT_EQ(stopped, 1);
    EXPECT_FALSE(view.previewChecked);

    // It ends by itself: the button comes up, and the next click starts it again.
    presenter.cmdMusik_Click(MusicPreviewButton);
    presenter.musicPreviewEnded();
    EXPECT_FALSE(view.previewChecked);
    EXPECT_TRUE(view.previewAvailable);
    presenter.cmdMusik_Click(MusicPreviewButton);
    EXPECT_EQ(started.size(), 3u);
    EXPECT_EQ(stopped, 1);

    // Closing the window stops the song.
    presenter.Form_Unload({}, false);
    EXPECT_EQ(stopped, 2);
    EXPECT_FALSE(presenter.musicPreviewRunning());

    // A preview that cannot start says why and stays up.
    refusal = "Die Audiodatei lied.wav kann nicht gelesen werden: kaputt";
    presenter.cmdMusik_Click(MusicPreviewButton);
    EXPECT_EQ(view.status, refusal);
    EXPECT_FALSE(view.previewChecked);
    EXPECT_FALSE(presenter.musicPreviewRunning());
}

// --- undo ------------------------------------------------------------------

// Three steps saved, then a history; the song is a click track.
struct EffectsUndoHarness : EffectsHarness {
    EffectsUndoHarness()
    {
        music::recordThreeSteps(*this);
        model.DocumentFlags = 0;
        edits = std::make_unique<ShowEdits>(model);
        presenter.recordEdits(edits.get());
        const testing::ClickTrack track = testing::clickTrack({{0.25, 120}}, 12);
        testing::writeSoundFile(folder.path("click.wav"), track.samples, track.sampleRate);
        presenter.txtMusik_Change(SongField, folder.path("click.wav"));
    }
    // The saved files as the sequencer shows the current step (its blend
    // field is the sequence file's speed).
    std::array<std::string, history::DocumentKindCount> files()
    {
        show.sequencerFields[1] = std::to_string(model.blendTime(model.CurrentStep));
        return testing::allSavedBytes(context, folder.root);
    }
    std::unique_ptr<ShowEdits> edits;
    testing::AudioFolder folder;
    testing::FakeTimer timer;
    ShowFileContext context{model, show, user, timer, {}};
};

TEST(EffectsUndo, EachWayIntoTheSequenceIsOneEntryForTheSequenceAndTheWall)
{
    const struct {
        const char* caption;
        std::function<void(EffectsUndoHarness&)> edit;
    } cases[] = {
        {"Effekt angehängt",
         [](EffectsUndoHarness& h) {
             h.presenter.cboArt_Click(static_cast<int>(EffectKind::Chase));
             h.presenter.txtEffekt_Change(StepsField, "2");
             h.presenter.cmdEffekt_Click(AppendButton);
         }},
        {"Effekt ersetzt die Sequenz",
         [](EffectsUndoHarness& h) {
             h.presenter.cboArt_Click(static_cast<int>(EffectKind::Chase));
             h.presenter.cmdEffekt_Click(ReplaceButton);
         }},
        {"Auf Musik gelegt",
         [](EffectsUndoHarness& h) {
             h.presenter.cmdMusik_Click(LayOntoMusicButton);
             h.presenter.musicAnalysed();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        EffectsUndoHarness h;
        const auto before = h.files();
        c.edit(h);
        const auto after = h.files();
        ASSERT_NE(after[static_cast<std::size_t>(history::DocumentKind::Sequence)],
                  before[static_cast<std::size_t>(history::DocumentKind::Sequence)]);
        EXPECT_EQ(h.edits->history().undoCount(), 1u);
        EXPECT_EQ(h.edits->history().undoCaption(), std::string("Rückgängig: ") + c.caption);

        ASSERT_TRUE(h.edits->undo());
        EXPECT_EQ(h.files(), before);
        EXPECT_FALSE(h.model.hasDocument(DocumentFlag::SequenceChanged));
        EXPECT_FALSE(h.model.hasDocument(DocumentFlag::SceneChanged));
        ASSERT_TRUE(h.edits->redo());
        EXPECT_EQ(h.files(), after);
        EXPECT_TRUE(h.model.hasDocument(DocumentFlag::SequenceChanged));
    }
}

// A field refused, the unsaved sequence kept at the question, a sequence
// that plays: no entry, and the files stand.
TEST(EffectsUndo, RefusedOrCancelledLeavesNoEntry)
{
    EffectsUndoHarness h;
    const auto before = h.files();
    h.presenter.txtEffekt_Change(StepsField, "0");
    h.presenter.cmdEffekt_Click(AppendButton);
    h.presenter.txtEffekt_Change(StepsField, "4");
    h.mainWindow.cancelAt = DocumentKind::Sequence;
    h.presenter.cmdEffekt_Click(ReplaceButton);
    h.presenter.cmdMusik_Click(LayOntoMusicButton);
    h.presenter.musicAnalysed();
    h.mainWindow.cancelAt.reset();
    h.model.setState(StateFlag::SequencePlaying);
    h.presenter.cmdEffekt_Click(AppendButton);
    EXPECT_EQ(h.edits->history().undoCount(), 0u);
    EXPECT_EQ(h.files(), before);
}

}  // namespace
}  // namespace tinctara

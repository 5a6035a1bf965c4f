#include "windows/EffectsPresenter.h"

#include "core/effects/TestPictures.h"
#include "model/WallBuilder.h"
#include "support/Fakes.h"
#include "support/MainWindowFakes.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <memory>

namespace tinctara {
namespace {

using testing::FakeMainWindowCommands;
using testing::FakeSettingsStore;
using testing::RecordingView;
using testing::ScriptedUser;

class RecordingEffectsView : public EffectsView {
public:
    void setStatus(std::string_view text) override { status = text; }
    void setField(int index, std::string_view text) override { fields.at(index) = text; }
    void setFieldEnabled(int index, bool on) override { enabled.at(index) = on; }
    void setChoicesEnabled(bool, bool pattern, bool fit, bool) override
    {
        patternEnabled = pattern;
        fitEnabled = fit;
    }
    void setColourChoices(const std::vector<std::string>& names) override { colourNames = names; }
    void setPreviewWall(const EffectWall& wall) override { previewColumns = wall.columns; }
    void showPreview(const std::vector<Rgb>& colours) override { frames.push_back(colours); }
    void setMusicField(int index, std::string_view text) override { musicFields.at(index) = text; }
    void setEveryBeats(int choice) override { everyBeatsChoice = choice; }
    void setAnalysing(bool on) override { analysing = on; }
    void setMusicPreview(bool available, bool running) override
    {
        previewAvailable = available;
        previewChecked = running;
    }
    void musicAnalysisFinished() override { ++wakes; }  // on the analysis thread

    std::string status;
    std::array<std::string, EffectsText::Fields> fields;
    std::array<bool, EffectsText::Fields> enabled{};
    bool patternEnabled = false;
    bool fitEnabled = false;
    std::vector<std::string> colourNames;
    int previewColumns = 0;
    std::vector<std::vector<Rgb>> frames;
    std::array<std::string, EffectsText::MusicFields> musicFields;
    int everyBeatsChoice = -1;
    bool analysing = false;
    bool previewAvailable = false;
    bool previewChecked = false;
    std::atomic<int> wakes{0};
};

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

}  // namespace
}  // namespace tinctara

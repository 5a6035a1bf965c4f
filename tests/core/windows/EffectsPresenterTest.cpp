#include "windows/EffectsPresenter.h"

#include "model/WallBuilder.h"
#include "support/Fakes.h"
#include "support/MainWindowFakes.h"

#include <gtest/gtest.h>

#include <memory>

namespace tinctara {
namespace {

using testing::FakeMainWindowCommands;
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

    std::string status;
    std::array<std::string, EffectsText::Fields> fields;
    std::array<bool, EffectsText::Fields> enabled{};
    bool patternEnabled = false;
    bool fitEnabled = false;
    std::vector<std::string> colourNames;
    int previewColumns = 0;
    std::vector<std::vector<Rgb>> frames;
};

struct EffectsHarness {
    std::unique_ptr<ShowModel> storage = std::make_unique<ShowModel>();
    ShowModel& model = *storage;
    RecordingView show;
    ScriptedUser user;
    FakeMainWindowCommands mainWindow;
    RecordingEffectsView view;
    EffectsPresenter presenter{{model, show, user, mainWindow}, view};

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

TEST(EffectsPresenter, WithoutAWallTheWindowDoesNotOpen)
{
    EffectsHarness h(0, 0);
    EXPECT_FALSE(h.presenter.Form_Load());
    ASSERT_EQ(h.user.messages.size(), 1u);
    EXPECT_EQ(h.user.messages[0].text, "Es ist kein Element auf der Wand vorhanden.");
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

}  // namespace
}  // namespace tinctara

#include "support/EngineHarness.h"
#include "text/Text.h"
#include "windows/ColourWindowPresenter.h"

#include <gtest/gtest.h>

#include <optional>

namespace tinctara {
namespace {

class FakeColourView : public ColourWindowView {
public:
    void setCaption(std::string_view text) override { caption = text; }
    void setStatus(std::string_view text) override { status = text; }
    void showFader(int index, int value) override { faders.at(index) = value; }
    void setFaderMinimum(int value) override { minimum = value; }
    void setValueField(int index, std::string_view text) override { fields.at(index) = text; }
    void showPanelColour(Rgb colour) override { panel = colour; }
    void showUserColour(int index, Rgb colour) override { userColours.at(index) = colour; }
    void setNumberField(std::string_view text) override { number = text; }
    void setNameField(std::string_view text) override { name = text; }
    void setStorePromptVisible(bool visible) override { prompt = visible; }
    void setImmediateApplyChecked(bool checked) override { immediateChecked = checked; }
    void focus(ColourControl control) override { focused = control; }

    std::string caption;
    std::string status = "Statuszeile";
    std::array<int, 4> faders{};
    int minimum = 0;
    std::array<std::string, 4> fields{"0", "0", "0", "0"};
    Rgb panel;
    std::array<Rgb, UserColours> userColours{};
    std::string number;
    std::string name;
    bool prompt = false;
    std::optional<bool> immediateChecked;
    std::optional<ColourControl> focused;
};

struct ColourHarness : testing::EngineHarness {
    explicit ColourHarness(bool load = true)
    {
        buildWall(3, 3);
        if (load)
            window.Form_Load();
        view.repaintedElements.clear();
        user.beeps = 0;
    }
    void select(std::initializer_list<int> elements)
    {
        for (int element : elements)
            selection.addToSelection(element - 1);
    }
    std::array<int, 4> levels(int element) const
    {
        return {model.colour(Red, element), model.colour(Green, element), model.colour(Blue, element),
                model.colour(White, element)};
    }
    std::array<int, 4> mix() const
    {
        return {model.MixColour[0], model.MixColour[1], model.MixColour[2], model.MixColour[3]};
    }
    void setUserColour(int colour, std::array<int, 4> values)
    {
        for (int plane = Red; plane <= White; ++plane)
            model.ColourLevels[ShowModel::userColourIndex(colour, plane)] =
                static_cast<std::uint8_t>(values[plane - 1]);
    }
    // The user types a text into a value field and leaves it.
    void enter(int index, const std::string& text)
    {
        window.txtFarbe_Change(index, text);
        window.txtFarbe_LostFocus(index);
    }

    Selection selection{model, view, user};
    FakeColourView colourView;
    ColourWindowPresenter window{{model, view, user, selection}, colourView};
};

TEST(ColourWindow, CreationTicksImmediateApplyAndShowsTheModel)
{
    ColourHarness h(false);
    h.model.ColourTableFileName = "/show/Farbtbl/WARM.CCT";
    h.model.MixColour = {10, 20, 30, 40};
    h.setUserColour(3, {100, 0, 0, 200});
    h.select({2, 5});
    h.window.Form_Load();

    EXPECT_EQ(h.colourView.caption, "Color Fenster WARM.CCT");
    EXPECT_TRUE(h.model.hasState(StateFlag::ColourWindowOpen));
    EXPECT_TRUE(h.model.hasState(StateFlag::ImmediateApply));
    EXPECT_EQ(h.colourView.immediateChecked, true);
    // The faders start where MixColour stands, and the tick paints it.
    EXPECT_EQ(h.colourView.faders, (std::array<int, 4>{10, 20, 30, 40}));
    EXPECT_EQ(h.levels(2), (std::array<int, 4>{10, 20, 30, 40}));
    EXPECT_EQ(h.levels(5), (std::array<int, 4>{10, 20, 30, 40}));
    EXPECT_TRUE(h.model.hasDocument(DocumentFlag::SceneChanged));
    EXPECT_EQ(h.colourView.status, "");
    EXPECT_EQ(h.colourView.panel, (Rgb{50, 60, 70}));
    EXPECT_EQ(h.colourView.userColours[2], (Rgb{255, 200, 200}));
    EXPECT_EQ(h.mix(), (std::array<int, 4>{10, 20, 30, 40}));  // untouched by the user-colour fields
}

TEST(ColourWindow, FaderSetByCodeRunsTheChangeOnlyForANewValue)
{
    ColourHarness h;
    h.select({4});
    h.window.cmdColor_Click(3);  // store mode: a status text the prologue would clear
    h.window.setFader(2, 0);
    EXPECT_EQ(h.colourView.status, "Bitte die Farbnr. angeben oder klicken auf eine.");
    EXPECT_TRUE(h.view.repaintedElements.empty());

    h.window.setFader(2, 77);
    EXPECT_EQ(h.colourView.status, "");
    EXPECT_EQ(h.colourView.faders[2], 77);
    EXPECT_EQ(h.colourView.fields[2], "77");
    EXPECT_EQ(h.model.MixColour[2], 77);
    EXPECT_EQ(h.levels(4), (std::array<int, 4>{0, 0, 77, 0}));
    EXPECT_EQ(h.view.repaintedElements, (std::vector<int>{3}));

    h.window.setFader(1, 300);  // kept inside the fader's range
    EXPECT_EQ(h.window.fader(1), 255);
}

TEST(ColourWindow, ValueFieldKeyFilter)
{
    struct Case {
        int field;
        int keyCode;
        const char* fieldAfter;
        const char* status;
        int beeps;
        std::optional<ColourControl> focus;
    } cases[] = {
        {0, 49, "12", "", 0, {}},                              // digit 1
        {1, 8, "12", "", 0, {}},                               // Backspace
        {2, 65, "0", " Es sind nur Zahlen erlaubt!", 1, {}},   // a letter
        {2, 189, "0", " Es sind nur Zahlen erlaubt!", 1, {}},  // minus
        {3, 97, "0", " Es sind nur Zahlen erlaubt!", 1, {}},   // keypad 1
        {1, 13, "12", "Bitte mit TAB weitergehen.", 0, ColourControl::ValueField2},
        {3, 13, "12", "Bitte mit TAB weitergehen.", 0, ColourControl::ApplyButton},
    };
    for (const auto& c : cases) {
        ColourHarness h;
        h.window.setFader(c.field, 33);
        h.window.txtFarbe_Change(c.field, "12");
        h.colourView.fields[c.field] = "12";
        h.window.txtFarbe_KeyUp(c.field, c.keyCode, false);
        SCOPED_TRACE(c.keyCode);
        EXPECT_EQ(h.colourView.fields[c.field], c.fieldAfter);
        EXPECT_EQ(h.colourView.status, c.status);
        EXPECT_EQ(h.user.beeps, c.beeps);
        EXPECT_EQ(h.colourView.focused, c.focus);
        EXPECT_EQ(h.window.fader(c.field), 33);  // typing never moves the fader
        EXPECT_EQ(h.model.MixColour[c.field], 33);
    }
}

TEST(ColourWindow, LeavingAValueFieldChecksTheRange)
{
    struct Case {
        const char* text;
        int fader;
        const char* fieldAfter;
        bool refused;
    } cases[] = {
        {"256", 40, "0", true},    {"", 40, "0", true},  {"-1", 40, "0", true},   {"255", 255, "255", false},
        {"12.5", 12, "12", false}, {"0", 0, "0", false}, {"7abc", 7, "7", false},
    };
    for (const auto& c : cases) {
        ColourHarness h;
        h.window.setFader(1, 40);
        h.enter(1, c.text);
        SCOPED_TRACE(c.text);
        EXPECT_EQ(h.window.fader(1), c.fader);
        EXPECT_EQ(h.model.MixColour[1], c.fader);
        EXPECT_EQ(h.colourView.fields[1], c.fieldAfter);
        EXPECT_EQ(h.user.beeps, c.refused ? 1 : 0);
        EXPECT_EQ(h.colourView.status, c.refused ? "Es sind nur Werte zwischen 0 und 255 möglich!" : "");
    }
}

TEST(ColourWindow, TakeButtonPicksTheLowestSelectedElementWithoutPainting)
{
    ColourHarness h;
    h.setElement(3, 1, 2, 3, 4);
    h.setElement(6, 200, 150, 100, 50);
    h.setElement(8, 9, 9, 9, 9);
    h.select({8, 6, 3});
    h.window.cmdColor_Click(0);
    EXPECT_EQ(h.mix(), (std::array<int, 4>{1, 2, 3, 4}));
    EXPECT_EQ(h.colourView.faders, (std::array<int, 4>{1, 2, 3, 4}));
    EXPECT_EQ(h.colourView.focused, ColourControl::Fader3);
    EXPECT_EQ(h.levels(6), (std::array<int, 4>{200, 150, 100, 50}));
    EXPECT_EQ(h.levels(8), (std::array<int, 4>{9, 9, 9, 9}));
    EXPECT_TRUE(h.view.repaintedElements.empty());
    EXPECT_TRUE(h.model.hasState(StateFlag::ImmediateApply));  // back on afterwards

    // With nothing selected only the prologue runs.
    ColourHarness none;
    none.window.setFader(0, 5);
    none.model.setState(StateFlag::TestMode);
    none.window.cmdColor_Click(0);
    EXPECT_EQ(none.mix(), (std::array<int, 4>{5, 0, 0, 0}));
    EXPECT_EQ(none.colourView.status, "Testmodus wurde abgeschaltet");
    EXPECT_FALSE(none.model.hasState(StateFlag::TestMode));
    // Apply without a selection paints nothing but still marks the scene.
    none.model.clearDocument(DocumentFlag::SceneChanged);
    none.window.cmdColor_Click(1);
    EXPECT_TRUE(none.model.hasDocument(DocumentFlag::SceneChanged));
    EXPECT_TRUE(none.view.repaintedElements.empty());
}

TEST(ColourWindow, MinimumOption)
{
    // Ticking lifts the faders standing at 0; unticking lets them down again.
    ColourHarness h;
    h.window.setFader(2, 80);
    h.window.chkMindest_Click(true);
    EXPECT_EQ(h.colourView.minimum, 1);
    EXPECT_EQ(h.mix(), (std::array<int, 4>{1, 1, 80, 1}));
    EXPECT_EQ(h.colourView.fields[0], "1");
    h.enter(2, "0");  // a typed 0 is raised to the bottom end
    EXPECT_EQ(h.window.fader(2), 1);
    EXPECT_EQ(h.colourView.fields[2], "1");
    EXPECT_EQ(h.user.beeps, 0);
    h.window.chkMindest_Click(false);
    EXPECT_EQ(h.colourView.minimum, 0);
    h.window.setFader(0, 0);
    EXPECT_EQ(h.model.MixColour[0], 0);

    // Taking a colour with a 0 channel gives 1, also where the fader stood at 1.
    ColourHarness take;
    take.window.chkMindest_Click(true);
    take.window.setFader(1, 9);
    take.setElement(2, 0, 0, 30, 0);
    take.select({2});
    take.window.cmdColor_Click(0);
    EXPECT_EQ(take.mix(), (std::array<int, 4>{1, 1, 30, 1}));
    EXPECT_EQ(take.colourView.faders, (std::array<int, 4>{1, 1, 30, 1}));
    EXPECT_EQ(take.levels(2), (std::array<int, 4>{0, 0, 30, 0}));  // painted colours stay

    // Recalling a user colour whose red is 0 leaves red at 1.
    ColourHarness recall;
    recall.setUserColour(4, {0, 120, 0, 7});
    recall.window.chkMindest_Click(true);
    recall.window.txtUserColor_Click(3);
    EXPECT_EQ(recall.mix(), (std::array<int, 4>{1, 120, 1, 7}));
    EXPECT_EQ(recall.colourView.faders, (std::array<int, 4>{1, 120, 1, 7}));
}

TEST(ColourWindow, StoreThenClickStoresAndASecondClickRecalls)
{
    ColourHarness h;
    h.model.ColourNames[5] = fixedLength("Abendrot", UserColourNameLength);
    h.window.setFader(0, 11);
    h.window.setFader(3, 44);
    h.window.cmdColor_Click(3);
    EXPECT_TRUE(h.colourView.prompt);
    EXPECT_EQ(h.colourView.status, "Bitte die Farbnr. angeben oder klicken auf eine.");

    h.window.txtUserColor_Click(5);
    EXPECT_FALSE(h.colourView.prompt);
    for (int plane = Red; plane <= White; ++plane)
        EXPECT_EQ(h.model.ColourLevels[ShowModel::userColourIndex(6, plane)],
                  (std::array<int, 4>{11, 0, 0, 44})[plane - 1]);
    EXPECT_EQ(h.colourView.userColours[5], (Rgb{55, 44, 44}));
    EXPECT_EQ(h.colourView.number, "6");
    EXPECT_EQ(h.colourView.name, "Abendrot");
    EXPECT_EQ(h.colourView.focused, ColourControl::NameField);
    EXPECT_TRUE(h.model.hasDocument(DocumentFlag::ColourTableNew));
    EXPECT_TRUE(h.model.hasDocument(DocumentFlag::ColourTableChanged));

    // The name is stored padded to 20 characters when the field is left.
    h.window.txtFarbName_Change("Glut");
    h.window.txtFarbName_LostFocus();
    EXPECT_EQ(h.model.ColourNames[5], fixedLength("Glut", UserColourNameLength));
    EXPECT_EQ(h.colourView.status, "Namen der Farbe gespeichert");

    // The second click recalls: the selection gets the colour with "sofort übernehmen".
    h.select({9});
    h.window.setFader(0, 200);
    h.window.txtUserColor_Click(5);
    EXPECT_EQ(h.mix(), (std::array<int, 4>{11, 0, 0, 44}));
    EXPECT_EQ(h.levels(9), (std::array<int, 4>{11, 0, 0, 44}));
    EXPECT_EQ(h.colourView.focused, ColourControl::ApplyButton);
    EXPECT_EQ(h.window.currentUserColour(), 6);
}

TEST(ColourWindow, FunctionKeysReachTheSelectionMemories)
{
    ColourHarness h;
    h.select({2, 3});
    h.window.txtFarbe_KeyUp(0, 114, true);  // Shift+F3 remembers
    EXPECT_EQ(h.view.wallStatus.back(), "Selectionen gemerkt .");
    h.selection.clear();
    h.window.txtFarbName_KeyDown(114, false);  // F3 recalls
    EXPECT_EQ(h.model.SelectionFlags[1], 1);
    EXPECT_EQ(h.model.SelectionFlags[2], 1);
    h.selection.clear();
    EXPECT_TRUE(h.window.Form_KeyDown(114, false));
    EXPECT_EQ(h.model.SelectionCount, 2);
    EXPECT_FALSE(h.window.Form_KeyDown(112, false));  // F1 is not a memory
    h.window.txtFarbName_KeyDown(13, false);
    EXPECT_EQ(h.colourView.focused, ColourControl::ApplyButton);
}

// With "sofort übernehmen" ticked, a fader step reaches the lamps on the next tick.
TEST(ColourWindow, FaderStepReachesTheDmxFrameOnTheNextTick)
{
    ColourHarness h;
    h.model.InterfaceType = Interface::UsbInterface;
    h.select({2});
    h.tick();
    EXPECT_TRUE(testing::channelsEqual(h.model.DmxFrame, 5, {0, 0, 0, 0}));
    h.window.ScrFarbe_Change(0, 1);
    h.window.ScrFarbe_Change(3, 128);
    h.tick();
    EXPECT_TRUE(testing::channelsEqual(h.model.DmxFrame, 5, {1, 0, 0, 128}));
    EXPECT_TRUE(testing::channelsEqual(h.model.DmxFrame, 1, {0, 0, 0, 0}));
}

}  // namespace
}  // namespace tinctara

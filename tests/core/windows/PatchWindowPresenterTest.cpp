#include "support/EngineHarness.h"
#include "windows/PatchWindowPresenter.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

class FakePatchView : public PatchWindowView {
public:
    void setField(int index, std::string_view text) override { fields.at(index) = text; }
    void setFieldClash(int index, bool clash) override { red.at(index) = clash; }
    void setStatus(std::string_view text) override { status = text; }
    void focusField(int index) override { focused = index; }
    void closeWindow() override { ++closes; }

    std::array<std::string, PatchText::Fields> fields;
    std::array<bool, PatchText::Fields> red{};
    std::string status;
    int focused = -1;
    int closes = 0;
};

// A 4 x 4 wall with the default patch, the patch window showing `element`.
struct PatchHarness : testing::EngineHarness {
    explicit PatchHarness(int element = 3)
    {
        buildWall(4, 4);
        model.ChannelCount = 512;
        window.Form_Load();
        show(element);
        user.beeps = 0;
        model.DocumentFlags = 0;
    }
    void show(int element)
    {
        window.txtElement_GotFocus(0);
        type(0, std::to_string(element));
        window.txtElement_LostFocus(0);
    }
    void type(int index, const std::string& text)
    {
        window.txtElement_Change(index, text);
        patchView.fields[index] = text;
    }
    // The user enters a field, types a text and leaves it with TAB.
    void enter(int index, const std::string& text)
    {
        window.txtElement_GotFocus(index);
        type(index, text);
        window.txtElement_KeyUp(index, 48);
        window.txtElement_LostFocus(index);
    }

    Selection selection{model, view, user};
    FakePatchView patchView;
    PatchWindowPresenter window{{model, view, user, selection}, patchView};
};

TEST(PatchWindow, RefusesElementsThatDoNotExist)
{
    for (const char* text : {"0", "", "17", "-2"}) {
        PatchHarness h;
        h.type(0, text);
        h.window.txtElement_LostFocus(0);
        SCOPED_TRACE(text);
        EXPECT_EQ(h.patchView.status, "Element nicht vorhanden!");
        for (int index = 1; index <= 8; ++index)
            EXPECT_EQ(h.patchView.fields[index], "");
        EXPECT_EQ(h.patchView.focused, 0);
    }
}

TEST(PatchWindow, KeyFilter)
{
    struct Case {
        int field;
        int keyCode;
        const char* status;
        bool restored;
    } cases[] = {
        {1, 65, "Es sind nur Zahlen erlaubt!", true},   // letter
        {2, 189, "Es sind nur Zahlen erlaubt!", true},  // minus
        {3, 99, "Es sind nur Zahlen erlaubt!", true},   // keypad 3
        {4, 86, "Es sind nur Zahlen erlaubt!", true},   // the V of a paste shortcut
        {0, 13, "Mit TAB und Shift+TAB Felder wechseln", false},
        {0, 50, "Elementenr. eingeben und weiter mit TAB ", false},
        {2, 40, "Werte zwischen 1 und 512", false},
        {6, 116, "Werte zwischen 0 und 255 .", false},  // F5
    };
    for (const auto& c : cases) {
        PatchHarness h;
        h.window.txtElement_GotFocus(c.field);
        const std::string before = h.patchView.fields[c.field];
        h.type(c.field, "42");  // typed after the focus came
        h.window.txtElement_KeyUp(c.field, c.keyCode);
        SCOPED_TRACE(c.keyCode);
        EXPECT_EQ(h.patchView.status, c.status);
        EXPECT_EQ(h.patchView.fields[c.field], c.restored ? before : "42");
        EXPECT_EQ(h.user.beeps, c.restored ? 1 : 0);
    }
}

TEST(PatchWindow, ChannelRefusalsKeepThePatch)
{
    struct Case {
        const char* text;
        int channelCount;
        const char* status;
    } cases[] = {
        {"600", 512, "Die Karte ist auf 512 DMX-Kanäle eingestellt"},
        {"0", 512, " Es gibt keinen DMX Kanal 0!"},
        {"-5", 512, " Es gibt keinen DMX Kanal 0!"},
        {"513", 600, "Die Karte ist auf 512 DMX-Kanäle eingestellt"},
    };
    for (const auto& c : cases) {
        PatchHarness h;
        h.model.ChannelCount = static_cast<std::int16_t>(c.channelCount);
        h.enter(2, c.text);
        SCOPED_TRACE(c.text);
        EXPECT_EQ(h.patchView.status, c.status);
        EXPECT_EQ(h.patchView.fields[2], "10");
        EXPECT_EQ(h.model.patch(3, Green), 10);
        EXPECT_EQ(h.user.beeps, 1);
        EXPECT_FALSE(h.model.hasDocument(DocumentFlag::ConfigChanged));
    }
}

TEST(PatchWindow, ClashRuleWarnsAndStoresAllTheSame)
{
    struct Case {
        const char* channel;
        const char* status;
        int beeps;
    } cases[] = {
        {"9", "Kanal ist bereits von diesem Element belegt!", 0},  // red of element 3
        {"26", "Kanal ist bereits von Element 7 belegt!", 1},      // green of element 7
        {"300", "", 0},
    };
    for (const auto& c : cases) {
        PatchHarness h;
        h.enter(2, c.channel);
        SCOPED_TRACE(c.channel);
        EXPECT_EQ(h.patchView.status, c.status);
        EXPECT_EQ(h.user.beeps, c.beeps);
        EXPECT_EQ(h.patchView.red[2], c.beeps > 0 || *c.status != '\0');
        EXPECT_EQ(h.model.patch(3, Green), std::stoi(c.channel));
        EXPECT_TRUE(h.model.hasDocument(DocumentFlag::ConfigChanged));
    }
}

TEST(PatchWindow, UnpatchedChannelsClashWithEachOther)
{
    PatchHarness h;
    h.model.patch(2, White) = 0;
    h.model.patch(11, Blue) = 0;
    h.show(2);
    EXPECT_TRUE(h.patchView.red[4]);
    EXPECT_EQ(h.patchView.status, "Kanal ist bereits von Element 11 belegt!");
    h.show(11);
    EXPECT_TRUE(h.patchView.red[3]);
}

TEST(PatchWindow, CorrectingARedFieldReloadsAndClearsTheOtherRedField)
{
    PatchHarness h;
    h.model.patch(3, Red) = 10;  // red and green of element 3 both on channel 10
    h.show(3);
    EXPECT_TRUE(h.patchView.red[1]);
    EXPECT_TRUE(h.patchView.red[2]);

    h.enter(2, "100");
    EXPECT_EQ(h.model.patch(3, Green), 100);
    EXPECT_FALSE(h.patchView.red[1]);
    EXPECT_FALSE(h.patchView.red[2]);
    EXPECT_EQ(h.patchView.status, "");

    // A field that was not red is checked alone.
    h.enter(4, "100");
    EXPECT_TRUE(h.patchView.red[4]);
    EXPECT_FALSE(h.patchView.red[2]);
}

TEST(PatchWindow, CorrectionValues)
{
    PatchHarness h;
    h.enter(5, "300");
    EXPECT_EQ(h.patchView.fields[5], "0");
    EXPECT_EQ(h.model.correction(3, Red), 0);
    EXPECT_FALSE(h.model.hasDocument(DocumentFlag::ConfigChanged));
    h.enter(5, "25");
    EXPECT_EQ(h.model.correction(3, Red), 25);
    EXPECT_TRUE(h.model.hasDocument(DocumentFlag::ConfigChanged));
    h.enter(5, "");  // an emptied field stores 0 and shows it
    EXPECT_EQ(h.model.correction(3, Red), 0);
    EXPECT_EQ(h.patchView.fields[5], "0");

    h.type(5, "10");
    h.type(6, "0");
    h.type(7, "0");
    h.type(8, "5");
    h.window.cmdColorCorrektion_Click();
    EXPECT_EQ(h.patchView.status, "Farbanpassung auf alle Elemente übertragen.");
    for (int element = 1; element <= 16; ++element) {
        EXPECT_EQ(h.model.correction(element, Red), 10);
        EXPECT_EQ(h.model.correction(element, White), 5);
    }
    EXPECT_EQ(h.model.correction(17, Red), 0);
    EXPECT_EQ(h.model.patch(16, White), 64);
}

TEST(PatchWindow, OkAsksAboutRedFields)
{
    struct Case {
        bool red;
        std::vector<MessageAnswer> answers;
        bool closed;
    } cases[] = {
        {true, {MessageAnswer::Cancel}, false},
        {true, {MessageAnswer::Ok}, true},
        {false, {}, true},
    };
    for (const auto& c : cases) {
        PatchHarness h;
        if (c.red)
            h.enter(1, "10");
        h.model.DocumentFlags = 0;
        h.user.answers.assign(c.answers.begin(), c.answers.end());
        h.window.cmdOK_Click();
        EXPECT_EQ(h.user.messages.size(), c.red ? 1U : 0U);
        if (c.red) {
            EXPECT_EQ(h.user.messages[0].text,
                      "Sie haben noch Fehler in Ihrer Patchtabelle! Wollen Sie das Patchfenster trotzdem verlassen?");
            EXPECT_EQ(h.user.messages[0].buttons, MessageButtons::OkCancel);
        }
        EXPECT_EQ(h.patchView.closes, c.closed ? 1 : 0);
        EXPECT_EQ(h.model.hasDocument(DocumentFlag::ConfigChanged), c.closed);
    }
}

TEST(PatchWindow, ActivationShowsTheFirstSelectedOrTheRightClickedElement)
{
    PatchHarness h;
    h.model.ContextElement = 12;
    h.window.Form_Activate();
    EXPECT_EQ(h.patchView.fields[0], "12");
    EXPECT_EQ(h.patchView.fields[1], "45");

    // The wall changes the element under a focused field: a refused key puts
    // back what the field shows now.
    h.selection.addToSelection(9);
    h.selection.addToSelection(6);
    h.window.txtElement_GotFocus(1);
    h.window.Form_Activate();
    EXPECT_EQ(h.patchView.fields[0], "7");
    h.window.txtElement_KeyUp(1, 65);
    EXPECT_EQ(h.patchView.fields[1], "25");
    EXPECT_TRUE(h.model.hasState(StateFlag::PatchWindowOpen));

    h.window.Form_Unload({1, 2, 3, 4, 0});
    EXPECT_FALSE(h.model.hasState(StateFlag::PatchWindowOpen));
    EXPECT_EQ(h.view.wallStatus.back(), "");
    EXPECT_EQ(h.model.windowPosition(WindowNumber::Patch, 3), 3);
}

}  // namespace
}  // namespace tinctara

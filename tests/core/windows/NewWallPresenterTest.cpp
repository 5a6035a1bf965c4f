#include "support/EngineHarness.h"
#include "support/MainWindowFakes.h"
#include "text/Text.h"
#include "windows/NewWallPresenter.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

class FakeNewWallView : public NewWallView {
public:
    void setCaption(std::string_view text) override { caption = text; }
    void setField(int index, std::string_view text) override { fields.at(index) = text; }
    void setStatus(std::string_view text) override { status = text; }
    void focusField(int index) override { focused = index; }
    void closeDialog() override { ++closes; }

    std::string caption;
    std::array<std::string, NewWallText::Fields> fields;
    std::string status;
    int focused = -1;
    int closes = 0;
};

using testing::FakeMainWindowCommands;

struct DialogHarness : testing::EngineHarness {
    DialogHarness() { model.ConfigFileName = "/shows/config/BUEHNE.CFG"; }
    // Types a text into a field the way the view reports it: the new text,
    // then the key that was released.
    void type(int index, const std::string& text, int keyCode)
    {
        dialog.txtfeld_Change(index, text);
        dialog.txtfeld_KeyUp(index, keyCode);
    }
    FakeNewWallView dialogView;
    FakeMainWindowCommands mainWindow;
    NewWallPresenter dialog{{model, view, user, mainWindow}, dialogView};
};

TEST(NewWallDialog, OpensWithDefaultsOrTheCurrentWall)
{
    DialogHarness fresh;
    fresh.dialog.Form_Load();
    EXPECT_EQ(fresh.dialogView.caption, "BUEHNE.CFGWandeinstellungen ");
    EXPECT_EQ(fresh.dialogView.fields, (std::array<std::string, 7>{"Wandname", "10", "5", "600", "1200", "100", "50"}));
    EXPECT_EQ(fresh.user.busyPointer, (std::vector<bool>{true, false}));

    DialogHarness existing;
    existing.model.WallName = fixedLength("Bühne", WallNameLength);
    existing.buildWall(3, 2);
    existing.dialog.Form_Load();
    EXPECT_EQ(existing.dialogView.fields, (std::array<std::string, 7>{"Bühne", "3", "2", "600", "1200", "80", "6"}));
    EXPECT_EQ(existing.dialogView.status, "Bitte geben Sie die entsprechenden Werte ein");
}

TEST(NewWallDialog, KeyFilter)
{
    DialogHarness h;
    h.model.WallColumns = 7;
    h.dialog.Form_Load();
    h.type(1, "1", 49);  // '1'
    EXPECT_TRUE(h.dialog.sizeEdited());
    EXPECT_EQ(h.dialogView.fields[6], "5");
    h.type(1, "1x", 88);  // 'X': back to the stored column count
    EXPECT_EQ(h.dialogView.fields[1], "7");
    EXPECT_EQ(h.dialogView.fields[6], "35");
    EXPECT_EQ(h.dialogView.status, "Es sind nur Zahlen erlaubt!");
    EXPECT_EQ(h.user.beeps, 1);

    h.type(0, "Wand A", 65);  // a letter in the name is accepted
    EXPECT_EQ(h.dialog.field(0), "Wand A");
    EXPECT_EQ(h.user.beeps, 1);

    h.type(3, "60q", 81);  // width falls back to the stored width
    EXPECT_EQ(h.dialogView.fields[3], "0");
    h.type(2, "11", 39);  // cursor keys, Backspace, Enter and Shift are accepted
    EXPECT_EQ(h.dialogView.fields[6], "77");
    h.type(2, "11", 96);  // keypad digits are not
    EXPECT_EQ(h.dialogView.fields[2], "0");
}

TEST(NewWallDialog, RefusesMoreThan121AndNoElements)
{
    struct Case {
        const char* columns;
        const char* rows;
        const char* status;
        bool built;
    } cases[] = {
        {"11", "12",
         "Diese Version von DMX-TINCTARA unterstüzt nur bis zu 121 Elemente Maximal. Bitte ändern Sie die "
         "Anzahl Horizontaler und Vertikaler Elemente. ",
         false},
        {"0", "7",
         "Eine Wand kann nicht aus 0 Elementen bestehen. Bitte ändern Sie die Anzahl Horizontaler und "
         "Vertikaler Elemente. ",
         false},
        {"11", "11", "", true},
    };
    for (const auto& c : cases) {
        DialogHarness h;
        h.dialog.Form_Load();
        h.type(1, c.columns, 49);
        h.type(2, c.rows, 49);
        h.dialog.cmdOK_Click();
        EXPECT_EQ(h.dialogView.status, c.status) << c.columns << "x" << c.rows;
        EXPECT_EQ(h.dialogView.closes, c.built ? 1 : 0);
        EXPECT_EQ(h.model.ElementCount, c.built ? 121 : 0);
        EXPECT_EQ(h.user.beeps, c.built ? 0 : 1);
        if (std::string(c.columns) == "0") {
            EXPECT_EQ(h.dialogView.focused, 1);
        }
    }
}

TEST(NewWallDialog, OkBuildsTheWallStoresTheFieldsAndWritesTheSettings)
{
    DialogHarness h;
    h.dialog.Form_Load();
    h.type(0, "Fassade mit einem sehr langen Namen", 65);
    h.type(1, "3", 51);
    h.type(2, "2", 50);
    h.type(5, "0", 48);
    h.dialog.cmdOK_Click();
    EXPECT_EQ(h.dialogView.fields[5], "1");  // relative size 0 becomes 1
    EXPECT_EQ(h.user.beeps, 1);
    EXPECT_EQ(h.model.WallZoom, 1);
    EXPECT_EQ(h.model.WallName, "Fassade mit einem se");
    EXPECT_EQ(h.model.ElementCount, 6);
    EXPECT_EQ(h.model.patch(5, Red), 17);
    EXPECT_EQ(h.model.patch(5, White), 20);
    EXPECT_TRUE(h.model.hasDocument(DocumentFlag::ConfigNew));
    EXPECT_EQ(h.mainWindow.settingsWrites, 1);
    EXPECT_EQ(h.dialogView.closes, 1);
    EXPECT_TRUE(h.mainWindow.asked.empty());  // no wall before: nothing to lose
}

TEST(NewWallDialog, ReplacingAWallOffersToSaveOnceAndCancelKeepsTheDialog)
{
    DialogHarness h;
    h.buildWall(2, 2);
    h.dialog.Form_Load();
    h.mainWindow.cancelAt = DocumentKind::Scene;
    h.type(1, "3", 51);
    h.dialog.cmdOK_Click();
    EXPECT_EQ(h.mainWindow.asked, (std::vector<DocumentKind>{DocumentKind::Config, DocumentKind::Scene}));
    EXPECT_EQ(h.dialogView.closes, 0);
    EXPECT_EQ(h.model.ElementCount, 4);

    h.mainWindow.cancelAt.reset();
    h.mainWindow.asked.clear();
    h.dialog.cmdOK_Click();
    EXPECT_EQ(h.mainWindow.asked,
              (std::vector<DocumentKind>{DocumentKind::Config, DocumentKind::Scene, DocumentKind::Sequence}));
    EXPECT_EQ(h.model.ElementCount, 6);
    EXPECT_EQ(h.dialogView.closes, 1);
}

TEST(NewWallDialog, EditedSizeImportsTheSceneWhenASequenceExists)
{
    DialogHarness h;
    h.buildWall(2, 2);
    for (int element = 1; element <= 4; ++element)
        h.setElement(element, element * 10, 0, 0, 0);
    h.model.SourceColumns = 2;
    h.model.SourceRows = 2;
    h.model.setState(StateFlag::SequencePresent);
    h.dialog.Form_Load();
    h.type(1, "4", 52);
    h.type(2, "4", 52);
    h.dialog.cmdOK_Click();
    ASSERT_EQ(h.model.ElementCount, 16);
    // 2 x 2 laid onto 4 x 4: the source's first element reaches the new first cell
    EXPECT_EQ(h.model.colour(Red, 1), 10);

    DialogHarness unedited;
    unedited.buildWall(2, 2);
    unedited.setElement(4, 40, 0, 0, 0);
    unedited.model.setState(StateFlag::SequencePresent);
    unedited.dialog.Form_Load();
    unedited.dialog.cmdOK_Click();
    EXPECT_EQ(unedited.model.colour(Red, 4), 40);
}

TEST(NewWallDialog, CancelChangesNothing)
{
    DialogHarness h;
    h.buildWall(2, 2);
    h.dialog.Form_Load();
    h.type(1, "9", 57);
    h.dialog.cmdAbbrechen_Click();
    EXPECT_EQ(h.dialogView.closes, 1);
    EXPECT_EQ(h.model.ElementCount, 4);
    EXPECT_TRUE(h.model.hasState(StateFlag::WallPresent));
}

}  // namespace
}  // namespace tinctara

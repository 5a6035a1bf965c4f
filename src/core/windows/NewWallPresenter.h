#pragma once

#include "history/ShowEdits.h"
#include "model/ShowModel.h"
#include "platform/ShowView.h"
#include "platform/UserInteraction.h"
#include "windows/MainWindowView.h"

#include <array>
#include <string>
#include <string_view>

namespace tinctara {

// What the new-wall dialog shows.
class NewWallView {
public:
    virtual ~NewWallView() = default;
    virtual void setCaption(std::string_view caption) = 0;
    virtual void setField(int index, std::string_view text) = 0;
    virtual void setStatus(std::string_view text) = 0;
    virtual void focusField(int index) = 0;
    virtual void closeDialog() = 0;
};

namespace NewWallText {
inline constexpr int Fields = 7;
inline constexpr const char* Labels[Fields] = {"Name der Wand :",
                                               "Horizontal :",
                                               "Vertikal :",
                                               "Breite :",
                                               "Höhe :",
                                               " Relative Grösse zum Original :",
                                               " Anzahl der Elemente insgesamt:"};
inline constexpr const char* DistributionFrame = " Verteilung der Elemente";
inline constexpr const char* SizeFrame = " Größe der Elemente in cm";
inline constexpr const char* Defaults[Fields] = {"Wandname", "10", "5", "600", "1200", "100", "50"};
}  // namespace NewWallText

// The new-wall dialog frmNeueWand: asks for the wall's name, its columns and
// rows and the size of one element, and has the wall built.
class NewWallPresenter {
public:
    struct Services {
        ShowModel& model;
        ShowView& show;
        UserInteraction& user;
        MainWindowCommands& mainWindow;
    };

    NewWallPresenter(Services services, NewWallView& view) : s_(services), view_(view) {}
    // The wall built by OK becomes one undo entry over every document it changed.
    void recordEdits(ShowEdits* edits) { edits_ = edits; }

    void Form_Load();
    // The field's text as the user left it after a key.
    void txtfeld_Change(int index, std::string_view text);
    void txtfeld_KeyUp(int index, int keyCode);
    void cmdOK_Click();
    void cmdAbbrechen_Click();

    const std::string& field(int index) const { return fields_.at(index); }
    bool sizeEdited() const { return sizeEdited_; }

private:
    void setField(int index, std::string text);
    void recomputeTotal();
    std::int64_t fieldValue(int index) const;
    std::string storedValue(int index) const;
    bool offerToSave();
    // Replaces the wall with the one the fields describe.
    void buildWall();

    Services s_;
    NewWallView& view_;
    ShowEdits* edits_ = nullptr;
    std::array<std::string, NewWallText::Fields> fields_{};
    bool sizeEdited_ = false;
};

}  // namespace tinctara

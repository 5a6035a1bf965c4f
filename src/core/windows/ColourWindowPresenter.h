#pragma once

#include "history/ShowEdits.h"
#include "model/Selection.h"
#include "model/ShowModel.h"
#include "platform/ShowView.h"
#include "platform/UserInteraction.h"
#include "windows/MainWindowView.h"

#include <array>
#include <string>
#include <string_view>

namespace tinctara {

// The controls the presenter moves the focus to.
enum class ColourControl {
    ValueField0,
    ValueField1,
    ValueField2,
    ValueField3,
    Fader0,
    Fader1,
    Fader2,
    Fader3,
    ApplyButton,
    NameField
};

// What the colour window shows.
class ColourWindowView {
public:
    virtual ~ColourWindowView() = default;
    virtual void setCaption(std::string_view caption) = 0;
    virtual void setStatus(std::string_view text) = 0;
    // Moves fader `index` without reporting a change back.
    virtual void showFader(int index, int value) = 0;
    virtual void setFaderMinimum(int minimum) = 0;
    virtual void setValueField(int index, std::string_view text) = 0;
    virtual void showPanelColour(Rgb colour) = 0;
    virtual void showUserColour(int index, Rgb colour) = 0;
    virtual void setNumberField(std::string_view text) = 0;
    virtual void setNameField(std::string_view text) = 0;
    virtual void setStorePromptVisible(bool visible) = 0;
    virtual void setImmediateApplyChecked(bool checked) = 0;
    virtual void focus(ColourControl control) = 0;
};

namespace ColourText {
inline constexpr const char* CaptionPrefix = "Color Fenster ";
inline constexpr const char* TestModeEnded = "Testmodus wurde abgeschaltet";
inline constexpr const char* UseTab = "Bitte mit TAB weitergehen.";
inline constexpr const char* OnlyNumbers = " Es sind nur Zahlen erlaubt!";
inline constexpr const char* OutOfRange = "Es sind nur Werte zwischen 0 und 255 möglich!";
inline constexpr const char* PickField = "Bitte die Farbnr. angeben oder klicken auf eine.";
inline constexpr const char* NameStored = "Namen der Farbe gespeichert";
inline constexpr const char* ImmediateOn = " Änderungen werden sofort übernommen!";
}  // namespace ColourText

// frmColor: mixes a four-channel colour on four faders, paints it onto the
// selected elements, picks an element's colour back and keeps the 20 user
// colours. MixColour lives in the model; the faders always show it.
class ColourWindowPresenter {
public:
    struct Services {
        ShowModel& model;
        ShowView& show;
        UserInteraction& user;
        Selection& selection;
    };

    ColourWindowPresenter(Services services, ColourWindowView& view) : s_(services), view_(view) {}

    // Colours applied and colour-table edits are recorded here (none: not recorded).
    void recordEdits(ShowEdits* edits) { edits_ = edits; }

    void Form_Load();
    void Form_Activate();
    void Form_Unload(const WindowPlacement& placement);
    // True when the key was one of the selection memories.
    bool Form_KeyDown(int keyCode, bool shift);
    WindowPlacement storedPlacement() const;

    // The user moved fader `index` to `value`.
    void ScrFarbe_Change(int index, int value);
    // A fader grabbed and let go: what it painted on the way is one edit.
    void faderPressed();
    void faderReleased();
    void txtFarbe_Change(int index, std::string_view text);
    void txtFarbe_KeyUp(int index, int keyCode, bool shift);
    void txtFarbe_LostFocus(int index);
    void cmdColor_Click(int index);
    void txtUserColor_Click(int index);
    void txtFarbName_Change(std::string_view text);
    void txtFarbName_KeyDown(int keyCode, bool shift);
    void txtFarbName_LostFocus();
    void chkCHange_Click(bool ticked);
    void chkMindest_Click(bool ticked);

    void Colormix();
    void ShowUserColors();
    // Called by the colour-table loader.
    void setCaption(std::string_view caption) { view_.setCaption(caption); }
    void setStatus(std::string_view text) { view_.setStatus(text); }

    // Sets a fader as code does: a value it already has runs nothing, another
    // value runs the change handler. Kept inside the fader's range.
    void setFader(int index, int value);

    int fader(int index) const { return faders_.at(index); }
    int faderMinimum() const { return minimum_; }
    const std::string& valueField(int index) const { return fields_.at(index); }
    bool storeMode() const { return storeMode_; }
    int currentUserColour() const { return currentUserColour_; }

private:
    void faderChanged(int index);
    void prologue();
    void paintSelection();
    void setValueField(int index, std::string text);
    void takeColour();
    void userColourClicked(int index);
    void markColourTableChanged();
    void focusValueField(int index) { view_.focus(static_cast<ColourControl>(index)); }
    void focusFader(int index)
    {
        view_.focus(static_cast<ColourControl>(static_cast<int>(ColourControl::Fader0) + index));
    }

    Services s_;
    ColourWindowView& view_;
    ShowEdits* edits_ = nullptr;
    std::array<int, Planes> faders_{};
    std::array<std::string, Planes> fields_{"0", "0", "0", "0"};
    int minimum_ = 0;
    bool minimumTicked_ = false;
    bool storeMode_ = false;
    int currentUserColour_ = 0;
    std::string numberField_;
    std::string nameField_;
};

}  // namespace tinctara

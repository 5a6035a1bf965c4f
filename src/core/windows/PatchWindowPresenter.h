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

// What the patch window shows. Field 0 is the element number, 1..4 the DMX
// channels of red, green, blue, white, 5..8 their correction values.
class PatchWindowView {
public:
    virtual ~PatchWindowView() = default;
    virtual void setField(int index, std::string_view text) = 0;
    // The pure red background that marks a channel used twice.
    virtual void setFieldClash(int index, bool clash) = 0;
    virtual void setStatus(std::string_view text) = 0;
    virtual void focusField(int index) = 0;
    virtual void closeWindow() = 0;
};

namespace PatchText {
inline constexpr int Fields = 9;
inline constexpr const char* NoSuchElement = "Element nicht vorhanden!";
inline constexpr const char* OnlyNumbers = "Es sind nur Zahlen erlaubt!";
inline constexpr const char* UseTab = "Mit TAB und Shift+TAB Felder wechseln";
inline constexpr const char* ElementHint = "Elementenr. eingeben und weiter mit TAB ";
inline constexpr const char* CorrectionHint = "Werte zwischen 0 und 255 .";
inline constexpr const char* NoChannelZero = " Es gibt keinen DMX Kanal 0!";
inline constexpr const char* UsedBySameElement = "Kanal ist bereits von diesem Element belegt!";
inline constexpr const char* CorrectionCopied = "Farbanpassung auf alle Elemente übertragen.";
inline constexpr const char* LeaveWithErrors =
    "Sie haben noch Fehler in Ihrer Patchtabelle! Wollen Sie das Patchfenster trotzdem verlassen?";
}  // namespace PatchText

// frmElement: shows and edits the patch and colour correction of one element
// at a time, writing PatchTable and CorrectionTable directly.
class PatchWindowPresenter {
public:
    struct Services {
        ShowModel& model;
        ShowView& show;
        UserInteraction& user;
        Selection& selection;
    };

    PatchWindowPresenter(Services services, PatchWindowView& view) : s_(services), view_(view) {}
    // Each channel or correction that changes becomes one undo entry.
    void recordEdits(ShowEdits* edits) { edits_ = edits; }

    void Form_Load();
    // Shows the first selected element, or the one last right-clicked.
    void Form_Activate();
    void Form_Unload(const WindowPlacement& placement);
    WindowPlacement storedPlacement() const;

    void txtElement_GotFocus(int index);
    void txtElement_Change(int index, std::string_view text);
    void txtElement_KeyUp(int index, int keyCode);
    void txtElement_LostFocus(int index);
    void cmdColorCorrektion_Click();
    void cmdOK_Click();

    const std::string& field(int index) const { return fields_.at(index); }
    bool clash(int index) const { return clash_.at(index); }
    long long remembered() const { return remembered_; }

private:
    void setField(int index, std::string text);
    void setClash(int index, bool clash);
    long long fieldValue(int index) const;
    void loadElement();
    // True when channel `plane` of `element` shares its channel with another
    // patch entry; marks the field and says who uses it.
    bool scanForClash(int element, int plane);
    void channelLeft(int plane);
    void correctionLeft(int plane);

    Services s_;
    PatchWindowView& view_;
    ShowEdits* edits_ = nullptr;
    std::array<std::string, PatchText::Fields> fields_{};
    std::array<bool, PatchText::Fields> clash_{};
    long long remembered_ = 0;
    int focused_ = -1;
};

}  // namespace tinctara

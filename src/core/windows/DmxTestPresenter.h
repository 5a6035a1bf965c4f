#pragma once

#include "engine/OutputEngine.h"
#include "model/Selection.h"
#include "model/ShowModel.h"
#include "platform/ShowView.h"
#include "platform/UserInteraction.h"
#include "windows/MainWindowView.h"

#include <array>
#include <string>
#include <string_view>

namespace tinctara {

namespace DmxTestText {
inline constexpr int Rows = MonitorRows;
inline constexpr const char* Caption = "DMX Test";
inline constexpr const char* ChannelTip = "DMX - Kanal auf den sich der Faderwert und DMX Out bezieht";
inline constexpr const char* ValueTip = "Wert im RAM der DMX - Karte  ";
inline constexpr const char* ButtonTip =
    "Startet / Stopt den Testmodus wobei die DMX - Ausgabe nur noch über dieses Fenster erfolgt";
inline constexpr const char* ChannelHeading = "DMX Kanal";
inline constexpr const char* ValueHeading = "DMX Out";
inline constexpr const char* NoInterfaceNotice = "Es wurde kein DMX Interface erkannt";
inline constexpr const char* InitialStatus = "DMX Out-Werte entsprechen dem Kartenausgang";
inline constexpr const char* TestModeOnStatus = "Testmodus aktiv, DMX Ausgaben nur in diesem Fenster!";
inline constexpr const char* TestModeOnCaption = "Testmode beenden";
}  // namespace DmxTestText

// What the DMX test window shows.
class DmxTestView {
public:
    virtual ~DmxTestView() = default;
    virtual void setChannelField(int row, std::string_view text) = 0;
    virtual void setValueField(int row, std::string_view text) = 0;
    virtual void setLook(const TestWindowLook& look) = 0;
    virtual void setNoInterfaceNoticeVisible(bool visible) = 0;
    virtual void focusChannelField(int row) = 0;
};

// The logic of the DMX test window frmDMX. It lives for the whole run and
// keeps the window's fields, so that the output engine's monitor and the test
// mode have them whether or not the window is open.
class DmxTestPresenter {
public:
    DmxTestPresenter(ShowModel& model, UserInteraction& user, Selection& selection);

    // The window that shows this state; null while it is closed.
    void attachView(DmxTestView* view);

    void Form_Load();
    void Form_Activate();
    void Form_Unload(const WindowPlacement& placement);
    WindowPlacement storedPlacement() const;
    bool Form_KeyDown(int keyCode, bool shift) { return selection_.functionKey(keyCode, shift); }

    // A fader moved to a new value (the view calls this only on a change).
    void ScrDMX_Change(int row, int value);
    void cmdDMX_Click();
    // A character typed into a channel field; false when it was refused.
    bool txtPatch_KeyPress(int row, int characterCode);
    void txtPatch_Change(int row, std::string_view text);
    void txtPatch_LostFocus(int row);

    // For the output engine's monitor and for TestModeOff.
    const MonitoredChannels& monitoredChannels() const { return monitored_; }
    void setMonitorValue(int row, int level);
    void setLook(const TestWindowLook& look);

    int faderValue(int row) const { return faders_.at(row); }
    const TestWindowLook& look() const { return look_; }

private:
    void enterTestMode();
    // A channel field's text, and the channel the monitor reads for it.
    void setChannel(int row, std::string text);

    ShowModel& model_;
    UserInteraction& user_;
    Selection& selection_;
    DmxTestView* view_ = nullptr;
    std::array<std::string, DmxTestText::Rows> channels_;
    MonitoredChannels monitored_{};
    std::array<std::string, DmxTestText::Rows> values_;
    std::array<int, DmxTestText::Rows> faders_{};
    TestWindowLook look_;
};

}  // namespace tinctara

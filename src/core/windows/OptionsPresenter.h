#pragma once

#include "model/ShowModel.h"
#include "platform/UserInteraction.h"
#include "windows/MainWindowView.h"

#include <array>
#include <string>
#include <string_view>

namespace tinctara {

namespace OptionsText {
inline constexpr int DmxFields = 7;
inline constexpr const char* FieldLabels[DmxFields] = {
    "Start Sync Dauer (us) :", "Leerlaufzeit am Ende (us) :", "StartByte  (0-255) :",   "InterDigit Zeit (us) :",
    "Anzahl Sendekanäle :",    "Sende Repeat (ms) :",         "Länge der DMX Sendung :"};
inline constexpr const char* Tabs[4] = {"DMX Einstellungen", "Allgemeine Programmeinstellungen", "Beispiel 3",
                                        "Beispiel 4"};
inline constexpr const char* RepeatModes[2] = {"Hardware Repeat", "Sofware Repeat"};
inline constexpr const char* Warning = "Keine gültige Einstellung nach USITT DMX-512";
inline constexpr int OutputPeriodMs = 50;
// Break length in microseconds times F/2 gives the card's units; F = 120/88
// makes the default break of 88 us the 60 of the 7301B's default block.
}  // namespace OptionsText

enum OptionsField {
    BreakField = 0,
    IdleField = 1,
    StartByteField = 2,
    InterDigitField = 3,
    ChannelsField = 4,
    RepeatField = 5,
    LengthField = 6
};

// What the options window shows.
class OptionsView {
public:
    virtual ~OptionsView() = default;
    virtual void setField(int index, std::string_view text) = 0;
    virtual void setFieldEnabled(int index, bool enabled) = 0;
    virtual void setPath(int index, std::string_view text) = 0;
    virtual void setRepeatMode(int mode) = 0;
    virtual void setAutoChannels(bool ticked, bool enabled) = 0;
    virtual void setAutoLoad(bool ticked) = 0;
    virtual void setWarningVisible(bool visible) = 0;
    virtual void closeWindow() = 0;
};

// The logic of the DMX timing options window frmOptions: it edits a copy of
// DmxTiming in its fields and applies it on OK or "Übernehmen".
class OptionsPresenter {
public:
    OptionsPresenter(ShowModel& model, UserInteraction& user, MainWindowCommands& mainWindow, OptionsView& view)
        : model_(model), user_(user), mainWindow_(mainWindow), view_(view)
    {
    }

    void Form_Load();
    void Form_Activate();
    void Form_Unload(const WindowPlacement& placement);
    WindowPlacement storedPlacement() const;

    void txtDMX_Change(int index, std::string_view text);
    void txtDMX_KeyUp(int index, int keyCode);
    void txtDMX_LostFocus(int index);
    void OptDMXSend_Click(int mode);
    void cckAutoDMXmax_Click(bool ticked);
    void chkAutoStart_Click(bool ticked);
    void cmdDefaultDMX_Click();
    void cmdOK_Click();
    void cmdApply_Click() { SaveConfig(); }
    void cmdCancel_Click() { view_.closeWindow(); }

    bool ChangedConfig() const;
    void SaveConfig();
    void BerechneSendelaenge();

    const std::string& field(int index) const { return fields_.at(index); }
    bool warningVisible() const { return warning_; }

private:
    void setField(int index, std::string text);
    void setWarning(bool visible);
    double value(int index) const;
    std::string valueInUse(int index) const;
    void unlockDMX();
    int neededChannels() const { return 4 * model_.ElementCount; }

    ShowModel& model_;
    UserInteraction& user_;
    MainWindowCommands& mainWindow_;
    OptionsView& view_;
    std::array<std::string, OptionsText::DmxFields> fields_{};
    int repeatMode_ = 0;
    bool warning_ = false;
};

}  // namespace tinctara

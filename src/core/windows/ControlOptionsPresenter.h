#pragma once

#include "control/ControlSettings.h"
#include "platform/Environment.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace tinctara {

namespace ControlOptionsText {
inline constexpr const char* Tab = "Steuerung";
inline constexpr const char* OscMissing = "Dieses Programm wurde ohne OSC gebaut.";
inline constexpr const char* MidiMissing = "Dieses Programm wurde ohne MIDI gebaut.";
inline constexpr const char* OscOff = "OSC ist aus.";
inline constexpr const char* OscWarning = "Achtung: OSC hat kein Passwort. Jeder im Netz kann die Wand steuern.";
inline constexpr const char* BadDestination = "Das feste Ziel muss ADRESSE:PORT sein, z. B. 192.168.1.20:9000.";
inline constexpr const char* MidiOff = "MIDI ist aus.";
inline constexpr const char* NoPort = "(keiner)";
inline constexpr const char* AllDevices = "alle";
inline constexpr const char* BadDeviceId = "Die Geräte-ID muss eine Zahl zwischen 0 und 127 sein (127 = alle).";
inline constexpr const char* Learning = "Taste, Pad oder Regler am Controller bewegen …";
inline constexpr const char* LearnNeedsMidi = "Zum Lernen erst \"MIDI empfangen\" einschalten.";
inline constexpr const char* LearnCancelled = "Lernen abgebrochen.";
inline constexpr const char* FaderNeedsControl = "Ein Regler lernt nur einen Regler am Controller, keine Taste.";
inline constexpr const char* NoRow = "Erst eine Zeile der Tabelle wählen.";
}  // namespace ControlOptionsText

// What the options window's tab "Steuerung" shows.
class ControlOptionsView {
public:
    virtual ~ControlOptionsView() = default;
    // The group of a service this build lacks is disabled, `reason` beside it.
    virtual void disableOsc(std::string_view reason) = 0;
    virtual void disableMidi(std::string_view reason) = 0;

    virtual void setOscOn(bool on) = 0;
    virtual void setOscAddresses(const std::vector<std::string>& addresses, const std::string& current) = 0;
    virtual void setOscPort(std::string_view text) = 0;
    virtual void setFeedbackPort(std::string_view text) = 0;
    virtual void setFeedbackDestination(std::string_view text) = 0;
    virtual void setOscWarningVisible(bool visible) = 0;
    virtual void setOscStatus(std::string_view text) = 0;
    virtual void setOscCounters(std::string_view text) = 0;

    virtual void setMidiOn(bool on) = 0;
    virtual void setMidiPorts(const std::vector<std::string>& ports, int current) = 0;
    virtual void setDeviceId(std::string_view text) = 0;
    virtual void setActions(const std::vector<std::string>& actions) = 0;
    virtual void setActionNumberEnabled(bool enabled) = 0;
    // Rows of (action, message); `current` is the row to select, -1 none.
    virtual void setBindings(const std::vector<std::array<std::string, 2>>& rows, int current) = 0;
    virtual void setLearning(bool learning) = 0;
    virtual void setMidiStatus(std::string_view text) = 0;
};

// "Note 60, Kanal 1", "Regler 7, Kanal 1", "Programm 5, Kanal 2".
std::string bindingMessageText(const MidiBinding& binding);
// "PLAY", "Element 5", "Regler Rot".
std::string bindingActionText(const MidiBinding& binding);

// The tab "Steuerung": OSC and MIDI on and off, where they listen, and the
// learn table that binds a controller's notes, faders and program changes to
// show actions. Every change goes to the per-user settings at once, and a
// running listener starts again with it. A service this build lacks (null)
// leaves its group disabled.
class ControlOptionsPresenter : public MidiLearnListener {
public:
    ControlOptionsPresenter(SettingsStore& store, OscControl* osc, MidiControl* midi, ControlOptionsView& view)
        : store_(store), osc_(osc), midi_(midi), view_(view)
    {
    }

    void Form_Load();
    // Closing the window ends learning.
    void Form_Unload();
    // Brings the OSC counters up to date.
    void tmrCounters_Timer();

    void chkOsc_Click(bool on);
    void cboOscAddress_Click(const std::string& address);
    void txtOscPort_LostFocus(const std::string& text);
    void txtFeedbackPort_LostFocus(const std::string& text);
    void txtFeedbackDestination_LostFocus(const std::string& text);

    void chkMidi_Click(bool on);
    // 0 is "(keiner)", then the ports as shown.
    void cboMidiPort_Click(int index);
    void txtDeviceId_LostFocus(const std::string& text);
    void cboAction_Click(int index);
    // Starts learning for the chosen action (`number` for the numbered ones),
    // or cancels it while it waits.
    void cmdLearn_Click(const std::string& number);
    void cmdRemove_Click(int row);

    void learned(const MidiEvent& event) override;

    const OscSettings& oscSettings() const { return oscSettings_; }
    const MidiSettings& midiSettings() const { return midiSettings_; }
    bool learning() const { return learning_; }

private:
    void loadOsc();
    void loadMidi();
    std::string applyOsc();
    void changeOscPort(const std::string& text, int OscSettings::*port,
                       void (ControlOptionsView::*showPort)(std::string_view));
    std::string applyMidi();
    void showOsc(const std::string& problem);
    void showMidi(const std::string& problem);
    void showBindings(int current);
    void endLearning();

    SettingsStore& store_;
    OscControl* osc_;
    MidiControl* midi_;
    ControlOptionsView& view_;
    OscSettings oscSettings_;
    MidiSettings midiSettings_;
    std::vector<std::string> ports_;  // as the port list shows them, after "(keiner)"
    int action_ = 0;                  // the chosen action's index
    bool learning_ = false;
    MidiBinding pending_;  // the action learning waits to bind
};

}  // namespace tinctara

#pragma once

#include "audio/MusicOptions.h"
#include "platform/Environment.h"
#include "timecode/TimecodeControl.h"
#include "windows/TimecodeText.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tinctara {

namespace TimecodeOptionsText {
inline constexpr const char* Tab = "Timecode";
inline constexpr const char* SourceCaption = "Quelle";
// In the order of TimecodeSource.
inline constexpr const char* Sources[4] = {"Keine", "Art-Net", "MIDI-Timecode", "LTC (Audioeingang)"};
inline constexpr const char* LtcDeviceCaption = "LTC-Eingang";
inline constexpr const char* NoDevice = "Kein Gerät";
inline constexpr const char* RateCaption = "Bildrate";
// In the order of TimecodeRate.
inline constexpr const char* Rates[4] = {"24", "25", "29,97 DF", "30"};
inline constexpr const char* OffsetCaption = "Startversatz";
inline constexpr const char* FreewheelCaption = "Freilauf (Bilder)";
inline constexpr const char* ModeCaption = "Folgen";
// In the order of TimecodeMode.
inline constexpr const char* Modes[2] = {"Mitlaufen", "Nur starten"};
inline constexpr const char* SendCaption = "Senden";
inline constexpr const char* SendArtNet = "Art-Net-Timecode senden";
inline constexpr const char* TargetCaption = "Ziel";
inline constexpr const char* TargetPlaceholder = "Broadcast";
inline constexpr const char* SendMtc = "MIDI-Timecode senden";
inline constexpr const char* NoTime = NoTimecodeText;
inline constexpr const char* BadOffset = "Der Startversatz muss ein Timecode der Form HH:MM:SS:FF sein.";
inline constexpr const char* BadTarget = "Das Ziel muss eine IPv4-Adresse sein oder leer bleiben.";
}  // namespace TimecodeOptionsText

// "Läuft mit.", "Timecode fehlt: Freilauf.", ...
const char* chaseStateText(ChaseState state);

// What the options window's tab "Timecode" shows.
class TimecodeOptionsView {
public:
    virtual ~TimecodeOptionsView() = default;
    // The inputs after "Kein Gerät"; `current` is the index to show, 0 for none.
    virtual void setLtcDevices(const std::vector<std::string>& descriptions, int current) = 0;
    virtual void setLtcDeviceEnabled(bool enabled) = 0;
    // Indexes of TimecodeOptionsText::Sources and Rates.
    virtual void setSource(int index) = 0;
    virtual void setRate(int index) = 0;
    virtual void setOffset(std::string_view text) = 0;
    virtual void setFreewheel(int frames) = 0;
    virtual void setMode(TimecodeMode mode) = 0;
    virtual void setSending(bool artNet, std::string_view target, bool mtc) = 0;
    virtual void setTime(std::string_view text) = 0;
    virtual void setStatus(std::string_view text) = 0;
};

// The tab "Timecode": where the show's clock comes from, the start offset,
// and the timecode the program sends. Every change goes to the per-user
// settings and into effect at once. What went wrong with the last change
// (a field refused, a source that would not open) stays in the status line
// until the next change; otherwise it follows the chase.
class TimecodeOptionsPresenter {
public:
    TimecodeOptionsPresenter(SettingsStore& store, TimecodeControl& control, TimecodeOptionsView& view)
        : store_(store), control_(control), view_(view)
    {
    }

    void Form_Load(const std::vector<AudioInputDevice>& devices);
    void devicesChanged(const std::vector<AudioInputDevice>& devices);

    void cboSource_Click(int index);
    // 0 is "Kein Gerät", then the devices as listed.
    void cboLtcDevice_Click(int index);
    void cboRate_Click(int index);
    void txtOffset_EditingFinished(std::string_view text);
    void spnFreewheel_Change(int frames);
    void optMode_Click(int index);
    void chkSendArtNet_Click(bool on);
    void txtTarget_EditingFinished(std::string_view text);
    void chkSendMtc_Click(bool on);
    // The running timecode and the chase's state, five times a second.
    void tmrStatus_Timer();

    const TimecodeSettings& settings() const { return settings_; }

private:
    void change(const TimecodeSettings& settings);
    void refuse(const char* message);
    void showDevices();
    void showFields();
    void showSending();

    SettingsStore& store_;
    TimecodeControl& control_;
    TimecodeOptionsView& view_;
    TimecodeSettings settings_;
    std::vector<AudioInputDevice> devices_;  // as the list shows them, after "Kein Gerät"
    std::string notice_;                     // the last change's problem; shown before the chase
    // What the view shows; only a change is sent. Nothing: send at once.
    std::optional<std::string> shownTime_, shownStatus_;
};

}  // namespace tinctara

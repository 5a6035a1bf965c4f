#pragma once

#include "windows/TempoText.h"

#include "audio/MusicOptions.h"
#include "engine/MusicSync.h"
#include "platform/Environment.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tinctara {

namespace MusicOptionsText {
inline constexpr const char* Tab = "Musik";
inline constexpr const char* NoDevice = "Kein Gerät";
inline constexpr const char* NoneChosen = "Kein Gerät gewählt.";
inline constexpr const char* TempoUnknown = TempoUnknownText;
}  // namespace MusicOptionsText

// The system's audio inputs as a choice list after "Kein Gerät", for every
// tab that picks one: their descriptions, and the index of `chosen` (0 when
// none is chosen or it is not there).
struct InputChoices {
    std::vector<std::string> descriptions;
    int current = 0;
};
InputChoices inputChoices(const std::vector<AudioInputDevice>& devices, const std::string& chosen);
// The id at a list index: empty for "Kein Gerät", nothing outside the list.
std::optional<std::string> inputAtChoice(const std::vector<AudioInputDevice>& devices, int index);

// "Hört auf NAME (RATE Hz).", "Das Gerät NAME kann nicht geöffnet werden.", ...
std::string captureStatusText(const CaptureStatus& status);

// What the options window's tab "Musik" shows.
class MusicOptionsView {
public:
    virtual ~MusicOptionsView() = default;
    // The list after "Kein Gerät"; `current` is the index to show, 0 for none.
    virtual void setDevices(const std::vector<std::string>& descriptions, int current) = 0;
    virtual void setStatus(std::string_view text) = 0;
    // The live level, 0..100, and the tempo.
    virtual void setMeter(int percent, std::string_view tempo) = 0;
    virtual void setLevelOn(bool on) = 0;
    virtual void setDepth(int percent) = 0;
    virtual void setAttack(int ticks) = 0;
    virtual void setRelease(int ticks) = 0;
};

// The tab "Musik": which audio input the tick hears, and the Pegel master.
// Every change goes to the per-user settings and into effect at once. The
// view hands in the system's inputs, now and whenever they change.
class MusicOptionsPresenter {
public:
    MusicOptionsPresenter(SettingsStore& store, MusicSync& music, MusicCapture& capture, MusicOptionsView& view)
        : store_(store), music_(music), capture_(capture), view_(view)
    {
    }

    void Form_Load(const std::vector<AudioInputDevice>& devices);
    void devicesChanged(const std::vector<AudioInputDevice>& devices);
    // 0 is "Kein Gerät", then the devices as listed.
    void cboDevice_Click(int index);
    void chkLevel_Click(bool on);
    void spnDepth_Change(int percent);
    void spnAttack_Change(int ticks);
    void spnRelease_Change(int ticks);
    // The level bar, the tempo and a device that failed meanwhile.
    void tmrMeter_Timer();

    const MusicOptions& options() const { return options_; }

private:
    void showDevices();
    void showStatus();
    void changeLevel(int MusicOptions::*field, int value, int high);
    void applyLevel();

    SettingsStore& store_;
    MusicSync& music_;
    MusicCapture& capture_;
    MusicOptionsView& view_;
    MusicOptions options_;
    std::vector<AudioInputDevice> devices_;  // as the list shows them, after "Kein Gerät"
    CaptureStatus shown_;
};

}  // namespace tinctara

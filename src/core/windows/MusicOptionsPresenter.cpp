#include "windows/MusicOptionsPresenter.h"

#include <algorithm>
#include <cmath>

namespace tinctara {

InputChoices inputChoices(const std::vector<AudioInputDevice>& devices, const std::string& chosen)
{
    InputChoices choices;
    for (const AudioInputDevice& device : devices) {
        choices.descriptions.push_back(device.description);
        if (!chosen.empty() && device.id == chosen)
            choices.current = static_cast<int>(choices.descriptions.size());
    }
    return choices;
}

std::optional<std::string> inputAtChoice(const std::vector<AudioInputDevice>& devices, int index)
{
    if (index < 0 || index > static_cast<int>(devices.size()))
        return std::nullopt;
    return index == 0 ? std::string() : devices[static_cast<std::size_t>(index - 1)].id;
}

std::string captureStatusText(const CaptureStatus& status)
{
    switch (status.state) {
    case CaptureStatus::State::Off:
        break;
    case CaptureStatus::State::Listening:
        return "Hört auf " + status.description + " (" + std::to_string(status.sampleRate) + " Hz).";
    case CaptureStatus::State::Failed:
        return "Das Gerät " + status.description + " kann nicht geöffnet werden.";
    case CaptureStatus::State::Gone:
        return "Das Gerät " + status.description + " ist nicht mehr da.";
    }
    return MusicOptionsText::NoneChosen;
}

void MusicOptionsPresenter::Form_Load(const std::vector<AudioInputDevice>& devices)
{
    options_ = loadMusicOptions(store_);
    devices_ = devices;
    showDevices();
    view_.setLevelOn(options_.level);
    view_.setDepth(options_.depth);
    view_.setAttack(options_.attackTicks);
    view_.setRelease(options_.releaseTicks);
    showStatus();
    tmrMeter_Timer();
}

void MusicOptionsPresenter::devicesChanged(const std::vector<AudioInputDevice>& devices)
{
    if (devices == devices_)
        return;
    devices_ = devices;
    showDevices();
    showStatus();
}

void MusicOptionsPresenter::showDevices()
{
    const InputChoices choices = inputChoices(devices_, options_.device);
    view_.setDevices(choices.descriptions, choices.current);
}

void MusicOptionsPresenter::showStatus()
{
    shown_ = capture_.status();
    CaptureStatus status = shown_;
    // The list knows at once what the capture learns only from its next read.
    const bool listed = std::any_of(devices_.begin(), devices_.end(),
                                    [&](const AudioInputDevice& device) { return device.id == options_.device; });
    if (!options_.device.empty() && !listed && status.state != CaptureStatus::State::Off) {
        status.state = CaptureStatus::State::Gone;
        status.sampleRate = 0;
    }
    view_.setStatus(captureStatusText(status));
}

void MusicOptionsPresenter::cboDevice_Click(int index)
{
    const std::optional<std::string> chosen = inputAtChoice(devices_, index);
    if (!chosen)
        return;
    const std::string& device = *chosen;
    if (device == options_.device && capture_.status().state == CaptureStatus::State::Listening)
        return;
    options_.device = device;
    storeMusicOptions(store_, options_);
    capture_.start(device);
    showStatus();
    tmrMeter_Timer();
}

void MusicOptionsPresenter::applyLevel()
{
    storeMusicOptions(store_, options_);
    applyLevelOptions(music_, options_);
}

void MusicOptionsPresenter::chkLevel_Click(bool on)
{
    options_.level = on;
    applyLevel();
}

void MusicOptionsPresenter::changeLevel(int MusicOptions::*field, int value, int high)
{
    options_.*field = std::clamp(value, 0, high);
    applyLevel();
}

void MusicOptionsPresenter::spnDepth_Change(int percent) { changeLevel(&MusicOptions::depth, percent, 100); }

void MusicOptionsPresenter::spnAttack_Change(int ticks)
{
    changeLevel(&MusicOptions::attackTicks, ticks, MusicEnvelopeTicksMax);
}

void MusicOptionsPresenter::spnRelease_Change(int ticks)
{
    changeLevel(&MusicOptions::releaseTicks, ticks, MusicEnvelopeTicksMax);
}

void MusicOptionsPresenter::tmrMeter_Timer()
{
    if (capture_.status() != shown_)
        showStatus();
    const bool listening = shown_.state == CaptureStatus::State::Listening;
    const double level = listening ? std::clamp(capture_.level(), 0.0, 1.0) : 0.0;
    view_.setMeter(static_cast<int>(std::lround(level * 100)), tempoText(listening ? capture_.bpm() : 0));
}

}  // namespace tinctara

#include "windows/TimecodeOptionsPresenter.h"

#include "windows/MusicOptionsPresenter.h"

#include <algorithm>

namespace tinctara {

namespace {

// The first label at `rate` from `time` on: frames the rate does not count
// move to the next second, a frame drop-frame skips to the next that exists.
Timecode existingLabelFrom(Timecode time, TimecodeRate rate)
{
    // A second's carry and the two dropped frames are all there is to pass.
    for (int step = 0; step < 4 && !isValid(time, rate); ++step) {
        if (time.frames < labelFramesPerSecond(rate)) {
            ++time.frames;
            continue;
        }
        time.frames = 0;
        if (++time.seconds == 60) {
            time.seconds = 0;
            if (++time.minutes == 60) {
                time.minutes = 0;
                if (++time.hours == 24)
                    time.hours = 0;
            }
        }
    }
    return isValid(time, rate) ? time : TimecodeSettings{}.offset;
}

}  // namespace

const char* chaseStateText(ChaseState state)
{
    switch (state) {
    case ChaseState::Off:
        break;
    case ChaseState::Waiting:
        return "Wartet auf Timecode.";
    case ChaseState::BeforeOffset:
        return "Vor dem Startversatz: Schritt 1 hält.";
    case ChaseState::Chasing:
        return "Läuft mit.";
    case ChaseState::Freewheel:
        return "Timecode fehlt: Freilauf.";
    case ChaseState::Held:
        return "Timecode fehlt: das Bild hält.";
    case ChaseState::Started:
        return "Gestartet, läuft selbst.";
    }
    return "Kein Timecode.";
}

void TimecodeOptionsPresenter::Form_Load(const std::vector<AudioInputDevice>& devices)
{
    settings_ = loadTimecodeSettings(store_);
    devices_ = devices;
    notice_.clear();
    showDevices();
    showFields();
    shownTime_.reset();
    shownStatus_.reset();
    tmrStatus_Timer();
}

void TimecodeOptionsPresenter::devicesChanged(const std::vector<AudioInputDevice>& devices)
{
    if (devices == devices_)
        return;
    devices_ = devices;
    showDevices();
}

void TimecodeOptionsPresenter::showDevices()
{
    const InputChoices choices = inputChoices(devices_, settings_.ltcDevice);
    view_.setLtcDevices(choices.descriptions, choices.current);
    view_.setLtcDeviceEnabled(settings_.source == TimecodeSource::Ltc);
}

void TimecodeOptionsPresenter::showFields()
{
    view_.setSource(static_cast<int>(settings_.source));
    view_.setRate(static_cast<int>(settings_.rate));
    view_.setOffset(formatTimecode(settings_.offset, settings_.rate));
    view_.setFreewheel(settings_.freewheelFrames);
    view_.setMode(settings_.mode);
    showSending();
}

void TimecodeOptionsPresenter::showSending()
{
    view_.setSending(settings_.sendArtNet, settings_.artNetTarget, settings_.sendMtc);
}

void TimecodeOptionsPresenter::change(const TimecodeSettings& settings)
{
    // A field left as it was is no change; after a failure it is a retry.
    if (settings == settings_ && notice_.empty())
        return;
    settings_ = settings;
    storeTimecodeSettings(store_, settings_);
    notice_ = control_.apply(settings_);
    tmrStatus_Timer();
}

void TimecodeOptionsPresenter::refuse(const char* message)
{
    notice_ = message;
    tmrStatus_Timer();
}

void TimecodeOptionsPresenter::cboSource_Click(int index)
{
    if (index < 0 || index > static_cast<int>(TimecodeSource::Ltc))
        return;
    TimecodeSettings next = settings_;
    next.source = static_cast<TimecodeSource>(index);
    change(next);
    view_.setLtcDeviceEnabled(settings_.source == TimecodeSource::Ltc);
}

void TimecodeOptionsPresenter::cboLtcDevice_Click(int index)
{
    const std::optional<std::string> device = inputAtChoice(devices_, index);
    if (!device)
        return;
    TimecodeSettings next = settings_;
    next.ltcDevice = *device;
    change(next);
}

void TimecodeOptionsPresenter::cboRate_Click(int index)
{
    if (index < 0 || index > static_cast<int>(TimecodeRate::Smpte30))
        return;
    TimecodeSettings next = settings_;
    next.rate = static_cast<TimecodeRate>(index);
    next.offset = existingLabelFrom(settings_.offset, next.rate);
    change(next);
    // Shown anew at the rate: drop-frame writes ";" before the frames.
    view_.setOffset(formatTimecode(settings_.offset, settings_.rate));
}

void TimecodeOptionsPresenter::txtOffset_EditingFinished(std::string_view text)
{
    const std::optional<Timecode> offset = parseTimecode(text, settings_.rate);
    if (offset) {
        TimecodeSettings next = settings_;
        next.offset = *offset;
        change(next);
    } else {
        refuse(TimecodeOptionsText::BadOffset);
    }
    view_.setOffset(formatTimecode(settings_.offset, settings_.rate));
}

void TimecodeOptionsPresenter::spnFreewheel_Change(int frames)
{
    TimecodeSettings next = settings_;
    next.freewheelFrames = std::clamp(frames, 0, FreewheelFramesMax);
    change(next);
}

void TimecodeOptionsPresenter::optMode_Click(int index)
{
    if (index < 0 || index > static_cast<int>(TimecodeMode::StartAt))
        return;
    TimecodeSettings next = settings_;
    next.mode = static_cast<TimecodeMode>(index);
    change(next);
}

void TimecodeOptionsPresenter::chkSendArtNet_Click(bool on)
{
    TimecodeSettings next = settings_;
    next.sendArtNet = on;
    change(next);
}

void TimecodeOptionsPresenter::txtTarget_EditingFinished(std::string_view text)
{
    const std::string target(text);
    if (artNetTimecodeAddress(target)) {
        TimecodeSettings next = settings_;
        next.artNetTarget = target;
        change(next);
    } else {
        refuse(TimecodeOptionsText::BadTarget);
    }
    showSending();
}

void TimecodeOptionsPresenter::chkSendMtc_Click(bool on)
{
    TimecodeSettings next = settings_;
    next.sendMtc = on;
    change(next);
}

void TimecodeOptionsPresenter::tmrStatus_Timer()
{
    const TimecodeStatus status = control_.status();
    std::string time = runningTimecodeText(status);
    if (time != shownTime_) {
        view_.setTime(time);
        shownTime_ = std::move(time);
    }
    std::string line = !notice_.empty()          ? notice_
                       : !status.problem.empty() ? status.problem
                                                 : std::string(chaseStateText(status.state));
    if (line != shownStatus_) {
        view_.setStatus(line);
        shownStatus_ = std::move(line);
    }
}

}  // namespace tinctara

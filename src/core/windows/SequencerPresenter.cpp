#include "windows/SequencerPresenter.h"

#include "audio/MusicOptions.h"
#include "dmx/OutputPort.h"
#include "files/ShowPaths.h"
#include "model/InputPicture.h"
#include "model/ShowOperations.h"
#include "model/StatusTexts.h"
#include "text/Text.h"
#include "windows/TimecodeText.h"
#include "windows/WindowTable.h"

#include <algorithm>
#include <cmath>

namespace tinctara {

namespace {

constexpr int MaxRecordedSteps = 250;
constexpr double MaxTime = 65534;
constexpr const char* NoSequenceYet = " Es ist noch keine Sequenz erstellt worden!";

// The beat row's per-user settings; Beat itself is never stored.
constexpr const char* BeatsPerStepKey = "BeatsPerStep";
constexpr const char* BlendPercentKey = "BlendPercent";
constexpr int TapKeyCode = 84;  // T
constexpr int LightTicks = 2;   // the beat light stays lit for the beat's tick and the next

int everyChoice(int beatsPerStep)
{
    for (int choice = 0; choice < SequencerText::EveryChoices; ++choice)
        if (SequencerText::EveryChoiceBeats[choice] == beatsPerStep)
            return choice;
    return -1;
}

bool acceptedKey(int keyCode)
{
    return keyCode == 8 || keyCode == 13 || keyCode == 16 || (keyCode >= 37 && keyCode <= 40) ||
           (keyCode >= 46 && keyCode <= 57) || keyCode == 116;
}

}  // namespace

SequencerPresenter::SequencerPresenter(Services services)
    : s_(services), sequencer_{s_.model, s_.show, s_.user, s_.timer}
{
    MusicSettings music = s_.engine.music().settings();
    const int every =
        numberInRange(s_.settings.read(MusicSettingsApplication, MusicSettingsGroup, BeatsPerStepKey, "1"), 1, 4)
            .value_or(1);
    music.beatsPerStep = everyChoice(every) < 0 ? 1 : every;
    music.blendPercent =
        numberInRange(s_.settings.read(MusicSettingsApplication, MusicSettingsGroup, BlendPercentKey, "50"), 0, 100)
            .value_or(50);
    music.beat = false;
    s_.engine.music().setSettings(music);
}

void SequencerPresenter::recordEdits(ShowEdits* edits)
{
    edits_ = edits;
    if (!edits) {
        s_.selection.wrapMemoryEdits({});
        return;
    }
    s_.selection.wrapMemoryEdits([edits](int keyCode, const std::function<void()>& remember) {
        RecordedEdit edit(edits, "Auswahl auf F" + std::to_string(keyCode - 111) + " gemerkt",
                          {history::DocumentKind::Sequence});
        remember();
    });
}

bool SequencerPresenter::Form_KeyPress(int keyCode)
{
    if (keyCode != TapKeyCode)
        return false;
    cmdTap_Click();
    return true;
}

double SequencerPresenter::fieldValue(int index) const { return roundHalfEven(numericValue(field(index))); }

void SequencerPresenter::setField(int index, const std::string& text)
{
    s_.show.setSequencerField(index, text);
    if (index >= 0 && index <= HoldField && shownSinceFocus_[static_cast<std::size_t>(index)])
        shownSinceFocus_[static_cast<std::size_t>(index)] = text;
}

void SequencerPresenter::showStep(int step)
{
    setField(StepField, std::to_string(step));
    if (step >= 1 && step <= StepSlots) {
        setField(BlendField, std::to_string(s_.model.blendTime(step)));
        setField(HoldField, std::to_string(s_.model.holdTime(step)));
    }
}

// Without a sequence the two time fields are what the first step will get.
void SequencerPresenter::timesFromFields()
{
    auto clampTime = [](double value) { return static_cast<std::uint16_t>(std::clamp(value, 0.0, MaxTime)); };
    s_.model.blendTime(1) = clampTime(fieldValue(BlendField));
    s_.model.holdTime(1) = clampTime(fieldValue(HoldField));
}

void SequencerPresenter::titleRunning(const char* prefix)
{
    s_.show.setTitle(s_.model.OsName + prefix + hexUpper(kindNumber(s_.model.InterfaceType)) + ": ");
}

bool SequencerPresenter::refuseWithoutSequence()
{
    if (s_.model.hasState(StateFlag::SequencePresent))
        return false;
    s_.user.beep();
    status(NoSequenceYet);
    return true;
}

bool SequencerPresenter::Form_Load()
{
    ShowModel& model = s_.model;
    if (model.ElementCount == 0) {
        s_.user.messageBox("Es ist kein Element auf der Wand vorhanden.", "", MessageButtons::Ok, MessageIcon::None);
        return false;
    }
    if (!model.SceneFileName.empty())
        s_.show.setSequencerCaption("Scene " + fileNamePart(model.SceneFileName));
    if (!model.SequenceFileName.empty() && model.hasState(StateFlag::SequencePresent)) {
        s_.show.setSequencerCaption("Sequence " + fileNamePart(model.SequenceFileName));
        showStep(model.CurrentStep);
    }
    model.setState(StateFlag::SequencerWindowOpen);
    return true;
}

void SequencerPresenter::Form_Activate()
{
    s_.model.setState(StateFlag::SequencerWindowOpen);
    ShowIdle(s_.user);
}

WindowPlacement SequencerPresenter::storedPlacement() const
{
    return tinctara::storedPlacement(s_.model, WindowNumber::Sequencer);
}

void SequencerPresenter::Form_Unload(const WindowPlacement& placement)
{
    s_.model.clearState(StateFlag::SequencerWindowOpen);
    storePlacement(s_.model, WindowNumber::Sequencer, placement);
}

void SequencerPresenter::cmdSequence_MouseDown(int /*index*/) { status(""); }

void SequencerPresenter::cmdSequence_Click(int index)
{
    if (s_.model.hasState(StateFlag::TestMode)) {
        TestModeOff(s_.model, s_.show);
        status("Testmodus wurde abgeschaltet");
    }
    switch (index) {
    case Back:
        back();
        break;
    case Rec:
        record();
        break;
    case PlayButton: {
        RecordedEdit edit(edits_, "Szene in Schritt " + std::to_string(s_.model.CurrentStep),
                          {history::DocumentKind::Sequence});
        PressPlay(sequencer_);
        break;
    }
    case StopButton: {
        // STOP puts the current step back onto the wall, over what was painted since.
        RecordedEdit edit(edits_, "STOP", {history::DocumentKind::Scene}, history::FlagEffect::LeavesMarks);
        PressStop(sequencer_);
        break;
    }
    case Forward:
        forward();
        break;
    case ClearAll:
        clearAll();
        break;
    case Zero:
        zero();
        break;
    default:
        break;
    }
}

void SequencerPresenter::keepWallInStep()
{
    if (!s_.model.hasState(StateFlag::ImmediateApply))
        return;
    RecordedEdit edit(edits_, "Szene in Schritt " + std::to_string(s_.model.CurrentStep),
                      {history::DocumentKind::Sequence});
    SceneToSequence(s_.model);
}

void SequencerPresenter::back()
{
    if (refuseWithoutSequence())
        return;
    ShowModel& model = s_.model;
    const int count = model.StepCount;
    if (!model.hasState(StateFlag::SequencePlaying)) {
        keepWallInStep();
        model.CurrentStep = static_cast<std::uint8_t>(model.CurrentStep < 2 ? count : model.CurrentStep - 1);
        s_.engine.JumpToStep();
        return;
    }
    StopSequence(sequencer_);
    // While playing, CurrentStep already names the step after the one on the
    // wall; after a first back press two steps back reach the previous picture.
    const int step = model.CurrentStep;
    int target;
    if (!backJump_ || count < 2)
        target = step < 2 ? count : step - 1;
    else
        target = step == 1 ? count - 1 : step == 2 ? count : step - 2;
    model.CurrentStep = static_cast<std::uint8_t>(target);
    backJump_ = true;
    s_.engine.JumpToStep();
    PlaySequence(sequencer_);
}

bool SequencerPresenter::mayRecord()
{
    ShowModel& model = s_.model;
    if (model.StepCount != 0 && model.CurrentStep != model.StepCount) {
        status("Nur am Ende einer Sequenz möglich.");
        s_.user.beep();
        return false;
    }
    if (model.CurrentStep >= MaxRecordedSteps) {
        s_.user.beep();
        s_.user.messageBox("In dieser Programmversion sind maximal 250 Schritte in einer Sequenz möglich.", "",
                           MessageButtons::Ok, MessageIcon::None);
        return false;
    }
    return true;
}

void SequencerPresenter::cmdRecordInput_Click()
{
    if (s_.model.hasState(StateFlag::TestMode)) {
        TestModeOff(s_.model, s_.show);
        status("Testmodus wurde abgeschaltet");
    }
    if (!input_ || !input_->live) {
        status(SequencerText::NoInputSender);
        s_.user.beep();
        return;
    }
    if (!mayRecord())
        return;
    // The checks come first, so a refused REC leaves the wall as it was.
    ShowModel& model = s_.model;
    RecordedEdit edit(edits_, "REC Eingang Schritt " + std::to_string(model.StepCount + 1),
                      {history::DocumentKind::Scene, history::DocumentKind::Sequence});
    WallPicture picture;
    pictureFromInput(model, input_->levels, picture);
    const int elements = model.elementsInUse();
    for (int plane = Red; plane <= White; ++plane)
        for (int element = 1; element <= elements; ++element)
            model.colour(plane, element) = picture[ShowModel::colourIndex(plane, element)];
    for (int index = 0; index < elements; ++index)
        ShowElementColour(model, s_.show, index);
    recordScene();
    status(SequencerText::RecordInputDone);
}

void SequencerPresenter::record()
{
    if (!mayRecord())
        return;
    RecordedEdit edit(edits_, "REC Schritt " + std::to_string(s_.model.StepCount + 1),
                      {history::DocumentKind::Sequence});
    recordScene();
}

void SequencerPresenter::recordScene()
{
    ShowModel& model = s_.model;
    status("Szene in die Sequenz aufgenommen.");
    ++model.StepCount;
    markStepsRecorded(model);
    ++model.CurrentStep;
    setField(StepField, std::to_string(model.CurrentStep));
    const auto time = [](double value) { return static_cast<std::uint16_t>(std::clamp(value, 0.0, 65535.0)); };
    model.blendTime(model.CurrentStep) = time(fieldValue(BlendField));
    model.holdTime(model.CurrentStep) = time(fieldValue(HoldField));
    SceneToSequence(model);
    s_.selection.reMark();
}

void SequencerPresenter::forward()
{
    if (refuseWithoutSequence())
        return;
    ShowModel& model = s_.model;
    if (model.hasState(StateFlag::SequencePlaying)) {
        StopSequence(sequencer_);
        s_.engine.JumpToStep();
        PlaySequence(sequencer_);
    } else {
        keepWallInStep();
        model.CurrentStep = static_cast<std::uint8_t>(model.CurrentStep >= model.StepCount ? 1 : model.CurrentStep + 1);
        s_.engine.JumpToStep();
    }
    status("Nächste Scene.");
}

void SequencerPresenter::clearAll()
{
    ShowModel& model = s_.model;
    if (model.hasState(StateFlag::SequencePlaying)) {
        s_.user.beep();
        status("Sie müssen die Sequenz erst anhalten!");
        return;
    }
    // The outputs go dark first, whatever the user then answers.
    const OutputPort& port = portFor(model.InterfaceType);
    for (int channel = 1; channel <= DmxChannels; ++channel) {
        port.clearChannel(model, s_.ports, channel);
        model.TestLevels[channel - 1] = 0;
    }
    s_.engine.outputsCleared();
    if (s_.mainWindow.ConfirmUnsaved(DocumentKind::Sequence))
        return;
    RecordedEdit edit(edits_, "CLR ALL", {history::DocumentKind::Scene, history::DocumentKind::Sequence},
                      history::FlagEffect::LeavesMarks);
    model.clearState(StateFlag::SequencePresent);
    model.StepCount = 0;
    setField(StepField, "");
    timesFromFields();
    model.CurrentStep = 0;
    model.SequenceFileName.clear();
    s_.show.setSequencerCaption("");
    status("Die Sequenz wurde gelöscht.");
}

void SequencerPresenter::zero()
{
    if (refuseWithoutSequence())
        return;
    ShowModel& model = s_.model;
    if (!model.hasState(StateFlag::SequencePlaying)) {
        keepWallInStep();
        model.CurrentStep = 1;
        s_.engine.JumpToStep();
        return;
    }
    StopSequence(sequencer_);
    model.CurrentStep = 1;
    backJump_ = true;
    s_.engine.JumpToStep();
    PlaySequence(sequencer_);
}

void SequencerPresenter::txtSequence_Change(int index, std::string_view text)
{
    // The user's text: not what the program showed, so it goes to the view alone.
    if (index >= 0 && index <= HoldField && field(index) != text)
        s_.show.setSequencerField(index, std::string(text));
}

void SequencerPresenter::txtSequence_GotFocus(int index)
{
    if (index >= 0 && index <= HoldField)
        shownSinceFocus_[static_cast<std::size_t>(index)] = field(index);
    s_.timer.pauseTicks();
    s_.show.setTitle(s_.model.OsName + ": QOR DMX TINCTARA  ....stopped");
}

void SequencerPresenter::txtSequence_KeyUp(int index, int keyCode)
{
    ShowModel& model = s_.model;
    status("");
    const bool present = model.hasState(StateFlag::SequencePresent);
    if (!acceptedKey(keyCode)) {
        s_.user.beep();
        status(" Es sind nur Zahlen erlaubt. ");
        if (present) {
            showStep(model.CurrentStep);
        } else {
            setField(StepField, "");
            timesFromFields();
        }
    } else if (index == StepField) {
        if (!present) {
            s_.user.beep();
            status(" Es wurde noch keine Sequenz erstellt.");
            setField(StepField, "");
            timesFromFields();
            return;  // output stays stopped until the field is left
        }
        status(" Bitte geben Sie eine vorhandene Szenen-Nr. ein ");
        const double step = fieldValue(StepField);
        if (step >= 1 && step <= model.StepCount) {
            model.CurrentStep = static_cast<std::uint8_t>(step);
            s_.engine.JumpToStep();
        } else {
            status("Szene in der Sequenz nicht vorhanden!");
            if (model.hasState(StateFlag::SequencePlaying))
                showStep(model.CurrentStep);
        }
    } else if (index == BlendField) {
        const double value = fieldValue(BlendField);
        if (value < 5) {
            status("Blendzeiten unter 5 sind nicht zulässig");
        } else if (value > MaxTime) {
            s_.user.beep();
            status("Blendzeiten über 65534 sind nicht zulässig");
        }
    } else if (index == HoldField) {
        const double value = fieldValue(HoldField);
        if (value < 1) {
            s_.user.beep();
            status("Haltezeiten unter 1 sind nicht zulässig");
        } else if (value > MaxTime) {
            s_.user.beep();
            status("Haltezeiten über 65534 sind nicht zulässig");
        }
    }
    s_.timer.setEnabled(true);
    titleRunning(": QOR DMX TINCTARA  ....running. Interface = ");
}

// A time the user typed changes the sequence: the save question at the end
// must know.
void SequencerPresenter::storeTime(int index, std::uint16_t value)
{
    ShowModel& model = s_.model;
    const int step = model.CurrentStep;
    const bool blend = index == BlendField;
    std::uint16_t& time = blend ? model.blendTime(step) : model.holdTime(step);
    if (time == value)
        return;
    RecordedEdit edit(edits_, (blend ? "Blendezeit Schritt " : "Haltezeit Schritt ") + std::to_string(step),
                      {history::DocumentKind::Sequence});
    model.setDocument(DocumentFlag::SequenceChanged);
    time = value;
}

void SequencerPresenter::txtSequence_LostFocus(int index)
{
    ShowModel& model = s_.model;
    if (index == StepField) {
        if (model.CurrentStep == 0 || model.CurrentStep > model.StepCount) {
            if (model.hasState(StateFlag::SequencePresent)) {
                model.CurrentStep = 1;
                showStep(1);
            } else {
                model.clearState(StateFlag::SequencePlaying);
                setField(StepField, "");
                timesFromFields();
                model.CurrentStep = 0;
            }
            status("Scene not contained in Sequence");
        }
        s_.timer.setEnabled(true);
        titleRunning(StatusText::PlayingPrefix);
        return;
    }
    if (index != BlendField && index != HoldField)
        return;
    auto& shown = shownSinceFocus_[static_cast<std::size_t>(index)];
    const bool untouched = shown && *shown == field(index);
    shown.reset();
    if (untouched)
        return;
    const bool blend = index == BlendField;
    const double low = blend ? 5 : 1;
    const char* replacement = blend ? "50" : "1";
    if (model.CurrentStep == 0) {
        status("Keine Sequenz.");
        setField(index, replacement);
        return;
    }
    const double value = fieldValue(index);
    if (value < low || value > MaxTime) {
        s_.user.beep();
        status(blend ? "Nur Werte zwischen 5 und 65534 sind erlaubt." : "Nur Werte zwischen 1 und 65534 sind erlaubt.");
        setField(index, replacement);
        storeTime(index, blend ? 50 : 1);
        return;
    }
    storeTime(index, static_cast<std::uint16_t>(value));
    // A playing sequence takes the new time from the next load on.
    if (model.hasState(StateFlag::SequencePlaying)) {
        PressStop(sequencer_);
        PressPlay(sequencer_);
    }
}

// --- the beat row ------------------------------------------------------------

void SequencerPresenter::attachBeatView(SequencerBeatView* view)
{
    beatView_ = view;
    if (!beatView_)
        return;
    showBeatSettings();
    beatView_->showTempo(tempo_);
    beatView_->showBeatLight(lit_);
    timecodeShown_ = timecodeText();
    beatView_->showTimecode(timecodeShown_);
}

void SequencerPresenter::showBeatSettings()
{
    if (!beatView_)
        return;
    const MusicSettings& music = s_.engine.music().settings();
    beatView_->showBeatSettings(music.beat, std::max(everyChoice(music.beatsPerStep), 0), music.blendPercent);
}

// Only Beat and the beat row's own fields change; the level fields stay.
void SequencerPresenter::applyBeat(const MusicSettings& settings)
{
    s_.engine.music().setSettings(settings);
    showBeatSettings();
}

void SequencerPresenter::chkBeat_Click(bool checked)
{
    MusicSettings music = s_.engine.music().settings();
    music.beat = checked;
    applyBeat(music);
}

void SequencerPresenter::cboBeats_Click(int choice)
{
    if (choice < 0 || choice >= SequencerText::EveryChoices)
        return;
    MusicSettings music = s_.engine.music().settings();
    music.beatsPerStep = SequencerText::EveryChoiceBeats[choice];
    applyBeat(music);
    s_.settings.write(MusicSettingsApplication, MusicSettingsGroup, BeatsPerStepKey,
                      std::to_string(music.beatsPerStep));
}

void SequencerPresenter::spnBlende_Change(int percent)
{
    MusicSettings music = s_.engine.music().settings();
    music.blendPercent = std::clamp(percent, 0, 100);
    applyBeat(music);
    s_.settings.write(MusicSettingsApplication, MusicSettingsGroup, BlendPercentKey,
                      std::to_string(music.blendPercent));
}

void SequencerPresenter::cmdTap_Click() { s_.engine.music().tap(s_.clock.monotonicMilliseconds()); }

void SequencerPresenter::afterTick()
{
    const MusicSync& music = s_.engine.music();
    const double period = music.periodTicks();
    if (period != shownPeriod_) {
        shownPeriod_ = period;
        std::string text = tempoText(bpmOfPeriod(period));
        if (text != tempo_) {
            tempo_ = std::move(text);
            if (beatView_)
                beatView_->showTempo(tempo_);
        }
    }
    if (music.beatThisTick())
        lightTicks_ = LightTicks;
    const bool lit = lightTicks_ > 0;
    if (lightTicks_ > 0)
        --lightTicks_;
    if (lit != lit_) {
        lit_ = lit;
        if (beatView_)
            beatView_->showBeatLight(lit_);
    }
    std::string timecode = timecodeText();
    if (timecode != timecodeShown_) {
        timecodeShown_ = std::move(timecode);
        if (beatView_)
            beatView_->showTimecode(timecodeShown_);
    }
}

std::string SequencerPresenter::timecodeText() const
{
    if (!timecode_ || timecode_->settings().source == TimecodeSource::None)
        return {};
    return SequencerText::TimecodePrefix + runningTimecodeText(timecode_->status());
}

}  // namespace tinctara

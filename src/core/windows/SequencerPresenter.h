#pragma once

#include "windows/TempoText.h"

#include "engine/OutputEngine.h"
#include "history/ShowEdits.h"
#include "input/DmxInput.h"
#include "model/Selection.h"
#include "model/SequencePlayback.h"
#include "model/ShowModel.h"
#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/OutputTimer.h"
#include "platform/PortIo.h"
#include "platform/ShowView.h"
#include "platform/UserInteraction.h"
#include "timecode/TimecodeControl.h"
#include "windows/MainWindowView.h"

#include <array>
#include <optional>
#include <string>

namespace tinctara {

namespace SequencerText {
inline constexpr const char* Caption = "SEQUENZER";
inline constexpr int Buttons = 7;
inline constexpr const char* ButtonCaptions[Buttons] = {"<", "REC", "PLAY", "STOP", ">", "CLR ALL", "ZERO"};
inline constexpr const char* ButtonTips[Buttons] = {
    "Eine Szene zurück", "Szene in der Sequenz speichern", "Sequenz abspielen", "Sequenz stoppen",
    "Eine Szene vor",    "Komplette Sequenz löschen",      "Auf Anfang"};
// txtSequence(0) step, (1) blend, (2) hold; the headings lblSequence(1), (0), (2).
inline constexpr const char* FieldHeadings[3] = {"SZENE", "Blendezeit", "Haltezeit"};
inline constexpr const char* FieldTips[3] = {"Nr der Szene im Sequenzer",
                                             "Geschwindigkeit in der der Sequenzer überblendet",
                                             "Wartezeit für eine Szene vor der Überblendung"};
// The desk's picture as a step at the end, with REC's rules.
inline constexpr const char* RecordInputCaption = "REC Eingang";
inline constexpr const char* RecordInputTip = "Bild des DMX-Eingangs in der Sequenz speichern";
inline constexpr const char* RecordInputDone = "Eingang in die Sequenz aufgenommen.";
inline constexpr const char* NoInputSender = "Kein Sender am DMX-Eingang.";
// The row that lets a playing sequence follow the beat.
inline constexpr const char* BeatCaption = "Beat";
inline constexpr const char* EveryCaption = "alle";
inline constexpr int EveryChoices = 3;
inline constexpr const char* EveryChoiceTexts[EveryChoices] = {"1 Beat", "2 Beats", "4 Beats"};
inline constexpr int EveryChoiceBeats[EveryChoices] = {1, 2, 4};
inline constexpr const char* BlendCaption = "Blende (% vom Beat)";
inline constexpr const char* TapCaption = "Tap";
inline constexpr const char* TempoUnknown = TempoUnknownText;
inline constexpr const char* BeatLightName = "Beatlicht";
// Beside the status line while a timecode source is chosen.
inline constexpr const char* TimecodePrefix = "Timecode: ";
}  // namespace SequencerText

enum SequencerButton { Back = 0, Rec = 1, PlayButton = 2, StopButton = 3, Forward = 4, ClearAll = 5, Zero = 6 };
enum SequencerField { StepField = 0, BlendField = 1, HoldField = 2 };

// The sequencer window's beat row: Beat, every N beats, blend %, the tempo
// and the beat light.
class SequencerBeatView {
public:
    virtual ~SequencerBeatView() = default;
    // `everyChoice` indexes SequencerText::EveryChoiceTexts.
    virtual void showBeatSettings(bool beat, int everyChoice, int blendPercent) = 0;
    virtual void showTempo(std::string_view text) = 0;
    virtual void showBeatLight(bool lit) = 0;
    // "Timecode: 01:00:12:05"; empty: no source chosen, nothing shown.
    virtual void showTimecode(std::string_view /*text*/) {}
};

// The logic of the sequencer window frmControl. The window's fields, status
// line and caption live in the ShowView, where the output engine and the
// show files write them too; the presenter reads and writes them there.
class SequencerPresenter {
public:
    struct Services {
        ShowModel& model;
        ShowView& show;
        UserInteraction& user;
        OutputTimer& timer;
        OutputEngine& engine;
        MainWindowCommands& mainWindow;
        Selection& selection;
        PortIo& ports;
        SettingsStore& settings;  // group "Music": every N beats and the blend %
        Clock& clock;             // taps are stamped with its monotonic time
    };

    // Takes the stored beat settings into the engine; Beat itself starts off.
    explicit SequencerPresenter(Services services);
    // Every edit of the sequence from here on, the selection memories
    // included, becomes an undo entry; null: none does.
    void recordEdits(ShowEdits* edits);

    // False when the wall has no element (the user is told; nothing is set up).
    bool Form_Load();
    void Form_Activate();
    void Form_Unload(const WindowPlacement& placement);
    WindowPlacement storedPlacement() const;
    bool Form_KeyDown(int keyCode, bool shift) { return s_.selection.functionKey(keyCode, shift); }
    // A key pressed outside the fields (which take it as typed text), not a
    // held key's repeat: T taps the tempo. True when the key was taken.
    bool Form_KeyPress(int keyCode);

    void cmdSequence_MouseDown(int index);
    void cmdSequence_Click(int index);
    // "REC Eingang": the input's picture through the patch turned around
    // becomes the wall's and is recorded as REC records it.
    void cmdRecordInput_Click();
    // The desk's universe REC Eingang records; none: it has nothing to record.
    void watchInput(const DmxInputFrame* input) { input_ = input; }
    // The timecode the window shows while a source is chosen; none: never.
    void watchTimecode(const TimecodeControl* timecode) { timecode_ = timecode; }

    // The text of a field as the user left it after a key.
    void txtSequence_Change(int index, std::string_view text);
    void txtSequence_GotFocus(int index);
    void txtSequence_KeyUp(int index, int keyCode);
    void txtSequence_LostFocus(int index);

    // The beat row. The view shows the current state as it attaches.
    void attachBeatView(SequencerBeatView* view);
    void chkBeat_Click(bool checked);
    void cboBeats_Click(int choice);
    void spnBlende_Change(int percent);
    void cmdTap_Click();
    // After each tick: the tempo and the beat light from the engine's music,
    // and the running timecode.
    void afterTick();

private:
    void status(const std::string& text) { s_.show.setSequencerLabel(text); }
    std::string field(int index) const { return s_.show.sequencerFieldText(index); }
    void setField(int index, const std::string& text);
    double fieldValue(int index) const;
    void showStep(int step);
    void timesFromFields();
    void storeTime(int index, std::uint16_t value);
    // With immediate apply the wall goes into the current step before the
    // sequencer moves on.
    void keepWallInStep();
    void titleRunning(const char* prefix);
    bool refuseWithoutSequence();

    void back();
    void record();
    bool mayRecord();
    // The wall's picture as the new last step; the caller checked mayRecord.
    void recordScene();
    void forward();
    void clearAll();
    void zero();

    void applyBeat(const MusicSettings& settings);
    void showBeatSettings();
    std::string timecodeText() const;

    Services s_;
    Sequencer sequencer_;
    ShowEdits* edits_ = nullptr;
    bool backJump_ = false;
    const DmxInputFrame* input_ = nullptr;
    // What a field showed since it got the focus, as the program last wrote
    // it: a field the user left untouched is not checked when it loses the
    // focus, so focus alone never rewrites a step's time.
    std::array<std::optional<std::string>, 3> shownSinceFocus_{};

    SequencerBeatView* beatView_ = nullptr;
    double shownPeriod_ = -1;  // what the tempo text was made from; -1: none yet
    std::string tempo_ = SequencerText::TempoUnknown;
    int lightTicks_ = 0;  // ticks the beat light stays lit
    bool lit_ = false;
    const TimecodeControl* timecode_ = nullptr;
    std::string timecodeShown_;
};

}  // namespace tinctara

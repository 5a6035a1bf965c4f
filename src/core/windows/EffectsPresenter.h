#pragma once

#include "audio/MusicAnalysis.h"
#include "effects/BeatLayout.h"
#include "effects/Effects.h"
#include "history/ShowEdits.h"
#include "model/ShowModel.h"
#include "platform/Environment.h"
#include "platform/ShowView.h"
#include "platform/UserInteraction.h"
#include "windows/MainWindowView.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tinctara {

namespace EffectsText {
inline constexpr const char* Caption = "Effekte";
// Its state value: the window was open when the program closed and opens again.
inline constexpr int OpenAtClose = 1;
inline constexpr int Kinds = 7;
inline constexpr const char* KindNames[Kinds] = {
    "Regenbogen / Farbverlauf", "Plasma", "Lauflicht", "Funkeln", "Lauftext", "Bild", "Animation"};
inline constexpr int Directions = 6;
inline constexpr const char* DirectionNames[Directions] = {"nach links", "nach rechts", "nach oben",
                                                           "nach unten", "diagonal",    "aus der Mitte"};
inline constexpr int Patterns = 4;
inline constexpr const char* PatternNames[Patterns] = {"Lampe", "Reihe", "Spalte", "Schlange"};
inline constexpr int Fits = 3;
inline constexpr const char* FitNames[Fits] = {"Einpassen", "Füllen", "Strecken"};

// txtEffekt(0..10) with their headings.
inline constexpr int Fields = 11;
inline constexpr const char* FieldHeadings[Fields] = {"Schritte", "Haltezeit",  "Blendezeit", "Startwert",
                                                      "Text",     "Bilddatei",  "Breite (%)", "Tempo",
                                                      "Schweif",  "Dichte (%)", "Gamma"};
inline constexpr const char* FieldDefaults[Fields] = {"60", "0", "2", "1", "TINCTARA", "", "100", "1", "2", "10", "1"};
inline constexpr int ColourChoices = 2;  // cboFarbe(0..1)
inline constexpr const char* NoColour = "(keine)";
inline constexpr const char* MixColourName = "Mischfarbe";
inline constexpr int Buttons = 3;
inline constexpr const char* ButtonCaptions[Buttons] = {"&Vorschau", "&Anhängen", "&Ersetzen"};
inline constexpr const char* ButtonTips[Buttons] = {"Zeigt den Effekt in der kleinen Wand",
                                                    "Hängt die Schritte an die Sequenz an",
                                                    "Ersetzt die Sequenz durch die Schritte"};
inline constexpr const char* WhiteOption = "Weiß-LED nutzen";
inline constexpr const char* WhiteTip = "Nimmt den Weißanteil min(R, G, B) aus den Farben in die weiße LED";
inline constexpr const char* FileButton = "&Datei...";

// The group "Musik": laying the sequence onto a song's beats.
inline constexpr const char* MusicGroup = "Musik";
// txtMusik(0..2) with their headings; cboBeats between the song and the blend.
inline constexpr int MusicFields = 3;
inline constexpr const char* MusicFieldHeadings[MusicFields] = {"Lied", "Blende (Anteil vom Beat)", "Start (s)"};
inline constexpr const char* EveryBeatsHeading = "alle N Beats";
inline constexpr int EveryBeatsChoices = 3;
inline constexpr int EveryBeats[EveryBeatsChoices] = {1, 2, 4};
inline constexpr const char* SongButton = "…";
inline constexpr const char* SongTip = "Wählt das Lied (WAV, FLAC, OGG oder MP3)";
inline constexpr int MusicButtons = 2;
inline constexpr const char* MusicButtonCaptions[MusicButtons] = {"Auf Musik legen", "Vorschau mit Musik"};
inline constexpr const char* MusicButtonTips[MusicButtons] = {
    "Legt die Schritte der Sequenz auf die Schläge des Liedes und ersetzt sie dadurch",
    "Spielt das Lied und die Sequenz ab Schritt 1 zusammen"};
inline constexpr const char* Analysing = "Musik wird analysiert …";
inline constexpr const char* NoSong = "Bitte wählen Sie ein Lied.";
inline constexpr const char* NoSteps = "Die Sequenz hat keine Schritte.";
// The per-user store's group and keys.
inline constexpr const char* MusicKeys[MusicFields] = {"Song", "BlendFraction", "Start"};
inline constexpr const char* EveryBeatsKey = "EveryBeats";
}  // namespace EffectsText

enum EffectsField {
    StepsField = 0,
    EffectHoldField = 1,
    EffectBlendField = 2,
    SeedField = 3,
    TextField = 4,
    PictureField = 5,
    WidthField = 6,
    SpeedField = 7,
    TailField = 8,
    DensityField = 9,
    GammaField = 10
};
enum EffectsButton { PreviewButton = 0, AppendButton = 1, ReplaceButton = 2 };
enum MusicField { SongField = 0, BeatBlendField = 1, SongStartField = 2 };
enum MusicButton { LayOntoMusicButton = 0, MusicPreviewButton = 1 };

// What the effects window shows.
class EffectsView {
public:
    virtual ~EffectsView() = default;
    virtual void setStatus(std::string_view text) = 0;
    virtual void setField(int index, std::string_view text) = 0;
    // Which controls belong to the chosen kind.
    virtual void setFieldEnabled(int index, bool enabled) = 0;
    virtual void setChoicesEnabled(bool direction, bool pattern, bool fit, bool colours) = 0;
    virtual void setColourChoices(const std::vector<std::string>& names) = 0;
    // The small wall: its grid, then the display colour of every element.
    virtual void setPreviewWall(const EffectWall& wall) = 0;
    virtual void showPreview(const std::vector<Rgb>& colours) = 0;
    // The group "Musik".
    virtual void setMusicField(int index, std::string_view text) = 0;
    virtual void setEveryBeats(int choice) = 0;
    // While a song is analysed "Auf Musik legen" is off.
    virtual void setAnalysing(bool analysing) = 0;
    // "Vorschau mit Musik": whether there is a preview at all, and its check.
    virtual void setMusicPreview(bool available, bool running) = 0;
    // Called on the analysis thread once the song is analysed: the view then
    // calls musicAnalysed() on its own thread.
    virtual void musicAnalysisFinished() = 0;
};

// The logic of the effects window frmEffekte: the kind and its parameters,
// a preview played on a small copy of the wall at the output tick, and the
// two ways into the sequence.
class EffectsPresenter {
public:
    struct Services {
        ShowModel& model;
        ShowView& show;
        UserInteraction& user;
        MainWindowCommands& mainWindow;
        SettingsStore& settings;
        // The song played with the sequence: an error text, empty when it
        // started. Without them there is no preview with music.
        std::function<std::string(const std::string& songPath)> startMusicPreview{};
        std::function<void()> stopMusicPreview{};
    };

    EffectsPresenter(Services services, EffectsView& view) : s_(std::move(services)), view_(view) {}
    // Waits for a song still being analysed.
    ~EffectsPresenter();
    EffectsPresenter(const EffectsPresenter&) = delete;
    EffectsPresenter& operator=(const EffectsPresenter&) = delete;
    // Each effect taken into the sequence and each laying onto a song becomes
    // an undo entry; null: none does.
    void recordEdits(ShowEdits* edits) { edits_ = edits; }

    // False when the wall has no element (the user is told). An open window
    // opens again at the next start, unless the user closes it.
    bool Form_Load();
    // Keeps the place; only a window still open as the main window closes
    // opens again at the next start.
    void Form_Unload(const WindowPlacement& placement, bool mainWindowClosing);
    WindowPlacement storedPlacement() const;
    // The window was open when the program last closed, and a wall is there.
    static bool reopensAtStart(const ShowModel& model);

    void cboArt_Click(int kind);
    void cboRichtung_Click(int direction);
    void cboMuster_Click(int pattern);
    void cboEinpassen_Click(int fit);
    void cboFarbe_Click(int index, int choice);
    void chkWeiss_Click(bool ticked);
    void txtEffekt_Change(int index, std::string_view text);
    void cmdDatei_Click();
    void cmdEffekt_Click(int index);
    // One output tick of the preview (50 ms).
    void timVorschau_Timer();

    void txtMusik_Change(int index, std::string_view text);
    void cboBeats_Click(int choice);
    void cmdLied_Click();
    void cmdMusik_Click(int index);
    // On the window's thread after musicAnalysisFinished(): lays the sequence
    // onto the song's beats, or says why not. Waits for the analysis when it
    // is still running.
    void musicAnalysed();
    // The preview with music stopped by itself (the song or the sequence ended).
    void musicPreviewEnded();
    bool analysing() const { return analysis_.joinable(); }
    bool musicPreviewRunning() const { return musicPreviewRunning_; }
    const std::string& musicField(int index) const { return musicFields_.at(index); }
    int everyBeats() const { return EffectsText::EveryBeats[everyBeatsChoice_]; }

    int kind() const { return kind_; }
    const std::string& field(int index) const { return fields_.at(index); }
    const EffectResult& preview() const { return preview_; }

private:
    // The parameters from the fields, or the message saying which is wrong.
    bool readParameters(EffectParameters& parameters, std::string& problem) const;
    void showKind();
    // A setting changed: the preview is made again at a coming tick.
    void settingsChanged();
    void regenerate();
    void apply(ApplyMode mode);
    std::vector<Rgbw> chosenColours() const;
    void showFrame(const std::vector<Rgbw>& lamps);
    // The sequencer shows the new current step after the sequence changed.
    void showNewSequence();
    void loadMusicSettings();
    bool readMusicOptions(BeatLayoutOptions& options, std::string& problem) const;
    void layOntoMusic();
    void refuse(std::string_view why);
    const char* sequenceRefusal() const;
    void toggleMusicPreview();

    Services s_;
    EffectsView& view_;
    ShowEdits* edits_ = nullptr;
    int kind_ = 0;
    int direction_ = 1;
    int pattern_ = 2;
    int fit_ = 0;
    bool white_ = false;
    std::array<int, EffectsText::ColourChoices> colourChoice_{0, 0};
    std::array<std::string, EffectsText::Fields> fields_{};
    bool dirty_ = true;
    int quietTicks_ = 0;  // ticks since the last change of a setting

    // The preview's playback: the step shown last, and the tick within the next.
    EffectResult preview_;
    int previewStep_ = 0;
    int previewTick_ = 0;
    std::vector<Rgbw> shownLamps_;
    std::vector<Rgbw> fromLamps_;
    std::vector<Rgb> shownColours_;

    std::array<std::string, EffectsText::MusicFields> musicFields_{};
    int everyBeatsChoice_ = 0;
    bool musicPreviewRunning_ = false;
    // The song's analysis: written by its thread, read after the join.
    BeatLayoutOptions pendingLayout_;
    std::optional<FileAnalysis> song_;
    std::thread analysis_;  // joined by musicAnalysed() or the destructor
};

}  // namespace tinctara

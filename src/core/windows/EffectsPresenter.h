#pragma once

#include "effects/Effects.h"
#include "model/ShowModel.h"
#include "platform/ShowView.h"
#include "platform/UserInteraction.h"
#include "windows/MainWindowView.h"

#include <array>
#include <string>
#include <string_view>
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
    };

    EffectsPresenter(Services services, EffectsView& view) : s_(services), view_(view) {}

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

    Services s_;
    EffectsView& view_;
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
};

}  // namespace tinctara

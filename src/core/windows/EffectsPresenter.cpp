#include "windows/EffectsPresenter.h"

#include "audio/MusicOptions.h"
#include "model/ShowOperations.h"
#include "files/ShowPaths.h"
#include "text/Text.h"
#include "windows/WindowTable.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tinctara {

namespace {

// Taking steps sets the wall to the last of them.
constexpr history::DocumentKinds SequenceAndWall{history::DocumentKind::Scene, history::DocumentKind::Sequence};

// A picture is decoded again only once its settings have rested this many
// ticks: typing a path or a gamma would otherwise decode it at every key.
constexpr int PictureSettleTicks = 6;

std::string stepsText(long long count) { return counted(count, "Schritt", "Schritte"); }

bool stillPicture(int kind)
{
    return kind == static_cast<int>(EffectKind::Picture) || kind == static_cast<int>(EffectKind::Animation);
}

// A whole or decimal number filling the whole text (blanks around allowed).
bool numberIn(std::string_view text, double& value)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    std::string copy(text);
    std::replace(copy.begin(), copy.end(), ',', '.');
    const auto result = std::from_chars(copy.data(), copy.data() + copy.size(), value);
    return !copy.empty() && result.ec == std::errc() && result.ptr == copy.data() + copy.size();
}

std::string fieldProblem(const char* heading, double low, double high)
{
    const auto number = [](double v) {
        std::string text = std::to_string(v);
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.')
            text.pop_back();
        return text;
    };
    return std::string("Bitte prüfen Sie das Feld \"") + heading + "\": erlaubt sind " + number(low) + " bis " +
           number(high) + ".";
}

// The shortest text that reads back as the value; the store keeps a point,
// the window shows a comma. Never the locale's: Qt sets it from the user's.
std::string shortest(double value, char point)
{
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value + 0.0).ptr;  // -0 is 0
    std::string result(text, end);
    std::replace(result.begin(), result.end(), '.', point);
    return result;
}

struct MusicRange {
    double low, high, fallback;
};
// Blend and start (txtMusik 1 and 2), as the command line takes them.
constexpr MusicRange MusicRanges[EffectsText::MusicFields] = {{0, 0, 0}, {0, 1, 0.5}, {0, 86400, 0}};

int everyBeatsChoiceOf(std::string_view text)
{
    for (int choice = 0; choice < EffectsText::EveryBeatsChoices; ++choice)
        if (text == std::to_string(EffectsText::EveryBeats[choice]))
            return choice;
    return -1;
}

Rgb displayOf(const Rgbw& lamp)
{
    const auto add = [&](std::uint8_t c) { return static_cast<std::uint8_t>(std::min(255, c + lamp.white)); };
    return {add(lamp.red), add(lamp.green), add(lamp.blue)};
}

}  // namespace

bool EffectsPresenter::Form_Load()
{
    if (s_.model.ElementCount == 0) {
        s_.user.messageBox(NoElementMessage, "", MessageButtons::Ok, MessageIcon::None);
        return false;
    }
    for (int i = 0; i < EffectsText::Fields; ++i) {
        fields_[i] = EffectsText::FieldDefaults[i];
        view_.setField(i, fields_[i]);
    }
    std::vector<std::string> names{EffectsText::NoColour, EffectsText::MixColourName};
    for (const std::string& name : s_.model.ColourNames) {
        std::string trimmed = name;
        while (!trimmed.empty() && trimmed.back() == ' ')
            trimmed.pop_back();
        names.push_back(trimmed);
    }
    view_.setColourChoices(names);
    view_.setPreviewWall(EffectWall::of(s_.model));
    showKind();
    regenerate();
    loadMusicSettings();
    WindowPlacement slot = tinctara::storedPlacement(s_.model, WindowNumber::Effects);
    slot.state = EffectsText::OpenAtClose;
    storePlacement(s_.model, WindowNumber::Effects, slot, SlotFields::PlaceAndState);
    return true;
}

WindowPlacement EffectsPresenter::storedPlacement() const
{
    return tinctara::storedPlacement(s_.model, WindowNumber::Effects);
}

EffectsPresenter::~EffectsPresenter()
{
    if (analysis_.joinable())
        analysis_.join();
}

void EffectsPresenter::Form_Unload(const WindowPlacement& placement, bool mainWindowClosing)
{
    if (musicPreviewRunning_ && s_.stopMusicPreview)
        s_.stopMusicPreview();  // the song does not outlive its window
    musicPreviewRunning_ = false;
    WindowPlacement slot = placement;
    slot.state = mainWindowClosing ? EffectsText::OpenAtClose : 0;
    storePlacement(s_.model, WindowNumber::Effects, slot, SlotFields::PlaceAndState);
}

bool EffectsPresenter::reopensAtStart(const ShowModel& model)
{
    // Without a wall the window would only say so; it waits for the menu then.
    return tinctara::storedPlacement(model, WindowNumber::Effects).state == EffectsText::OpenAtClose &&
           model.hasState(StateFlag::WallPresent);
}

void EffectsPresenter::cboArt_Click(int kind)
{
    if (kind < 0 || kind >= EffectsText::Kinds)
        return;
    kind_ = kind;
    showKind();
    regenerate();  // never the old kind's steps under the new name
}

void EffectsPresenter::cboRichtung_Click(int direction)
{
    direction_ = std::clamp(direction, 0, EffectsText::Directions - 1);
    settingsChanged();
}

void EffectsPresenter::cboMuster_Click(int pattern)
{
    pattern_ = std::clamp(pattern, 0, EffectsText::Patterns - 1);
    settingsChanged();
}

void EffectsPresenter::cboEinpassen_Click(int fit)
{
    fit_ = std::clamp(fit, 0, EffectsText::Fits - 1);
    settingsChanged();
}

void EffectsPresenter::cboFarbe_Click(int index, int choice)
{
    if (index < 0 || index >= EffectsText::ColourChoices)
        return;
    colourChoice_[index] = std::clamp(choice, 0, UserColours + 1);
    settingsChanged();
}

void EffectsPresenter::chkWeiss_Click(bool ticked)
{
    white_ = ticked;
    settingsChanged();
}

void EffectsPresenter::txtEffekt_Change(int index, std::string_view text)
{
    if (index < 0 || index >= EffectsText::Fields || fields_[index] == text)
        return;
    fields_[index] = text;
    settingsChanged();
}

void EffectsPresenter::settingsChanged()
{
    dirty_ = true;
    quietTicks_ = 0;
}

void EffectsPresenter::cmdDatei_Click()
{
    FileDialogRequest request;
    request.title = "Bild für den Effekt wählen";
    request.initialFolder = s_.model.SettingsPath.empty() ? std::string() : folderOf(s_.model.SettingsPath);
    request.filter = "Bilder (*.png;*.jpg;*.jpeg;*.gif;*.bmp)|*.png;*.jpg;*.jpeg;*.gif;*.bmp";
    const auto chosen = s_.user.openFileDialog(request);
    if (!chosen)
        return;
    fields_[PictureField] = *chosen;
    view_.setField(PictureField, *chosen);
    regenerate();
}

void EffectsPresenter::cmdEffekt_Click(int index)
{
    switch (index) {
    case PreviewButton:
        regenerate();
        break;
    case AppendButton:
        apply(ApplyMode::Append);
        break;
    case ReplaceButton:
        apply(ApplyMode::Replace);
        break;
    default:
        break;
    }
}

void EffectsPresenter::showKind()
{
    const auto kind = static_cast<EffectKind>(kind_);
    const bool pictures = stillPicture(kind_);
    const bool timed = kind != EffectKind::Picture;
    view_.setFieldEnabled(StepsField, !pictures);
    view_.setFieldEnabled(EffectHoldField, timed);
    view_.setFieldEnabled(EffectBlendField, timed);
    view_.setFieldEnabled(SeedField, kind == EffectKind::Twinkle);
    view_.setFieldEnabled(TextField, kind == EffectKind::Text);
    view_.setFieldEnabled(PictureField, pictures);
    view_.setFieldEnabled(WidthField, kind == EffectKind::Rainbow || kind == EffectKind::Plasma);
    view_.setFieldEnabled(SpeedField, !pictures);
    view_.setFieldEnabled(TailField, kind == EffectKind::Chase);
    view_.setFieldEnabled(DensityField, kind == EffectKind::Twinkle);
    view_.setFieldEnabled(GammaField, pictures);
    view_.setChoicesEnabled(kind == EffectKind::Rainbow || kind == EffectKind::Chase, kind == EffectKind::Chase,
                            pictures, !pictures);
}

std::vector<Rgbw> EffectsPresenter::chosenColours() const
{
    std::vector<Rgbw> colours;
    for (const int choice : colourChoice_) {
        if (choice == 1) {
            const auto& m = s_.model.MixColour;
            colours.push_back({m[0], m[1], m[2], m[3]});
        } else if (choice >= 2 && choice <= UserColours + 1) {
            const int colour = choice - 1;
            const auto level = [&](int plane) {
                return s_.model.ColourLevels[ShowModel::userColourIndex(colour, plane)];
            };
            colours.push_back({level(Red), level(Green), level(Blue), level(White)});
        }
    }
    return colours;
}

bool EffectsPresenter::readParameters(EffectParameters& p, std::string& problem) const
{
    struct Range {
        double low, high;
    };
    static constexpr Range ranges[EffectsText::Fields] = {{1, 250}, {0, 65535}, {0, 65535}, {0, 4294967295.0},
                                                          {0, 0},   {0, 0},     {1, 1000},  {1, 100},
                                                          {0, 100}, {0, 100},   {0.1, 10}};
    double values[EffectsText::Fields] = {};
    for (int i = 0; i < EffectsText::Fields; ++i) {
        if (i == TextField || i == PictureField)
            continue;
        const bool whole = i != GammaField && i != WidthField && i != DensityField;
        if (!numberIn(fields_[i], values[i]) || values[i] < ranges[i].low || values[i] > ranges[i].high ||
            (whole && values[i] != std::floor(values[i]))) {
            problem = fieldProblem(EffectsText::FieldHeadings[i], ranges[i].low, ranges[i].high);
            return false;
        }
    }
    p.kind = static_cast<EffectKind>(kind_);
    p.steps = static_cast<int>(values[StepsField]);
    p.hold = static_cast<std::uint16_t>(values[EffectHoldField]);
    p.blend = static_cast<std::uint16_t>(values[EffectBlendField]);
    p.seed = static_cast<std::uint32_t>(values[SeedField]);
    p.text = fields_[TextField];
    p.picture = fields_[PictureField];
    p.width = values[WidthField] / 100.0;
    p.speed = values[SpeedField];
    p.tail = static_cast<int>(values[TailField]);
    p.density = values[DensityField] / 100.0;
    p.gamma = values[GammaField];
    p.direction = static_cast<EffectDirection>(direction_);
    p.chase = static_cast<ChasePattern>(pattern_);
    p.fit = static_cast<PictureFit>(fit_);
    p.extractWhite = white_;
    p.colours = chosenColours();
    if (stillPicture(kind_) && p.picture.empty()) {
        problem = "Bitte wählen Sie eine Bilddatei.";
        return false;
    }
    return true;
}

void EffectsPresenter::regenerate()
{
    dirty_ = false;
    EffectParameters p;
    std::string problem;
    const EffectWall wall = EffectWall::of(s_.model);
    view_.setPreviewWall(wall);
    previewStep_ = 0;
    previewTick_ = 0;
    if (!readParameters(p, problem)) {
        preview_ = {};
        showFrame(std::vector<Rgbw>(static_cast<std::size_t>(wall.elements())));  // dark, not a stale effect
        view_.setStatus(problem);
        return;
    }
    s_.user.setBusyPointer(true);
    preview_ = GenerateEffect(wall, p);
    s_.user.setBusyPointer(false);
    showFrame(preview_.steps.empty() ? std::vector<Rgbw>(static_cast<std::size_t>(wall.elements()))
                                     : preview_.steps[0].lamps);
    if (!preview_.ok())
        view_.setStatus(preview_.refusal);
    else
        view_.setStatus(stepsText(static_cast<long long>(preview_.steps.size())) + " in der Vorschau.");
}

void EffectsPresenter::showFrame(const std::vector<Rgbw>& lamps)
{
    shownLamps_ = lamps;
    std::vector<Rgb> colours(lamps.size());
    std::transform(lamps.begin(), lamps.end(), colours.begin(), displayOf);
    if (colours == shownColours_)
        return;  // nothing moved: no repaint
    shownColours_ = std::move(colours);
    view_.showPreview(shownColours_);
}

// As the output engine plays a step: a load tick and the hold ticks keep the
// picture before it, then the blend fades into it.
void EffectsPresenter::timVorschau_Timer()
{
    if (dirty_ && (!stillPicture(kind_) || ++quietTicks_ >= PictureSettleTicks))
        regenerate();
    if (preview_.steps.empty())
        return;
    if (previewStep_ >= static_cast<int>(preview_.steps.size()))
        previewStep_ = 0;
    const EffectStep& step = preview_.steps[static_cast<std::size_t>(previewStep_)];
    const int blend = std::max<int>(step.blend, 1);
    ++previewTick_;
    if (previewTick_ == 1)
        fromLamps_ = shownLamps_;
    const int blendTick = previewTick_ - 1 - step.hold;
    if (blendTick >= 1 && fromLamps_.size() == step.lamps.size()) {
        std::vector<Rgbw> lamps(step.lamps.size());
        const double t = static_cast<double>(blendTick) / blend;
        for (std::size_t i = 0; i < lamps.size(); ++i) {
            const auto mix = [t](std::uint8_t a, std::uint8_t b) {
                return static_cast<std::uint8_t>(std::lround(a + (b - a) * t));
            };
            const Rgbw& a = fromLamps_[i];
            const Rgbw& b = step.lamps[i];
            lamps[i] = {mix(a.red, b.red), mix(a.green, b.green), mix(a.blue, b.blue), mix(a.white, b.white)};
        }
        showFrame(lamps);
    } else if (blendTick >= 1) {
        showFrame(step.lamps);
    }
    if (blendTick >= blend) {
        previewStep_ = (previewStep_ + 1) % static_cast<int>(preview_.steps.size());
        previewTick_ = 0;
    }
}

void EffectsPresenter::apply(ApplyMode mode)
{
    ShowModel& model = s_.model;
    EffectParameters p;
    std::string problem;
    if (!readParameters(p, problem)) {
        s_.user.beep();
        view_.setStatus(problem);
        return;
    }
    if (model.hasState(StateFlag::SequencePlaying)) {
        s_.user.beep();
        view_.setStatus(StopFirstMessage);
        return;
    }
    const int room = std::max(0, MaxEffectSteps - (mode == ApplyMode::Append ? model.StepCount : 0));
    bool truncated = false;
    s_.user.setBusyPointer(true);
    const EffectResult result = GenerateEffect(EffectWall::of(model), p, room, &truncated);
    s_.user.setBusyPointer(false);
    if (!result.ok()) {
        s_.user.beep();
        s_.user.messageBox(result.refusal, "", MessageButtons::Ok, MessageIcon::Exclamation);
        view_.setStatus(result.refusal);
        return;
    }
    // Cutting the effect short is the user's choice. When nothing fits,
    // ApplyEffect refuses with the sequencer's limit message.
    const int fitting = std::min(room, static_cast<int>(result.steps.size()));
    const int offered = std::max(result.sourceSteps, static_cast<int>(result.steps.size()));
    const bool cut = fitting > 0 && fitting < offered;
    if (cut && s_.user.messageBox("Nur " + std::to_string(fitting) + " von " + std::to_string(offered) +
                                      " Schritten passen in die Sequenz. Trotzdem " +
                                      (mode == ApplyMode::Append ? "anhängen?" : "ersetzen?"),
                                  "", MessageButtons::YesNo, MessageIcon::Question) != MessageAnswer::Yes)
        return;
    if (mode == ApplyMode::Replace && model.hasState(StateFlag::SequencePresent) &&
        s_.mainWindow.ConfirmUnsaved(DocumentKind::Sequence))
        return;  // cancelled: the sequence stays
    RecordedEdit edit(edits_, mode == ApplyMode::Append ? "Effekt angehängt" : "Effekt ersetzt die Sequenz",
                      SequenceAndWall);
    const ApplyOutcome outcome = ApplyEffect(model, s_.user, result.steps, mode, truncated && !cut);
    if (!outcome.applied)
        return;
    if (outcome.stepsTaken == 0) {
        view_.setStatus(StepLimitMessage);
        return;
    }
    showNewSequence();
    const std::string count = stepsText(outcome.stepsTaken);
    view_.setStatus(mode == ApplyMode::Append
                        ? count + " an die Sequenz angehängt; sie hat jetzt " + stepsText(model.StepCount) + "."
                        : "Die Sequenz wurde durch " + count + " ersetzt.");
}

void EffectsPresenter::showNewSequence()
{
    const ShowModel& model = s_.model;
    ShowAllElementColours(s_.model, s_.show);
    const int step = model.CurrentStep;
    s_.show.setSequencerField(0, std::to_string(step));
    s_.show.setSequencerField(1, std::to_string(model.blendTime(step)));
    s_.show.setSequencerField(2, std::to_string(model.holdTime(step)));
}

// A value out of range in the store is left there and the default shown, so
// that the field never opens with what would be refused.
void EffectsPresenter::loadMusicSettings()
{
    using namespace EffectsText;
    SettingsStore& store = s_.settings;
    musicFields_[SongField] = store.read(MusicSettingsApplication, MusicSettingsGroup, MusicKeys[SongField], "");
    for (int i = BeatBlendField; i <= SongStartField; ++i) {
        const MusicRange range = MusicRanges[i];
        double value = range.fallback;
        if (!numberIn(store.read(MusicSettingsApplication, MusicSettingsGroup, MusicKeys[i], ""), value) ||
            !(value >= range.low) || !(value <= range.high))
            value = range.fallback;
        musicFields_[i] = shortest(value, ',');
    }
    everyBeatsChoice_ =
        std::max(0, everyBeatsChoiceOf(store.read(MusicSettingsApplication, MusicSettingsGroup, EveryBeatsKey, "1")));
    for (int i = 0; i < MusicFields; ++i)
        view_.setMusicField(i, musicFields_[i]);
    view_.setEveryBeats(everyBeatsChoice_);
    view_.setAnalysing(analysing());
    view_.setMusicPreview(s_.startMusicPreview && s_.stopMusicPreview, musicPreviewRunning_);
}

bool EffectsPresenter::readMusicOptions(BeatLayoutOptions& options, std::string& problem) const
{
    double values[EffectsText::MusicFields] = {};
    for (int i = BeatBlendField; i <= SongStartField; ++i) {
        const MusicRange range = MusicRanges[i];
        if (!numberIn(musicFields_[i], values[i]) || !(values[i] >= range.low) || !(values[i] <= range.high)) {
            problem = fieldProblem(EffectsText::MusicFieldHeadings[i], range.low, range.high);
            return false;
        }
    }
    if (musicFields_[SongField].empty()) {
        problem = EffectsText::NoSong;
        return false;
    }
    options.everyBeats = everyBeats();
    options.blendFraction = values[BeatBlendField];
    options.startSeconds = values[SongStartField];
    return true;
}

// What the user typed is kept as typed; the store takes it once it is valid.
void EffectsPresenter::txtMusik_Change(int index, std::string_view text)
{
    if (index < 0 || index >= EffectsText::MusicFields)
        return;
    musicFields_[index] = text;
    std::string stored(text);
    if (index != SongField) {
        const MusicRange range = MusicRanges[index];
        double value = 0;
        if (!numberIn(text, value) || !(value >= range.low) || !(value <= range.high))
            return;
        stored = shortest(value, '.');
    }
    s_.settings.write(MusicSettingsApplication, MusicSettingsGroup, EffectsText::MusicKeys[index], stored);
}

void EffectsPresenter::cboBeats_Click(int choice)
{
    if (choice < 0 || choice >= EffectsText::EveryBeatsChoices)
        return;
    everyBeatsChoice_ = choice;
    s_.settings.write(MusicSettingsApplication, MusicSettingsGroup, EffectsText::EveryBeatsKey,
                      std::to_string(EffectsText::EveryBeats[choice]));
}

void EffectsPresenter::cmdLied_Click()
{
    FileDialogRequest request;
    request.title = "Lied wählen";
    const std::string& song = musicFields_[SongField];
    request.initialFolder = !song.empty()                   ? folderOf(song)
                            : s_.model.SettingsPath.empty() ? std::string()
                                                            : folderOf(s_.model.SettingsPath);
    request.filter = "Musik (*.wav;*.flac;*.ogg;*.mp3)|*.wav;*.flac;*.ogg;*.mp3";
    const auto chosen = s_.user.openFileDialog(request);
    if (!chosen)
        return;
    txtMusik_Change(SongField, *chosen);
    view_.setMusicField(SongField, *chosen);
}

void EffectsPresenter::cmdMusik_Click(int index)
{
    if (index == LayOntoMusicButton)
        layOntoMusic();
    else if (index == MusicPreviewButton)
        toggleMusicPreview();
}

void EffectsPresenter::refuse(std::string_view why)
{
    s_.user.beep();
    view_.setStatus(why);
}

// What keeps the sequence from being laid onto a song, or null.
const char* EffectsPresenter::sequenceRefusal() const
{
    if (s_.model.hasState(StateFlag::SequencePlaying))
        return StopFirstMessage;
    if (s_.model.StepCount < 1)
        return EffectsText::NoSteps;
    return nullptr;
}

// Refused as "Ersetzen" refuses, and asks the same about an unsaved
// sequence, before the song is analysed: the user answers once, at the click.
void EffectsPresenter::layOntoMusic()
{
    ShowModel& model = s_.model;
    BeatLayoutOptions options;
    std::string problem;
    if (analysing())
        return;  // the button is off meanwhile
    if (!readMusicOptions(options, problem))
        return refuse(problem);
    if (const char* refusal = sequenceRefusal())
        return refuse(refusal);
    if (model.hasState(StateFlag::SequencePresent) && s_.mainWindow.ConfirmUnsaved(DocumentKind::Sequence))
        return;  // cancelled: the sequence stays
    pendingLayout_ = options;
    song_.reset();
    view_.setStatus(EffectsText::Analysing);
    view_.setAnalysing(true);
    // A whole song takes about a second: off the window's thread.
    analysis_ = std::thread([this, path = musicFields_[SongField]] {
        song_ = analyseFile(path);
        view_.musicAnalysisFinished();
    });
}

void EffectsPresenter::musicAnalysed()
{
    if (!analysis_.joinable())
        return;
    analysis_.join();
    view_.setAnalysing(false);
    ShowModel& model = s_.model;
    if (!song_ || !song_->error.empty())
        return refuse(song_ ? song_->error : std::string());
    // The sequence may have started or lost its steps meanwhile.
    if (const char* refusal = sequenceRefusal())
        return refuse(refusal);
    BeatLayoutOptions options = pendingLayout_;
    options.beatPeriodSeconds = song_->beatPeriodSeconds;
    const BeatLayout layout = LayOntoBeats(model.StepCount, song_->beats, options);
    std::string summary = BeatLayoutSummary(layout, pendingLayout_);
    if (!summary.empty() && summary.back() == '\n')
        summary.pop_back();
    song_.reset();
    if (layout.steps.empty())
        return refuse(summary);
    RecordedEdit edit(edits_, "Auf Musik gelegt", SequenceAndWall);
    if (!ApplyBeatLayout(model, s_.user, layout).applied) {
        view_.setStatus("");  // ApplyEffect told the user
        return;
    }
    showNewSequence();
    view_.setStatus(summary);
}

void EffectsPresenter::toggleMusicPreview()
{
    if (!s_.startMusicPreview || !s_.stopMusicPreview)
        return;
    if (musicPreviewRunning_) {
        s_.stopMusicPreview();
        musicPreviewEnded();
        return;
    }
    const std::string& song = musicFields_[SongField];
    const std::string error = song.empty() ? std::string(EffectsText::NoSong) : s_.startMusicPreview(song);
    musicPreviewRunning_ = error.empty();
    if (!error.empty()) {
        s_.user.beep();
        view_.setStatus(error);
    }
    view_.setMusicPreview(true, musicPreviewRunning_);
}

void EffectsPresenter::musicPreviewEnded()
{
    musicPreviewRunning_ = false;
    view_.setMusicPreview(s_.startMusicPreview && s_.stopMusicPreview, false);
}

}  // namespace tinctara

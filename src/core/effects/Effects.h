#pragma once

#include "model/ShowModel.h"
#include "platform/UserInteraction.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tinctara {

// One lamp's four levels, in plane order red, green, blue, white.
struct Rgbw {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t white = 0;
    friend bool operator==(const Rgbw&, const Rgbw&) = default;
};

// The grid the generators draw on: element k (1-based) stands at
// positions[k - 1], column 1..columns, row 1..rows.
struct EffectWall {
    int columns = 0;
    int rows = 0;
    std::vector<ElementPosition> positions;
    double cellAspect = 1.0;  // height / width of one element's cell

    static EffectWall of(const ShowModel& model);
    int elements() const { return static_cast<int>(positions.size()); }
};

enum class EffectKind { Rainbow, Plasma, Chase, Twinkle, Text, Picture, Animation };
enum class EffectDirection { Left, Right, Up, Down, Diagonal, Centre };
enum class ChasePattern { Lamp, Row, Column, Snake };
enum class PictureFit { Fit, Fill, Stretch };

// Everything that decides an effect. The same parameters always give the same
// steps: nothing depends on the clock or on a random device.
struct EffectParameters {
    EffectKind kind = EffectKind::Rainbow;
    int steps = 60;           // pictures wanted, 1..250 (a still picture gives one)
    std::uint16_t hold = 0;   // ticks, per step
    std::uint16_t blend = 2;  // ticks, per step
    std::uint32_t seed = 1;
    // The effect's colours in order: gradient stops, palette, foreground and
    // background. Empty: each effect's own defaults.
    std::vector<Rgbw> colours;
    EffectDirection direction = EffectDirection::Right;
    bool extractWhite = false;  // RGB content: white = min(R, G, B) taken out
    double width = 1.0;         // gradient: one cycle over this share of the wall
    double speed = 1.0;         // cycles (lamps for the chase, columns for text) per sequence or step
    double scale = 1.0;         // plasma: size of the field's waves
    ChasePattern chase = ChasePattern::Column;
    int tail = 2;          // chase: lamps of fading tail
    double density = 0.1;  // twinkle: share of lamps that start a flash per step
    int fadeSteps = 4;     // twinkle: steps a flash takes to fade out
    std::string text;      // running text, UTF-8
    std::string picture;   // picture file, animated GIF, or folder of numbered PNG files
    PictureFit fit = PictureFit::Fit;
    double gamma = 1.0;
};

struct EffectStep {
    std::vector<Rgbw> lamps;  // one per element, element order
    std::uint16_t hold = 0;
    std::uint16_t blend = 2;
};

struct EffectResult {
    std::vector<EffectStep> steps;
    // A German text saying why the effect was refused; empty when it was made.
    // A refused result may still carry steps for a preview (text with
    // characters outside the font shows them as boxes).
    std::string refusal;
    // The steps the whole effect has: more than `steps` holds when it was cut
    // at `maxSteps`.
    int sourceSteps = 0;
    bool ok() const { return refusal.empty(); }
};

inline constexpr int MaxEffectSteps = 250;  // what the sequencer records at most
inline constexpr const char* StepLimitMessage =
    "In dieser Programmversion sind maximal 250 Schritte in einer Sequenz möglich.";
inline constexpr const char* NoElementMessage = "Es ist kein Element auf der Wand vorhanden.";
inline constexpr const char* StopFirstMessage = "Sie müssen die Sequenz erst anhalten!";

// Makes the steps of an effect. Never throws for bad input: a refusal says why.
// `maxSteps` bounds what is made (pictures of an animation beyond it are not
// even decoded); `truncated` is set when the source had more.
EffectResult GenerateEffect(const EffectWall& wall, const EffectParameters& parameters, int maxSteps = MaxEffectSteps,
                            bool* truncated = nullptr);

// Takes white = min(R, G, B) out of the colour into its white plane (white
// levels add up, capped at 255). The display colour stays the same.
Rgbw extractWhite(Rgbw colour);

enum class ApplyMode { Replace, Append };

struct ApplyOutcome {
    bool applied = false;  // false: refused, the sequence is as it was
    int stepsTaken = 0;
    bool limited = false;  // steps were left out at the 250-step limit
};

// Puts the steps into the sequence as REC would, one after another: replacing
// the sequence, or after its last step. Steps beyond the 250 the sequencer
// records are left out with its limit message, which also comes when
// `moreThanGiven` says the source had more steps than it was asked for.
// Refused while a sequence plays (the user is told). Afterwards the last new
// step is the current step and on the wall, as after REC.
ApplyOutcome ApplyEffect(ShowModel& model, UserInteraction& user, const std::vector<EffectStep>& steps, ApplyMode mode,
                         bool moreThanGiven = false);

}  // namespace tinctara

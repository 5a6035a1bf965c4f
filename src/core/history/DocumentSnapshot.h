#pragma once

#include "model/ShowModel.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace tinctara::history {

using tinctara::DocumentKind;
inline constexpr int DocumentKindCount = 4;
inline constexpr std::array<DocumentKind, DocumentKindCount> AllDocumentKinds{
    DocumentKind::Config, DocumentKind::Scene, DocumentKind::Sequence, DocumentKind::ColourTable};

// The unsaved-change mark of a kind in ShowModel::DocumentFlags.
std::uint16_t changedFlag(DocumentKind kind);
// The never-saved mark of a kind: Save asks for a name, the exit question
// names a new document.
std::uint16_t newFlag(DocumentKind kind);

// A set of document kinds: what one edit touches.
class DocumentKinds {
public:
    constexpr DocumentKinds() = default;
    constexpr DocumentKinds(std::initializer_list<DocumentKind> kinds)
    {
        for (const DocumentKind kind : kinds)
            add(kind);
    }
    constexpr DocumentKinds& add(DocumentKind kind)
    {
        bits_ = static_cast<std::uint8_t>(bits_ | bit(kind));
        return *this;
    }
    constexpr bool contains(DocumentKind kind) const { return (bits_ & bit(kind)) != 0; }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr bool operator==(const DocumentKinds&) const = default;

private:
    static constexpr std::uint8_t bit(DocumentKind kind)
    {
        return static_cast<std::uint8_t>(1u << static_cast<int>(kind));
    }
    std::uint8_t bits_ = 0;
};

// The file names are not part of any snapshot: a save under another name is
// not an edit, and undo never changes where a document is saved to.

// What the configuration saver reads, and the wall it describes. Restoring a
// different WallColumns, WallRows, ElementCount, ElementPositions, WallZoom,
// ElementWidth or ElementHeight leaves the wall's cells to be rebuilt, and a
// different WallName the wall's caption to be shown again, by whoever calls
// restore. With the automatic channel count, a restored element count sets
// the channel total again as building the wall did; the warning of the
// manual count is not given again.
struct ConfigurationState {
    std::string WallName;
    std::uint8_t WallColumns = 0;
    std::uint8_t WallRows = 0;
    std::uint8_t ElementCount = 0;
    bool wallPresent = false;
    std::int32_t ElementWidth = 0;
    std::int32_t ElementHeight = 0;
    std::int32_t WallZoom = 0;
    std::array<ElementPosition, PatchSlots> ElementPositions{};
    std::array<std::int16_t, DmxTimingValues> DmxTiming{};
    std::array<std::uint16_t, Planes * PatchSlots> PatchTable{};
    std::array<std::uint8_t, Planes * PatchSlots> CorrectionTable{};
    bool operator==(const ConfigurationState&) const = default;
};

// The wall's colours. The scene file also names the element count and wall
// size, which belong to the configuration. Restored colours need the wall's
// cells repainted.
struct SceneState {
    std::array<std::uint8_t, Planes * ElementSlots> ElementColours{};
    bool operator==(const SceneState&) const = default;
};

// The steps the sequence saver writes (steps 1..StepCount of elements
// 1..elements, plane-major within a step), their times and the stored
// selection memories. The saver's "Speed" is the sequencer field's text, the
// view's and not the model's. A restored step count or step needs the
// sequencer's fields and the wall shown again.
//
// The step the sequencer stood on is put back with a different step count,
// so that the wall and the step shown after an undo or redo of a REC belong
// together (with immediate apply the next button press stores the wall into
// that step). Moving through the steps is no edit, so it is not compared;
// while a sequence plays, the step is the playing's and stays.
struct SequenceState {
    std::uint8_t StepCount = 0;
    bool sequencePresent = false;
    int elements = 0;
    std::vector<std::uint8_t> colours;                // [step-1][plane-1][element-1]
    std::vector<std::array<std::uint16_t, 2>> times;  // [step-1]: hold, blend
    std::vector<std::uint8_t> selections;             // memory slots 0..9, element slots 0..254
    std::uint8_t currentStep = 0;
    bool operator==(const SequenceState& other) const
    {
        return StepCount == other.StepCount && sequencePresent == other.sequencePresent && elements == other.elements &&
               colours == other.colours && times == other.times && selections == other.selections;
    }
};

struct ColourTableState {
    std::array<std::string, UserColours> ColourNames{};
    std::array<std::uint8_t, UserColours * Planes> ColourLevels{};
    bool operator==(const ColourTableState&) const = default;
};

// One document's content at one moment.
class DocumentSnapshot {
public:
    using State = std::variant<ConfigurationState, SceneState, SequenceState, ColourTableState>;

    explicit DocumentSnapshot(State state) : state_(std::move(state)) {}

    DocumentKind kind() const { return static_cast<DocumentKind>(state_.index()); }
    const State& state() const { return state_; }
    // What the snapshot holds in memory, its own size included.
    std::size_t bytes() const;
    bool operator==(const DocumentSnapshot&) const = default;

private:
    State state_;
};

DocumentSnapshot take(const ShowModel& model, DocumentKind kind);
// Whether two configuration snapshots describe the same wall: size,
// elements, their places and the name. Patch, corrections and DMX timing
// aside.
bool sameWall(const DocumentSnapshot& one, const DocumentSnapshot& other);
// Puts the document back as it was taken; the other documents and the
// *Changed and *New marks stay as they are (the history sets the marks).
void restore(ShowModel& model, const DocumentSnapshot& snapshot);

}  // namespace tinctara::history

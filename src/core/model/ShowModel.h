#pragma once

#include "model/ShowFlags.h"

#include <array>
#include <cstdint>
#include <string>

namespace tinctara {

// Sizes of the model's tables. Element numbers, planes, steps and channels are
// 1-based everywhere in the program; every table is indexed by number - 1.
inline constexpr int ElementSlots = 255;      // colours and selection
inline constexpr int PatchSlots = 250;        // patch, correction, positions, blend state
inline constexpr int StepSlots = 255;         // sequence steps
inline constexpr int MaxWallElements = 121;   // largest wall the program builds
inline constexpr int MaxSequenceSteps = 254;  // largest sequence a file or the sequencer keeps
inline constexpr int Planes = 4;              // red, green, blue, white
inline constexpr int DmxChannels = 512;
inline constexpr int DmxFrameSlots = 513;
inline constexpr int UserColours = 20;
inline constexpr int UserColourNameLength = 20;
inline constexpr int WallNameLength = 20;
inline constexpr int SelectionGroups = 14;
inline constexpr int WindowSlots = 10;
inline constexpr int WindowFields = 5;  // left, top, width, height, state
inline constexpr int DmxTimingValues = 16;

enum Plane { Red = 1, Green = 2, Blue = 3, White = 4 };

struct ElementPosition {
    std::uint8_t column = 0;
    std::uint8_t row = 0;
    bool operator==(const ElementPosition&) const = default;
};

// The one body of show state. Owned by the main window for the whole run and
// passed by reference; everything runs on the UI thread, so nothing is locked.
// Field names are the program's own.
struct ShowModel {
    // --- index helpers (all arguments 1-based) -----------------------------
    static constexpr int colourIndex(int plane, int element) { return (plane - 1) * ElementSlots + (element - 1); }
    static constexpr int patchIndex(int element, int plane) { return (element - 1) + PatchSlots * (plane - 1); }
    static constexpr int sequenceIndex(int step, int element, int plane)
    {
        return (step - 1) + StepSlots * ((element - 1) + PatchSlots * (plane - 1));
    }
    static constexpr int userColourIndex(int colour, int plane) { return (colour - 1) + UserColours * (plane - 1); }
    static constexpr int selectionMemoryIndex(int element, int group)
    {
        return SelectionGroups * (element - 1) + group;
    }
    static constexpr int windowPositionIndex(int window, int field) { return (window - 1) + WindowSlots * (field - 1); }
    static constexpr int blendIndex(int element, int plane) { return (element - 1) * Planes + (plane - 1); }

    std::uint8_t& colour(int plane, int element) { return ElementColours[colourIndex(plane, element)]; }
    std::uint8_t colour(int plane, int element) const { return ElementColours[colourIndex(plane, element)]; }
    std::uint16_t& patch(int element, int plane) { return PatchTable[patchIndex(element, plane)]; }
    std::uint16_t patch(int element, int plane) const { return PatchTable[patchIndex(element, plane)]; }
    std::uint8_t& correction(int element, int plane) { return CorrectionTable[patchIndex(element, plane)]; }
    std::uint8_t correction(int element, int plane) const { return CorrectionTable[patchIndex(element, plane)]; }
    std::uint8_t& stepColour(int step, int element, int plane)
    {
        return SequenceColours[sequenceIndex(step, element, plane)];
    }
    std::uint8_t stepColour(int step, int element, int plane) const
    {
        return SequenceColours[sequenceIndex(step, element, plane)];
    }
    std::uint16_t& holdTime(int step) { return SequenceTimes[step - 1][0]; }
    std::uint16_t holdTime(int step) const { return SequenceTimes[step - 1][0]; }
    std::uint16_t& blendTime(int step) { return SequenceTimes[step - 1][1]; }
    std::uint16_t blendTime(int step) const { return SequenceTimes[step - 1][1]; }
    std::int32_t& windowPosition(int window, int field) { return WindowPositions[windowPositionIndex(window, field)]; }
    std::int32_t windowPosition(int window, int field) const
    {
        return WindowPositions[windowPositionIndex(window, field)];
    }

    // Elements the per-element tables can hold: ElementCount, cut to the 250
    // slots of the patch and blend tables.
    int elementsInUse() const { return ElementCount < PatchSlots ? ElementCount : PatchSlots; }

    bool hasState(std::uint32_t bits) const { return (StateFlags & bits) != 0; }
    void setState(std::uint32_t bits) { StateFlags |= bits; }
    void clearState(std::uint32_t bits) { StateFlags &= ~bits; }
    bool hasDocument(std::uint16_t bits) const { return (DocumentFlags & bits) != 0; }
    void setDocument(std::uint16_t bits) { DocumentFlags = static_cast<std::uint16_t>(DocumentFlags | bits); }
    void clearDocument(std::uint16_t bits) { DocumentFlags = static_cast<std::uint16_t>(DocumentFlags & ~bits); }

    // --- wall ---------------------------------------------------------------
    std::uint8_t WallColumns = 0;
    std::uint8_t WallRows = 0;
    std::uint8_t ElementCount = 0;
    std::array<ElementPosition, PatchSlots> ElementPositions{};
    std::int32_t WallZoom = 0;
    std::string WallName;  // WallNameLength characters, blank-padded
    std::int32_t ElementWidth = 0;
    std::int32_t ElementHeight = 0;
    std::uint8_t SourceColumns = 0;
    std::uint8_t SourceRows = 0;

    // --- element colours ------------------------------------------------------
    std::array<std::uint8_t, Planes * ElementSlots> ElementColours{};  // plane-major
    std::array<std::uint8_t, Planes> MixColour{};

    // --- patch and correction -------------------------------------------------
    std::array<std::uint16_t, Planes * PatchSlots> PatchTable{};  // 0 = not patched
    std::array<std::uint8_t, Planes * PatchSlots> CorrectionTable{};

    // --- selection ------------------------------------------------------------
    std::array<std::uint8_t, ElementSlots> SelectionFlags{};
    std::array<std::uint8_t, ElementSlots * SelectionGroups> SelectionMemory{};
    std::uint8_t SelectionCount = 0;  // as kept by the selection operations
    std::int16_t ContextElement = 0;  // element last right-clicked (1-based)

    // --- colour table -----------------------------------------------------------
    std::array<std::string, UserColours> ColourNames{};             // each UserColourNameLength characters
    std::array<std::uint8_t, UserColours * Planes> ColourLevels{};  // plane-major

    // --- sequence store -----------------------------------------------------------
    std::array<std::uint8_t, StepSlots * PatchSlots * Planes> SequenceColours{};
    std::array<std::array<std::uint16_t, 2>, StepSlots> SequenceTimes{};  // [step-1][0 hold, 1 blend]
    std::uint8_t StepCount = 0;
    std::uint8_t CurrentStep = 0;
    std::int16_t TurboFactor = 1;

    // --- playback state (changed only by the output engine, play and jump) ----
    std::int32_t HoldCounter = 0;
    // Holds a blend time + 1, which for the longest time (65535) does not fit
    // 16 bits; 32 bits keep the count exact.
    std::int32_t BlendCounter = 0;
    std::uint16_t BlendTime = 0;
    std::array<float, PatchSlots * Planes> BlendLevels{};      // element-major
    std::array<float, PatchSlots * Planes> BlendIncrements{};  // element-major

    // --- output ----------------------------------------------------------------
    std::array<std::uint8_t, DmxFrameSlots> DmxFrame{};
    std::array<std::uint32_t, DmxFrameSlots> DmxFrameWide{};
    std::array<std::uint8_t, DmxChannels> TestLevels{};
    std::int16_t ChannelCount = 0;
    InterfaceKind InterfaceType = InterfaceKind::NoInterface;
    std::int16_t CardBaseAddress = 0;
    std::array<std::int16_t, DmxTimingValues> DmxTiming{};
    std::uint8_t TimingBlockPending = 0;
    std::int32_t LibraryCardHandle = 0;

    // --- current files ---------------------------------------------------------------
    std::string ConfigFileName;
    std::string SceneFileName;
    std::string SequenceFileName;
    std::string ColourTableFileName;

    // --- program identity --------------------------------------------------------------
    std::string OsName;
    std::int16_t OsIsNt = 0;
    std::string VersionText = "V 1.21";
    std::string SettingsPath;

    std::array<std::int32_t, WindowSlots * WindowFields> WindowPositions{};

    std::uint32_t StateFlags = 0;
    std::uint16_t DocumentFlags = 0;
};

// The initialisation the program does at start, in its fixed order, before the
// settings file is read.
void initialiseAtStartUp(ShowModel& model);

}  // namespace tinctara

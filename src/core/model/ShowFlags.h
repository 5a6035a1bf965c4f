#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tinctara {

// Bits of ShowModel::StateFlags. The whole word is stored in the settings file,
// so the values are fixed.
namespace StateFlag {
inline constexpr std::uint32_t WallPresent = 0x1;
inline constexpr std::uint32_t DmxMonitorOn = 0x2;
inline constexpr std::uint32_t SilentFileOp = 0x4;
inline constexpr std::uint32_t ImmediateApply = 0x10;
inline constexpr std::uint32_t TestMode = 0x40;
inline constexpr std::uint32_t SequencePlaying = 0x100;
inline constexpr std::uint32_t SequencePresent = 0x400;
inline constexpr std::uint32_t PatchWindowWorking = 0x800;
inline constexpr std::uint32_t PatchWindowOpen = 0x1000;
inline constexpr std::uint32_t ColourWindowOpen = 0x2000;
inline constexpr std::uint32_t ColourWindowWorking = 0x4000;
inline constexpr std::uint32_t AutoChannelCount = 0x10000;
inline constexpr std::uint32_t AutoLoad = 0x20000;
inline constexpr std::uint32_t SequencerWindowOpen = 0x40000;
inline constexpr std::uint32_t DmxTestWindowOpen = 0x80000;
inline constexpr std::uint32_t WallWindowOpen = 0x100000;
inline constexpr std::uint32_t OptionsWindowOpen = 0x200000;
}  // namespace StateFlag

// The four documents of a show, each saved to a file of its own.
enum class DocumentKind : std::uint8_t { Config, Scene, Sequence, ColourTable };

// Bits of ShowModel::DocumentFlags: the unsaved-change marks per document kind.
namespace DocumentFlag {
inline constexpr std::uint16_t ConfigNew = 0x01;
inline constexpr std::uint16_t ConfigChanged = 0x02;
inline constexpr std::uint16_t SceneNew = 0x04;
inline constexpr std::uint16_t SceneChanged = 0x08;
inline constexpr std::uint16_t SequenceNew = 0x10;
inline constexpr std::uint16_t SequenceChanged = 0x20;
inline constexpr std::uint16_t ColourTableNew = 0x40;
inline constexpr std::uint16_t ColourTableChanged = 0x80;
}  // namespace DocumentFlag

// The selected DMX interface kind. Its numbers are those of the per-user
// settings ("Type") and of the play title; inside the program it is only ever
// this type.
enum class InterfaceKind : std::int16_t {
    NoInterface = 0,
    IsaCard7301AB = 1,
    IsaCard7301C = 2,
    UsbInterface = 3,
    PcmciaCard8301 = 4,
    PciCard7304 = 5,
    SacnNetwork = 6,    // sACN (ANSI E1.31)
    ArtNetNetwork = 7,  // Art-Net 4
};
inline constexpr int InterfaceKinds = 8;

namespace Interface {
using enum InterfaceKind;
}  // namespace Interface

// The number of a kind, for the settings store and the title.
constexpr int kindNumber(InterfaceKind kind) { return static_cast<int>(kind); }
// The kind of a stored number; a number the program does not know is none.
constexpr InterfaceKind kindOfNumber(long long number)
{
    return number >= 0 && number < InterfaceKinds ? static_cast<InterfaceKind>(number) : InterfaceKind::NoInterface;
}

// One value per interface kind, looked up by the kind.
template <typename T>
struct PerKind {
    std::array<T, InterfaceKinds> values{};
    T& operator[](InterfaceKind kind) { return values[static_cast<std::size_t>(kind)]; }
    const T& operator[](InterfaceKind kind) const { return values[static_cast<std::size_t>(kind)]; }
};

// Window numbers of WindowPositions.
namespace WindowNumber {
inline constexpr int Main = 1;
inline constexpr int Colour = 2;
inline constexpr int Sequencer = 3;
inline constexpr int DmxTest = 4;
inline constexpr int Patch = 5;
inline constexpr int Options = 6;
inline constexpr int Wall = 7;
inline constexpr int Effects = 8;  // the first spare slot
}  // namespace WindowNumber

}  // namespace tinctara

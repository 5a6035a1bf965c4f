#pragma once

#include "model/ShowModel.h"

#include <array>
#include <cstdint>
#include <string>

// The show actions that come from outside the windows (the web remote, and
// the desks and controllers to come), one vocabulary for all of them.
namespace tinctara {

namespace ShowText {
inline constexpr const char* QuestionOpen = "Eine Frage wartet am Rechner.";
inline constexpr const char* WallLocked = "Die Sequenz läuft: erst STOP drücken.";
inline constexpr const char* Unknown = "Unbekannte Eingabe.";
inline constexpr const char* Transferring = "Eine Übertragung läuft: bitte warten.";
}  // namespace ShowText

// The selection memories F2..F12 of the wall window.
inline constexpr int SelectionMemories = 11;

// One action:
//   Tap N        the click on cell N (1-based), as with Ctrl: select or deselect
//   All | None   "Alles markieren" | deselect every element
//   User K       user colour K (1..20) through the colour window's apply
//   Mix          `levels` through the colour window's apply
//   Play | Stop | Back | Forward   the sequencer's buttons
//   Jump TEXT    TEXT typed into the sequencer's step field
//   Memory K     recall selection memory K (1..11), as F(K+1) in the wall window
//   TapTempo     a tap of the music's tempo
struct ShowAction {
    enum class Kind { Tap, All, None, User, Mix, Play, Stop, Back, Forward, Jump, Memory, TapTempo };
    Kind kind = Kind::All;
    int number = 0;                             // Tap: the element, User: the colour, Memory: the memory
    std::array<std::uint8_t, Planes> levels{};  // Mix
    std::string text;                           // Jump: at most 5 characters, no space
};

// The answer to one action.
struct ShowReply {
    bool done = false;  // false: refused, nothing happened
    std::string status;
};

}  // namespace tinctara

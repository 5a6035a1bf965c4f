#pragma once

#include "model/ShowModel.h"
#include "platform/ShowView.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What the web remote's server and the program say to each other: the page's
// picture of the show, the answer to an action and the messages built from
// them. The server is loaded only when the remote is used and takes from the
// program nothing but these.
namespace tinctara {

namespace RemoteText {
inline constexpr const char* QuestionOpen = "Eine Frage wartet am Rechner.";
inline constexpr const char* TooFast = "Zu viele Eingaben auf einmal. Bitte langsamer.";
inline constexpr const char* WallLocked = "Die Sequenz läuft: erst STOP drücken.";
inline constexpr const char* Unknown = "Unbekannte Eingabe.";
inline constexpr const char* Transferring = "Eine Übertragung läuft: bitte warten.";
}  // namespace RemoteText

// What the page shows, as one picture; two pictures give the update.
struct RemoteState {
    struct Cell {
        Rgb colour;
        bool selected = false;
        friend bool operator==(const Cell&, const Cell&) = default;
    };
    struct UserColour {
        std::string name;
        std::array<std::uint8_t, Planes> levels{};
        friend bool operator==(const UserColour&, const UserColour&) = default;
    };
    int columns = 0;
    int rows = 0;
    int count = 0;
    std::array<Cell, ElementSlots> cells{};
    bool playing = false;
    std::string step;  // the sequencer's step field
    int stepCount = 0;
    std::string title;
    std::array<UserColour, UserColours> colours{};
};

// The answer to one action of the page.
struct RemoteReply {
    bool done = false;  // false: refused, nothing happened
    std::string status;
};

// One action of the page, a short text message:
//   tap N        the click on cell N (1-based), as with Ctrl: select or deselect
//   all | none   "Alles markieren" | deselect every element
//   user K       user colour K (1..20) through the colour window's apply
//   mix R G B W  this colour through the colour window's apply
//   play | stop | back | forward   the sequencer's buttons
//   jump TEXT    TEXT typed into the sequencer's step field
struct RemoteAction {
    enum class Kind { Tap, All, None, User, Mix, Play, Stop, Back, Forward, Jump };
    Kind kind = Kind::All;
    int number = 0;                             // Tap: the element, User: the colour
    std::array<std::uint8_t, Planes> levels{};  // Mix
    std::string text;                           // Jump: at most 5 characters, no space
};

// The action a message names; nullopt for anything else. Whether it may
// happen now is the presenter's to decide.
std::optional<RemoteAction> parseRemoteAction(std::string_view message);

// What the server asks of the program: an action performed, and the picture
// of the show as the page shows it.
class RemoteActions {
public:
    virtual ~RemoteActions() = default;
    virtual RemoteReply perform(std::string_view message) = 0;
    virtual RemoteState state() const = 0;
};

// The update that takes a page from `before` to `now` (JSON, type "state"):
// everything when `before` is null, else only what changed; empty when
// nothing did.
std::string remoteUpdate(const RemoteState* before, const RemoteState& now);
// The reply to one action (JSON, type "status").
std::string remoteStatusMessage(const RemoteReply& reply);
// `text` as a JSON string, safe inside HTML as well; invalid UTF-8 becomes U+FFFD.
std::string jsonString(std::string_view text);

}  // namespace tinctara

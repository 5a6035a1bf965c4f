#pragma once

#include "control/ShowAction.h"
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
using ShowText::QuestionOpen;
using ShowText::Transferring;
using ShowText::Unknown;
using ShowText::WallLocked;
inline constexpr const char* TooFast = "Zu viele Eingaben auf einmal. Bitte langsamer.";
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
using RemoteReply = ShowReply;

// One action of the page, a short text message naming a ShowAction:
//   tap N | all | none | user K | mix R G B W | play | stop | back | forward
//   | jump TEXT | memory K
using RemoteAction = ShowAction;

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

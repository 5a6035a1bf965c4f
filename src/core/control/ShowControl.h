#pragma once

#include "control/ShowAction.h"
#include "model/Selection.h"
#include "model/ShowModel.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tinctara {

// What carrying out an action needs from the program: whether a question
// waits for an answer, the colour window's apply (the open window's, or one
// of its own while the window is closed) and the texts the windows show.
class ShowControlHost {
public:
    virtual ~ShowControlHost() = default;
    virtual bool questionOpen() const = 0;
    // True while the windows are disabled as a whole for a transfer: nothing
    // from outside may act then either.
    virtual bool windowsLocked() const { return false; }
    // Mixes `rgbw` and presses the colour window's apply button; the colour
    // window's status line afterwards.
    virtual std::string applyColour(const std::array<std::uint8_t, Planes>& rgbw) = 0;
    virtual std::string wallStatus() const = 0;
    virtual std::string sequencerStatus() const = 0;
    // A tap of the music's tempo, now; false where the program has no
    // music state to tap.
    virtual bool tapTempo() { return false; }
};

// The windows' events an action goes through, named after their controls
// (PresenterShowWindows forwards them to the presenters).
class ShowWindows {
public:
    enum class Button { Back, Play, Stop, Forward };
    virtual ~ShowWindows() = default;
    virtual void lblWand_CtrlClick(int index) = 0;
    virtual bool wand_KeyDown(int keyCode) = 0;
    virtual void cmdSequence_Press(Button button) = 0;  // mouse down and click
    virtual void stepField_GotFocus() = 0;
    virtual void stepField_Typed(std::string_view text, int keyCode) = 0;  // change and key up
    virtual void stepField_LostFocus() = 0;
};

// Carries out a ShowAction as the windows' own events, so that the refusals,
// status texts and document flags are theirs.
class ShowControl {
public:
    struct Services {
        ShowModel& model;
        Selection& selection;
        ShowWindows& windows;
        ShowControlHost& host;
    };

    explicit ShowControl(Services services) : s_(services) {}

    // The refusal of every action while a question is open or a transfer runs.
    std::optional<ShowReply> refusedNow() const;
    ShowReply perform(const ShowAction& action);

private:
    ShowReply press(ShowWindows::Button button);
    ShowReply jump(std::string_view text);

    Services s_;
};

}  // namespace tinctara

#pragma once

#include "model/Selection.h"
#include "remote/RemoteMessages.h"
#include "model/ShowModel.h"
#include "platform/ShowView.h"
#include "windows/ColourWindowPresenter.h"
#include "windows/SequencerPresenter.h"
#include "windows/WallWindowPresenter.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tinctara {

// What the remote needs from the program beside the presenters: whether a
// question waits for an answer, the colour window's apply (the open window's,
// or one of its own while the window is closed) and the texts the windows show.
class RemoteHost {
public:
    virtual ~RemoteHost() = default;
    virtual bool questionOpen() const = 0;
    // True while the windows are disabled as a whole for a transfer: the
    // page is then as unusable as they are.
    virtual bool windowsLocked() const { return false; }
    // Mixes `rgbw` and presses the colour window's apply button; the colour
    // window's status line afterwards.
    virtual std::string applyColour(const std::array<std::uint8_t, Planes>& rgbw) = 0;
    virtual std::string wallStatus() const = 0;
    virtual std::string sequencerStatus() const = 0;
    virtual std::string title() const = 0;
};

// A colour window without a window: the apply button's rules for the remote
// while frmColor is closed. Keeps only the status line.
class ClosedColourWindow : private ColourWindowView {
public:
    explicit ClosedColourWindow(ColourWindowPresenter::Services services) : presenter_(services, *this) {}
    std::string apply(const std::array<std::uint8_t, Planes>& rgbw, ShowModel& model);

private:
    void setCaption(std::string_view) override {}
    void setStatus(std::string_view text) override { status_ = text; }
    void showFader(int, int) override {}
    void setFaderMinimum(int) override {}
    void setValueField(int, std::string_view) override {}
    void showPanelColour(Rgb) override {}
    void showUserColour(int, Rgb) override {}
    void setNumberField(std::string_view) override {}
    void setNameField(std::string_view) override {}
    void setStorePromptVisible(bool) override {}
    void setImmediateApplyChecked(bool) override {}
    void focus(ColourControl) override {}

    ColourWindowPresenter presenter_;
    std::string status_;
};

// The remote's actions (RemoteAction), each one a named event of the
// windows' presenters, and the page's picture of the show.
class RemotePresenter : public RemoteActions {
public:
    struct Services {
        ShowModel& model;
        ShowView& show;
        Selection& selection;
        WallWindowPresenter& wall;
        SequencerPresenter& sequencer;
        RemoteHost& host;
    };

    using Reply = RemoteReply;

    explicit RemotePresenter(Services services) : s_(services) {}

    Reply perform(std::string_view message) override;
    RemoteState state() const override;

private:
    Reply sequencerButton(int index);
    Reply jump(std::string_view text);

    Services s_;
};

}  // namespace tinctara

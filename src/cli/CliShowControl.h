#pragma once

#include "control/ShowControl.h"
#include "model/Selection.h"
#include "CliPlatform.h"
#include "platform/SystemClock.h"
#include "windows/ClosedColourWindow.h"
#include "windows/MainWindowView.h"
#include "windows/PresenterShowWindows.h"
#include "windows/SequencerPresenter.h"
#include "windows/WallWindowPresenter.h"

namespace tinctara {
class OutputEngine;
}

namespace tinctara::cli {

class CliOutput;
class Session;

// Show actions without windows, for play's desks and controllers: the wall's
// and the sequencer's logic over the session's quiet view and the output's
// engine, the colour window's apply as when that window is closed, and no
// question ever open.
class CliShowControl : private ShowControlHost, private MainWindowCommands {
public:
    CliShowControl(Session& session, CliOutput& output);
    CliShowControl(const CliShowControl&) = delete;
    CliShowControl& operator=(const CliShowControl&) = delete;

    ShowControl& control() { return control_; }

private:
    // ShowControlHost
    bool questionOpen() const override { return false; }
    std::string applyColour(const std::array<std::uint8_t, Planes>& rgbw) override;
    std::string wallStatus() const override;
    std::string sequencerStatus() const override;
    bool tapTempo() override;
    // MainWindowCommands: play saves nothing, so it never lets a sequence go
    // unsaved and has no settings file of its own.
    bool ConfirmUnsaved(DocumentKind) override { return true; }
    bool SaveINI() override { return false; }

    Session& session_;
    OutputEngine& engine_;
    SystemClock clock_;
    // The sequencer's beat row keeps its fields per user in the program;
    // play starts from the defaults every time.
    MemorySettings beatSettings_;
    Selection selection_;
    WallWindowPresenter wall_;
    SequencerPresenter sequencer_;
    ClosedColourWindow closedColour_;
    PresenterShowWindows windows_;
    ShowControl control_;
};

}  // namespace tinctara::cli

#pragma once

#include "remote/RemoteOnDemand.h"
#include "remote/RemotePresenter.h"
#include "remote/RemoteSettings.h"

#include <memory>

namespace tinctara {

class Program;

// The web remote of one program: its presenter over the program's presenters,
// the server (loaded when first needed), and what the remote asks of the windows.
class ProgramRemote : public RemoteHost {
public:
    // A null factory: the server comes from the module beside the program.
    ProgramRemote(Program& program, RemoteServerFactory factory);
    ~ProgramRemote() override;

    RemoteOnDemand& server() { return server_; }
    RemotePresenter& presenter() { return *presenter_; }

    // Starts the remote when the per-user settings say so; false with the
    // reason on standard error when it cannot listen.
    bool startFromSettings();

    // RemoteHost
    bool questionOpen() const override;
    bool windowsLocked() const override;
    std::string applyColour(const std::array<std::uint8_t, Planes>& rgbw) override;
    std::string wallStatus() const override;
    std::string sequencerStatus() const override;
    bool tapTempo() override;
    std::string title() const override;

private:
    Program& program_;
    std::unique_ptr<ClosedColourWindow> closedColourWindow_;
    std::unique_ptr<RemotePresenter> presenter_;
    RemoteOnDemand server_;
};

}  // namespace tinctara

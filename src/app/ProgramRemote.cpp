#include "ProgramRemote.h"

#include "ColourWindow.h"
#include "MainWindow.h"
#include "Program.h"
#include "WallWindow.h"

#include <QApplication>
#include <QLabel>

#include <cstdio>

namespace tinctara {

ProgramRemote::ProgramRemote(Program& program) : program_(program)
{
    closedColourWindow_ = std::make_unique<ClosedColourWindow>(ColourWindowPresenter::Services{
        program.model(), program.view(), program.user(), program.selection()});
    presenter_ = std::make_unique<RemotePresenter>(RemotePresenter::Services{
        program.model(), program.view(), program.selection(), program.wallPresenter(), program.sequencer(), *this});
    server_ = std::make_unique<RemoteServer>(*presenter_, program.clock());
}

ProgramRemote::~ProgramRemote() = default;

bool ProgramRemote::startFromSettings()
{
    RemoteSettings settings = loadRemoteSettings(program_.settings());
    if (!settings.enabled)
        return true;
    if (settings.code.empty()) {
        settings.code = makeAccessCode();
        storeRemoteSettings(program_.settings(), settings);
    }
    const std::string problem = server_->start(settings);
    if (!problem.empty())
        std::fprintf(stderr, "%s Das Programm läuft ohne Fernbedienung weiter.\n", problem.c_str());
    return problem.empty();
}

bool ProgramRemote::questionOpen() const
{
    // Message boxes, file dialogs and the interface choice are all modal.
    return QApplication::activeModalWidget() != nullptr;
}

bool ProgramRemote::windowsLocked() const
{
    // Output ticks would write the wall's levels over the frames the play unit receives.
    return program_.playUnit().transferring();
}

std::string ProgramRemote::applyColour(const std::array<std::uint8_t, Planes>& rgbw)
{
    if (ColourWindow* window = program_.mainWindow().colourWindow()) {
        // The open window: its faders move to the colour (with its rules,
        // "sofort übernehmen" included) and its apply button is pressed.
        ColourWindowPresenter& colour = window->presenter();
        for (int index = 0; index < Planes; ++index)
            colour.setFader(index, rgbw[static_cast<std::size_t>(index)]);
        colour.cmdColor_Click(1);
        const auto* status = window->findChild<QLabel*>(QStringLiteral("lblStatus"));
        return status ? status->text().toStdString() : std::string();
    }
    return closedColourWindow_->apply(rgbw, program_.model());
}

std::string ProgramRemote::wallStatus() const
{
    MainWindow& main = program_.mainWindow();
    return main.hasWallWindow() ? main.wallWindow()->status().toStdString() : std::string();
}

std::string ProgramRemote::sequencerStatus() const { return program_.sequencerState().status(); }

std::string ProgramRemote::title() const { return program_.mainWindow().windowTitle().toStdString(); }

}  // namespace tinctara

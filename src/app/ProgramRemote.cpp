#include "ProgramRemote.h"

#include "ColourWindow.h"
#include "MainWindow.h"
#include "Program.h"
#include "WallWindow.h"
#include "QtText.h"

#include "dmx/LoadedLibraries.h"
#include "remote/RemoteAccess.h"
#include "remote/RemoteModule.h"

#include <QApplication>
#include <QLabel>

#include <cstdio>
#include <dlfcn.h>

namespace tinctara {

namespace {

// The server from libtinctararemote.so, beside the executable (the program
// folder of a build), else where the executable's search path leads (the
// library folder of an installation); never from the data folder, which is
// the user's.
std::unique_ptr<RemoteControl> loadRemoteModule(RemoteActions& actions, Clock& clock, std::string& problem)
{
    const std::string folder = executableFolder();
    LibraryByName library(TinctaraRemoteModule, folder.empty() ? std::vector<std::string>{} : std::vector{folder});
    const auto makeServer = reinterpret_cast<TinctaraRemoteServerFunction>(library.symbol(TinctaraRemoteServerSymbol));
    // Once loaded, the module stays until the process ends, whatever becomes
    // of `library`: the server lives on, and Qt Network, which came with it,
    // keeps global state that an unload would leave dangling at the
    // application's exit.
    Dl_info module{};
    if (makeServer && dladdr(reinterpret_cast<void*>(makeServer), &module) && module.dli_fname &&
        dlopen(module.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE))
        if (RemoteControl* server = makeServer(actions, clock))
            return std::unique_ptr<RemoteControl>(server);
    problem = std::string("Die Fernbedienung kann nicht geladen werden (") + TinctaraRemoteModule + ").";
    return nullptr;
}

}  // namespace

ProgramRemote::ProgramRemote(Program& program, RemoteServerFactory factory)
    : program_(program),
      server_([this, factory = std::move(factory)](std::string& problem) -> std::unique_ptr<RemoteControl> {
          if (factory)
              return factory(*presenter_, program_.clock());
          return loadRemoteModule(*presenter_, program_.clock(), problem);
      })
{
    closedColourWindow_ = std::make_unique<ClosedColourWindow>(
        ColourWindowPresenter::Services{program.model(), program.view(), program.user(), program.selection()});
    closedColourWindow_->recordEdits(&program.edits());
    presenter_ = std::make_unique<RemotePresenter>(RemotePresenter::Services{
        program.model(), program.view(), program.selection(), program.wallPresenter(), program.sequencer(), *this});
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
    const std::string problem = server_.start(settings);
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
        // With "sofort übernehmen" each fader paints on its way: one edit all the same.
        ColourWindowPresenter& colour = window->presenter();
        colour.faderPressed();
        for (int index = 0; index < Planes; ++index)
            colour.setFader(index, rgbw[static_cast<std::size_t>(index)]);
        colour.cmdColor_Click(1);
        colour.faderReleased();
        const auto* status = window->findChild<QLabel*>(QStringLiteral("lblStatus"));
        return status ? utf8(status->text()) : std::string();
    }
    return closedColourWindow_->apply(rgbw, program_.model());
}

std::string ProgramRemote::wallStatus() const
{
    MainWindow& main = program_.mainWindow();
    return main.hasWallWindow() ? utf8(main.wallWindow()->status()) : std::string();
}

std::string ProgramRemote::sequencerStatus() const { return program_.sequencerState().status(); }

bool ProgramRemote::tapTempo()
{
    program_.engine().music().tap(program_.clock().monotonicMilliseconds());
    return true;
}

std::string ProgramRemote::title() const { return utf8(program_.mainWindow().windowTitle()); }

}  // namespace tinctara

#include "ProgramControl.h"

#include "Program.h"
#include "ProgramRemote.h"

#include <QSocketNotifier>

#include <cstdio>

namespace tinctara {

ProgramControl::ProgramControl(Program& program)
    : program_(program), windows_(program.wallPresenter(), program.sequencer()),
      show_({program.model(), program.selection(), windows_, program.remote()}),
      osc_(std::make_unique<OscService>(
          OscService::Services{show_, program.model(), program.clock(),
                               [&remote = program.remote()] { return remote.server().addresses(); }}))
{
    // Datagrams are read on the UI thread, between window events, as the tick is.
    osc_->onDescriptorChange([this](int fd) {
        oscNotifier_.reset();
        if (fd < 0)
            return;
        oscNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(oscNotifier_.get(), &QSocketNotifier::activated, [this] { osc_->readable(); });
    });
}

ProgramControl::~ProgramControl()
{
    osc_->onDescriptorChange({});
    oscNotifier_.reset();
}

void ProgramControl::showChanged() { osc_->showChanged(); }

void ProgramControl::startFromSettings()
{
    const auto report = [](const std::string& problem, const char* without) {
        if (!problem.empty())
            std::fprintf(stderr, "%s Das Programm läuft ohne %s weiter.\n", problem.c_str(), without);
    };
    if (osc_) {
        const OscSettings settings = loadOscSettings(program_.settings());
        if (settings.enabled)
            report(osc_->start(settings), "OSC");
    }
    if (midi_) {
        const MidiSettings settings = loadMidiSettings(program_.settings());
        if (settings.enabled)
            report(midi_->start(settings), "MIDI");
    }
}

}  // namespace tinctara

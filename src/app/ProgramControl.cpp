#include "ProgramControl.h"

#include "Program.h"
#include "ProgramRemote.h"

#include <QSocketNotifier>

#include <cstdio>

namespace tinctara {

namespace {

void report(const std::string& problem, const char* without)
{
    if (!problem.empty())
        std::fprintf(stderr, "%s Das Programm läuft ohne %s weiter.\n", problem.c_str(), without);
}

}  // namespace

ProgramControl::ProgramControl(Program& program)
    : program_(program), windows_(program.wallPresenter(), program.sequencer()),
      show_({program.model(), program.selection(), windows_, program.remote()}),
      osc_(std::make_unique<OscService>(
          OscService::Services{show_, program.model(), program.clock(),
                               [&remote = program.remote()] { return remote.server().addresses(); }})),
      midi_(std::make_unique<ProgramMidi>(program.model(), show_))
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

void ProgramControl::startFromSettings()
{
    if (osc_) {
        const OscSettings settings = loadOscSettings(program_.settings());
        if (settings.enabled)
            report(osc_->start(settings), "OSC");
    }
    const MidiSettings settings = loadMidiSettings(program_.settings());
    if (settings.enabled)
        startMidi(settings);
}

void ProgramControl::startMidiForThisRun()
{
    if (!midi_->running())
        startMidi(loadMidiSettings(program_.settings()));
}

void ProgramControl::startMidi(const MidiSettings& settings)
{
    const std::string problem = midi_->start(settings);
    if (midi_->running()) {
        if (!problem.empty())  // a port that is not there: the client runs without it
            std::fprintf(stderr, "%s\n", problem.c_str());
    } else {
        report(problem, "MIDI");
    }
}

void ProgramControl::showChanged()
{
    osc_->showChanged();
    midi_->showChanged();
}

}  // namespace tinctara

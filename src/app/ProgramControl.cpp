#include "ProgramControl.h"

#include "Program.h"
#include "ProgramRemote.h"

#include <cstdio>

namespace tinctara {

ProgramControl::ProgramControl(Program& program)
    : program_(program), windows_(program.wallPresenter(), program.sequencer()),
      show_({program.model(), program.selection(), windows_, program.remote()})
{
}

ProgramControl::~ProgramControl() = default;

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

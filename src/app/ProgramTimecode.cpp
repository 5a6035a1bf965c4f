#include "ProgramTimecode.h"

#include "Program.h"

#include <cstdio>

namespace tinctara {

ProgramTimecode::ProgramTimecode(Program& program) : program_(program) {}

ProgramTimecode::~ProgramTimecode() = default;

void ProgramTimecode::startFromSettings()
{
    const std::string problem = apply(loadTimecodeSettings(program_.settings()));
    if (!problem.empty())
        std::fprintf(stderr, "%s Das Programm läuft ohne Timecode weiter.\n", problem.c_str());
}

std::string ProgramTimecode::apply(const TimecodeSettings& settings)
{
    settings_ = settings;
    return {};
}

TimecodeStatus ProgramTimecode::status() const
{
    TimecodeStatus status;
    status.state = settings_.source == TimecodeSource::None ? ChaseState::Off : ChaseState::Waiting;
    return status;
}

}  // namespace tinctara

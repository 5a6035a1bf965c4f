#pragma once

#include "timecode/TimecodeControl.h"

namespace tinctara {

class Program;

// Timecode in the program: the chosen source heard on the UI thread, the
// sequence chased in the tick, and Art-Net and MIDI timecode sent from it.
class ProgramTimecode : public TimecodeControl {
public:
    explicit ProgramTimecode(Program& program);
    ~ProgramTimecode() override;

    // The stored settings. A source that cannot be opened says why on
    // standard error and the program goes on without timecode.
    void startFromSettings();

    // TimecodeControl
    std::string apply(const TimecodeSettings& settings) override;
    const TimecodeSettings& settings() const override { return settings_; }
    TimecodeStatus status() const override;

private:
    Program& program_;
    TimecodeSettings settings_;
};

}  // namespace tinctara

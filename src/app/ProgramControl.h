#pragma once

#include "ProgramMidi.h"
#include "control/ControlSettings.h"
#include "control/OscService.h"
#include "control/ShowControl.h"
#include "windows/PresenterShowWindows.h"

#include <memory>

class QSocketNotifier;

namespace tinctara {

class Program;

// Show control from desks and controllers (OSC, MIDI): one ShowControl over
// the program's presenters, with the remote's host, and the listeners that
// feed it on the UI thread.
class ProgramControl {
public:
    explicit ProgramControl(Program& program);
    ~ProgramControl();

    ShowControl& show() { return show_; }
    // Null where this build has none.
    OscControl* osc() { return osc_.get(); }
    MidiControl* midi() { return midi_.get(); }
    ProgramMidi* programMidi() { return midi_.get(); }

    // Starts what the per-user settings turn on; a listener that cannot
    // start says why on standard error and the program goes on without it.
    void startFromSettings();
    // MIDI for this run whatever the settings say (tinctara --midi), with
    // the stored bindings and port.
    void startMidiForThisRun();
    // After every tick: the desks and controllers hear what changed.
    void showChanged();

private:
    void startMidi(const MidiSettings& settings);

    Program& program_;
    PresenterShowWindows windows_;
    ShowControl show_;
    std::unique_ptr<OscService> osc_;
    std::unique_ptr<QSocketNotifier> oscNotifier_;  // on the listener's socket while it runs
    std::unique_ptr<ProgramMidi> midi_;
};

}  // namespace tinctara

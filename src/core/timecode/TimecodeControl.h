#pragma once

#include "timecode/Timecode.h"
#include "timecode/TimecodeSettings.h"

#include <optional>
#include <string>

namespace tinctara {

// What following timecode is doing, for the options tab and the sequencer.
enum class ChaseState {
    Off,           // no source chosen
    Waiting,       // a source, but no timecode heard yet
    BeforeOffset,  // heard, before the offset: the first step holds
    Chasing,       // the sequence follows the timecode
    Freewheel,     // the timecode stopped coming; the sequence runs on a while
    Held,          // the timecode stopped longer: the wall holds
    Started,       // "start at": started by the timecode, now on its own tick
};

struct TimecodeStatus {
    ChaseState state = ChaseState::Off;
    // The timecode running now (heard, or run on while freewheeling), at
    // the rate it came in; nothing before any was heard.
    std::optional<Timecode> time;
    TimecodeRate rate = TimecodeRate::Ebu25;
    // Why the source could not be opened (German); empty when it runs.
    std::string problem;
    // While leading: the label sent last, at the settings' rate.
    std::optional<Timecode> sent;
    friend bool operator==(const TimecodeStatus&, const TimecodeStatus&) = default;
};

// Following and leading timecode in the program, for the options window.
class TimecodeControl {
public:
    virtual ~TimecodeControl() = default;
    // Puts the settings into effect (the source reopened when it changed);
    // empty, or why the source or the sending could not start (German).
    virtual std::string apply(const TimecodeSettings& settings) = 0;
    virtual const TimecodeSettings& settings() const = 0;
    virtual TimecodeStatus status() const = 0;
};

}  // namespace tinctara

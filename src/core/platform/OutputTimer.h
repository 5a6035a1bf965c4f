#pragma once

namespace tinctara {

// The 50 ms output timer (AutoXmit). The app owns the real timer and calls the
// engine's tick; the core only switches it on and off.
class OutputTimer {
public:
    virtual ~OutputTimer() = default;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
    // Disables the tick as setEnabled(false) does, but an interface that does
    // not hold a frame by itself keeps getting the last one: a network
    // receiver drops a silent source after 2.5 s and most USB interfaces go
    // dark. For short pauses of the tick only (a sequencer field has the
    // focus, a jump is under way); setEnabled ends it either way.
    virtual void pauseTicks() { setEnabled(false); }
};

}  // namespace tinctara

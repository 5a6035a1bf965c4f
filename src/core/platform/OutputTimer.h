#pragma once

namespace tinctara {

// The 50 ms output timer (AutoXmit). The app owns the real timer and calls the
// engine's tick; the core only switches it on and off.
class OutputTimer {
public:
    virtual ~OutputTimer() = default;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
};

}  // namespace tinctara

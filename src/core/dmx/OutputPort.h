#pragma once

#include "dmx/DmxSender.h"
#include "model/ShowModel.h"
#include "platform/OutputTimer.h"
#include "platform/PortIo.h"
#include "platform/ShowView.h"

#include <optional>

namespace tinctara {

class InterfaceRegistry;

// What a kind's tick builds: nothing (the wall alone), card memory written
// through the ports, the byte frame, or the wide frame of the library cards.
enum class FrameShape { None, CardMemory, Bytes, Wide };

// One interface kind as the output side sees it: how the search opens it,
// what the tick builds for it and does before and after, how the monitor
// reads a level back and, on the sender's thread, the device calls that send
// a frame. The ports hold
// no state: what they reach is handed to them. Adding a kind is one class and
// one line in the table of OutputPort.cpp.
class OutputPort {
public:
    explicit OutputPort(FrameShape shape = FrameShape::None) : shape_(shape) {}
    virtual ~OutputPort() = default;

    // The search for this kind (closed first by the registry); the library
    // cards have none.
    virtual void open(InterfaceRegistry&, InterfaceKind) const {}
    // Whether the search can find it (the library cards are taken as present).
    virtual bool searched() const { return false; }
    // Asked on every tick and hand-over, so a plain value.
    FrameShape shape() const { return shape_; }
    // Without frames: whether a playing sequence still advances on the wall.
    virtual bool playsOnTheWall() const { return false; }
    // False while the interface cannot be written (an ISA card whose base
    // is not known): the tick then plays on the wall only.
    virtual bool ready(const ShowModel&) const { return true; }
    // Before the frame is built.
    virtual void beforeFrame(ShowModel&, PortIo&) const {}
    // After the frame is built: true when the sender is to send it. The ISA
    // cards refresh DMX themselves and are started here instead.
    virtual bool afterFrame(ShowModel&, ShowView&, OutputTimer&, PortIo&) const { return true; }
    // The level of a channel (1..512) as last sent, for the monitor rows.
    virtual int readBack(const ShowModel&, PortIo&, int /*channel*/) const { return 0; }
    // On the sender's thread: the device calls for one frame (the libraries
    // take the frame and the card handle by pointer and reference).
    virtual void transmit(OutgoingFrame&, const SenderDevices&) const {}

    // Only the 7301A/B takes the timing block the options window edits, and
    // only it has the DMX Start/Stop entries in the main menu.
    virtual bool takesTimingBlock() const { return false; }
    // Whether choosing the kind in the interface dialog searches for it again.
    virtual bool searchedWhenChosen() const { return false; }
    // The time one frame takes on the wire in microseconds, from the timing
    // fields; none where the kind has no frame.
    virtual std::optional<double> frameLength(double /*breakLength*/, double /*interSlot*/, double /*channels*/) const
    {
        return std::nullopt;
    }
    // A channel set to 0 where the kind holds its levels between ticks.
    virtual void clearChannel(ShowModel&, PortIo&, int /*channel*/) const {}

private:
    FrameShape shape_;
};

// The port of a kind; a value no kind has gets one that does nothing.
const OutputPort& portFor(InterfaceKind kind);

}  // namespace tinctara

#pragma once

#include "control/MidiService.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tinctara {

// The machine's MIDI as the show sees it: a client with one input port that
// controllers are connected to and one output port for the feedback notes
// and the timecode it leads.
class MidiSequencer : public MidiFeedback {
public:
    using Sink = std::function<void(std::span<const std::uint8_t>)>;

    // The descriptor to wait on; readable when events wait.
    virtual int descriptor() const = 0;
    // Every event that waits, each as the bytes of its MIDI message.
    virtual void read(const Sink& sink) = 0;
    // Connects the port ("Client:Port") of another client to the input port;
    // empty when done, else the problem in German.
    virtual std::string connectFrom(const std::string& port) = 0;
    // The ports of other clients that can be connected from ("Client:Port").
    virtual std::vector<std::string> readablePorts() const = 0;
    // Whole MIDI messages out of the output port, to every subscriber, at
    // once; what the system cannot take now is dropped, as with noteOn.
    virtual void send(std::span<const std::uint8_t> bytes) = 0;
};

// Opens a sequencer client; null, with the reason in `problem`, when it cannot.
using MidiSequencerOpener = std::function<std::unique_ptr<MidiSequencer>(std::string& problem)>;

}  // namespace tinctara

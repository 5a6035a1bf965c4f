#pragma once

#include "control/MidiSequencer.h"

#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace tinctara::testing {

// The sequencers one test opens: a socket pair whose first end is their
// descriptor (each datagram written to the second arrives as one event), the
// connections asked for, the notes and the raw messages sent.
struct FakeMidiMachine {
    FakeMidiMachine() { ::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends.data()); }
    ~FakeMidiMachine()
    {
        ::close(ends[0]);
        ::close(ends[1]);
    }
    FakeMidiMachine(const FakeMidiMachine&) = delete;
    FakeMidiMachine& operator=(const FakeMidiMachine&) = delete;

    bool send(const std::vector<std::uint8_t>& bytes) const
    {
        return ::send(ends[1], bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size());
    }
    MidiSequencerOpener opener();

    std::array<int, 2> ends{-1, -1};
    bool present = true;
    int opened = 0;
    int open = 0;
    std::vector<std::string> connected;
    std::vector<std::tuple<int, int, int>> notes;
    std::vector<std::vector<std::uint8_t>> sent;
};

class FakeMidiSequencer : public MidiSequencer {
public:
    explicit FakeMidiSequencer(FakeMidiMachine& machine) : machine_(machine) { ++machine_.open; }
    ~FakeMidiSequencer() override { --machine_.open; }
    int descriptor() const override { return machine_.ends[0]; }
    void read(const Sink& sink) override
    {
        std::array<std::uint8_t, 64> bytes{};
        for (ssize_t length; (length = ::recv(machine_.ends[0], bytes.data(), bytes.size(), MSG_DONTWAIT)) > 0;)
            sink(std::span<const std::uint8_t>(bytes.data(), static_cast<std::size_t>(length)));
    }
    std::string connectFrom(const std::string& port) override
    {
        if (port != readablePorts().front())
            return "nicht da: " + port;
        machine_.connected.push_back(port);
        return {};
    }
    std::vector<std::string> readablePorts() const override { return {"Pult:Tasten"}; }
    void noteOn(int channel, int note, int velocity) override { machine_.notes.emplace_back(channel, note, velocity); }
    void send(std::span<const std::uint8_t> bytes) override { machine_.sent.emplace_back(bytes.begin(), bytes.end()); }

private:
    FakeMidiMachine& machine_;
};

inline MidiSequencerOpener FakeMidiMachine::opener()
{
    return [this](std::string& problem) -> std::unique_ptr<MidiSequencer> {
        if (!present) {
            problem = "kein Sequencer";
            return nullptr;
        }
        ++opened;
        return std::make_unique<FakeMidiSequencer>(*this);
    };
}

}  // namespace tinctara::testing

#pragma once

#include "control/MidiSequencer.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

struct _snd_seq;
struct snd_midi_event;
struct snd_seq_event;

namespace tinctara {

namespace MidiText {
inline constexpr const char* NoSequencer = "MIDI kann nicht starten: kein ALSA-Sequencer (/dev/snd/seq fehlt).";
inline constexpr const char* CannotStart = "MIDI kann nicht starten: ";
inline constexpr const char* NoSuchPort = "Der MIDI-Anschluss ist nicht zu finden: ";
inline constexpr const char* CannotConnect = "Der MIDI-Anschluss lässt sich nicht verbinden: ";
}  // namespace MidiText

// Turns sequencer events back into the bytes of their MIDI messages, so that
// every source goes through the one MidiDecoder, and bytes into events for
// the output port. Each message carries its status byte; system exclusive
// messages come whole up to Capacity bytes.
class AlsaEventBytes {
public:
    static constexpr std::size_t Capacity = 1024;

    AlsaEventBytes();
    ~AlsaEventBytes();
    AlsaEventBytes(const AlsaEventBytes&) = delete;
    AlsaEventBytes& operator=(const AlsaEventBytes&) = delete;

    // Empty for events that are no MIDI message (port announcements) and for
    // longer system exclusive messages.
    std::span<const std::uint8_t> decode(const snd_seq_event& event);

    // Takes bytes from the front of `bytes` until they make an event, which
    // goes to `event`; false when they ran out first. A system exclusive
    // event points into this object until the next call.
    bool encode(std::span<const std::uint8_t>& bytes, snd_seq_event& event);

private:
    snd_midi_event* parser_ = nullptr;
    snd_midi_event* encoder_ = nullptr;
    std::array<std::uint8_t, Capacity> bytes_{};
};

// The ALSA sequencer client "Tinctara" with the input port "Steuerung" and
// the output port "Rückmeldung", non-blocking.
class AlsaSequencer : public MidiSequencer {
public:
    static std::unique_ptr<MidiSequencer> open(std::string& problem);
    ~AlsaSequencer() override;
    AlsaSequencer(const AlsaSequencer&) = delete;
    AlsaSequencer& operator=(const AlsaSequencer&) = delete;

    int descriptor() const override { return fd_; }
    void read(const Sink& sink) override;
    std::string connectFrom(const std::string& port) override;
    std::vector<std::string> readablePorts() const override;
    void noteOn(int channel, int note, int velocity) override;
    void send(std::span<const std::uint8_t> bytes) override;

    // This client's number and its input port's, for tests that connect to it.
    int client() const;
    int inputPort() const { return input_; }
    int outputPort() const { return output_; }

private:
    explicit AlsaSequencer(_snd_seq* handle) : seq_(handle) {}
    // From the output port to its subscribers, direct and non-blocking.
    void output(snd_seq_event& event);

    _snd_seq* seq_;
    int input_ = -1;
    int output_ = -1;
    int fd_ = -1;
    AlsaEventBytes bytes_;
};

}  // namespace tinctara

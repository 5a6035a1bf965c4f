#include "control/AlsaSequencer.h"

#include <alsa/asoundlib.h>

#include <cerrno>
#include <cstdarg>
#include <functional>
#include <optional>
#include <unistd.h>

namespace tinctara {

namespace {

constexpr const char* ClientName = "Tinctara";
constexpr const char* InputName = "Steuerung";
constexpr const char* OutputName = "Rückmeldung";
constexpr const char* SequencerDevice = "/dev/snd/seq";

// alsa-lib prints its failures on standard error; ours are said in German.
void quiet(const char*, int, const char*, int, const char*, ...) {}

std::string alsaProblem(const char* prefix, int error) { return std::string(prefix) + snd_strerror(error) + "."; }

// Every port of another client that can be connected from, as "Client:Port".
void forEachReadablePort(snd_seq_t* seq, const std::function<void(const std::string&, snd_seq_addr_t)>& visit)
{
    constexpr unsigned Readable = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ;
    const int own = snd_seq_client_id(seq);
    snd_seq_client_info_t* client = nullptr;
    snd_seq_port_info_t* port = nullptr;
    snd_seq_client_info_alloca(&client);
    snd_seq_port_info_alloca(&port);
    snd_seq_client_info_set_client(client, -1);
    while (snd_seq_query_next_client(seq, client) >= 0) {
        const int number = snd_seq_client_info_get_client(client);
        if (number == own || number == SND_SEQ_CLIENT_SYSTEM)
            continue;
        snd_seq_port_info_set_client(port, number);
        snd_seq_port_info_set_port(port, -1);
        while (snd_seq_query_next_port(seq, port) >= 0) {
            const unsigned caps = snd_seq_port_info_get_capability(port);
            if ((caps & Readable) != Readable || (caps & SND_SEQ_PORT_CAP_NO_EXPORT) != 0)
                continue;
            const std::string name =
                std::string(snd_seq_client_info_get_name(client)) + ":" + snd_seq_port_info_get_name(port);
            visit(name, *snd_seq_port_info_get_addr(port));
        }
    }
}

}  // namespace

AlsaEventBytes::AlsaEventBytes()
{
    if (snd_midi_event_new(Capacity, &parser_) < 0)
        parser_ = nullptr;
    else
        snd_midi_event_no_status(parser_, 1);  // every message with its status byte
    if (snd_midi_event_new(Capacity, &encoder_) < 0)
        encoder_ = nullptr;
}

AlsaEventBytes::~AlsaEventBytes()
{
    if (parser_)
        snd_midi_event_free(parser_);
    if (encoder_)
        snd_midi_event_free(encoder_);
}

bool AlsaEventBytes::encode(std::span<const std::uint8_t>& bytes, snd_seq_event& event)
{
    while (encoder_ && !bytes.empty()) {
        snd_seq_ev_clear(&event);
        const long used = snd_midi_event_encode(encoder_, bytes.data(), static_cast<long>(bytes.size()), &event);
        if (used <= 0) {
            bytes = {};
            break;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(used));
        if (event.type != SND_SEQ_EVENT_NONE)
            return true;
    }
    return false;
}

std::span<const std::uint8_t> AlsaEventBytes::decode(const snd_seq_event& event)
{
    if (!parser_)
        return {};
    const long length = snd_midi_event_decode(parser_, bytes_.data(), static_cast<long>(bytes_.size()), &event);
    if (length <= 0)
        return {};
    return {bytes_.data(), static_cast<std::size_t>(length)};
}

std::unique_ptr<MidiSequencer> AlsaSequencer::open(std::string& problem)
{
    static const bool quietened = (snd_lib_error_set_handler(quiet), true);
    (void)quietened;
    snd_seq_t* seq = nullptr;
    const int error = snd_seq_open(&seq, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK);
    if (error < 0) {
        problem =
            ::access(SequencerDevice, F_OK) != 0 ? MidiText::NoSequencer : alsaProblem(MidiText::CannotStart, error);
        return nullptr;
    }
    std::unique_ptr<AlsaSequencer> sequencer(new AlsaSequencer(seq));
    snd_seq_set_client_name(seq, ClientName);
    constexpr unsigned Type = SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION;
    sequencer->input_ =
        snd_seq_create_simple_port(seq, InputName, SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE, Type);
    sequencer->output_ =
        snd_seq_create_simple_port(seq, OutputName, SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ, Type);
    if (sequencer->input_ < 0 || sequencer->output_ < 0) {
        problem = alsaProblem(MidiText::CannotStart, sequencer->input_ < 0 ? sequencer->input_ : sequencer->output_);
        return nullptr;
    }
    pollfd descriptor{};
    if (snd_seq_poll_descriptors(seq, &descriptor, 1, POLLIN) != 1) {
        problem = alsaProblem(MidiText::CannotStart, -EBADF);
        return nullptr;
    }
    sequencer->fd_ = descriptor.fd;
    return sequencer;
}

AlsaSequencer::~AlsaSequencer() { snd_seq_close(seq_); }

int AlsaSequencer::client() const { return snd_seq_client_id(seq_); }

void AlsaSequencer::read(const Sink& sink)
{
    for (;;) {
        snd_seq_event_t* event = nullptr;
        const int result = snd_seq_event_input(seq_, &event);
        if (result == -ENOSPC)
            continue;  // the kernel's queue overran: what was lost is gone, go on
        if (result < 0 || !event)
            return;
        const auto bytes = bytes_.decode(*event);
        if (!bytes.empty())
            sink(bytes);
    }
}

std::string AlsaSequencer::connectFrom(const std::string& port)
{
    std::optional<snd_seq_addr_t> address;
    forEachReadablePort(seq_, [&](const std::string& name, snd_seq_addr_t at) {
        if (!address && name == port)
            address = at;
    });
    // Numbers and client names with a port number ("20:0", "Keyboard:0") as well.
    snd_seq_addr_t parsed{};
    if (!address && snd_seq_parse_address(seq_, &parsed, port.c_str()) >= 0)
        address = parsed;
    if (!address)
        return MidiText::NoSuchPort + port;
    const int error = snd_seq_connect_from(seq_, input_, address->client, address->port);
    if (error < 0 && error != -EBUSY)  // EBUSY: connected already
        return std::string(MidiText::CannotConnect) + port + " (" + snd_strerror(error) + ")";
    return {};
}

std::vector<std::string> AlsaSequencer::readablePorts() const
{
    std::vector<std::string> ports;
    forEachReadablePort(seq_, [&](const std::string& name, snd_seq_addr_t) { ports.push_back(name); });
    return ports;
}

void AlsaSequencer::output(snd_seq_event& event)
{
    snd_seq_ev_set_source(&event, static_cast<unsigned char>(output_));
    snd_seq_ev_set_subs(&event);
    snd_seq_ev_set_direct(&event);
    // Non-blocking: a full output queue drops the event rather than hold up a tick.
    snd_seq_event_output_direct(seq_, &event);
}

void AlsaSequencer::noteOn(int channel, int note, int velocity)
{
    snd_seq_event_t event;
    snd_seq_ev_clear(&event);
    snd_seq_ev_set_noteon(&event, static_cast<unsigned char>(channel - 1), static_cast<unsigned char>(note),
                          static_cast<unsigned char>(velocity));
    output(event);
}

void AlsaSequencer::send(std::span<const std::uint8_t> bytes)
{
    snd_seq_event_t event;
    while (bytes_.encode(bytes, event))
        output(event);
}

}  // namespace tinctara

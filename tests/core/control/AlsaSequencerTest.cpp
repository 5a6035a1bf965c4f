#include "control/AlsaSequencer.h"

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <poll.h>
#include <unistd.h>
#include <vector>

namespace tinctara {
namespace {

using Bytes = std::vector<std::uint8_t>;

snd_seq_event_t event(const std::function<void(snd_seq_event_t&)>& set)
{
    snd_seq_event_t ev;
    snd_seq_ev_clear(&ev);
    set(ev);
    return ev;
}

std::vector<MidiEvent> decoded(const Bytes& bytes)
{
    std::vector<MidiEvent> events;
    MidiDecoder decoder;
    decoder.feed(bytes, [&](const MidiEvent& e) { events.push_back(e); });
    return events;
}

TEST(AlsaEventBytes, SequencerEventsBecomeTheMessagesTheDecoderReads)
{
    Bytes go{0xF0, 0x7F, 0x05, 0x02, 0x01, 0x01, '1', '2', 0xF7};
    Bytes tooLong(AlsaEventBytes::Capacity + 1, 0x01);
    tooLong.front() = 0xF0;
    tooLong.back() = 0xF7;
    struct Case {
        const char* what;
        snd_seq_event_t event;
        Bytes bytes;
        std::vector<MidiEvent> events;
    };
    using K = MidiEvent::Kind;
    const Case cases[] = {
        {"note on",
         event([](auto& e) { snd_seq_ev_set_noteon(&e, 9, 36, 100); }),
         {0x99, 36, 100},
         {{K::NoteOn, 10, 36, 100}}},
        {"note on at velocity 0",
         event([](auto& e) { snd_seq_ev_set_noteon(&e, 0, 60, 0); }),
         {0x90, 60, 0},
         {{K::NoteOff, 1, 60, 0}}},
        {"note off",
         event([](auto& e) { snd_seq_ev_set_noteoff(&e, 15, 1, 64); }),
         {0x8F, 1, 64},
         {{K::NoteOff, 16, 1, 64}}},
        {"control change",
         event([](auto& e) { snd_seq_ev_set_controller(&e, 1, 7, 127); }),
         {0xB1, 7, 127},
         {{K::ControlChange, 2, 7, 127}}},
        {"program change",
         event([](auto& e) { snd_seq_ev_set_pgmchange(&e, 2, 99); }),
         {0xC2, 99},
         {{K::ProgramChange, 3, 99, 0}}},
        {"show control GO to cue 12",
         event([&](auto& e) { snd_seq_ev_set_sysex(&e, static_cast<unsigned>(go.size()), go.data()); }),
         go,
         {{K::ShowGo, 0, 0, 0, 12}}},
        {"pitch bend", event([](auto& e) { snd_seq_ev_set_pitchbend(&e, 0, 0); }), {0xE0, 0x00, 0x40}, {}},
        {"a port announcement", event([](auto& e) { e.type = SND_SEQ_EVENT_PORT_SUBSCRIBED; }), {}, {}},
        {"a system exclusive longer than the buffer",
         event([&](auto& e) { snd_seq_ev_set_sysex(&e, static_cast<unsigned>(tooLong.size()), tooLong.data()); }),
         {},
         {}},
    };
    AlsaEventBytes converter;
    for (const Case& c : cases) {
        const auto span = converter.decode(c.event);
        const Bytes bytes(span.begin(), span.end());
        EXPECT_EQ(bytes, c.bytes) << c.what;
        EXPECT_EQ(decoded(bytes), c.events) << c.what;
    }
    // Each message carries its status: a second note on the same channel is whole too.
    const auto again = converter.decode(event([](auto& e) { snd_seq_ev_set_noteon(&e, 9, 37, 1); }));
    EXPECT_EQ(Bytes(again.begin(), again.end()), (Bytes{0x99, 37, 1}));
}

TEST(AlsaEventBytes, MessagesSentBecomeEventsThatReadBackAsTheSameBytes)
{
    const Bytes quarter{0xF1, 0x35};
    const Bytes fullFrame{0xF0, 0x7F, 0x7F, 0x01, 0x01, 0x41, 0x02, 0x03, 0x04, 0xF7};
    const Bytes note{0x92, 40, 90};
    struct Case {
        const char* what;
        Bytes sent;
        std::vector<Bytes> events;
    };
    const Case cases[] = {
        {"a quarter frame", quarter, {quarter}},
        {"a full frame", fullFrame, {fullFrame}},
        {"three messages at once",
         [&] {
             Bytes all = quarter;
             all.insert(all.end(), fullFrame.begin(), fullFrame.end());
             all.insert(all.end(), note.begin(), note.end());
             return all;
         }(),
         {quarter, fullFrame, note}},
        {"a message cut short", {0x90, 60}, {}},
    };
    for (const Case& c : cases) {
        AlsaEventBytes converter;
        AlsaEventBytes reader;
        std::span<const std::uint8_t> rest(c.sent);
        std::vector<Bytes> events;
        for (snd_seq_event_t ev; converter.encode(rest, ev);) {
            const auto back = reader.decode(ev);
            events.emplace_back(back.begin(), back.end());
        }
        EXPECT_TRUE(rest.empty()) << c.what;
        EXPECT_EQ(events, c.events) << c.what;
    }
}

bool sequencerPresent() { return ::access("/dev/snd/seq", F_OK) == 0; }

// A second client as a controller would be: one port that sends, one that hears.
struct Controller {
    Controller()
    {
        if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0)
            return;
        snd_seq_set_client_name(seq, "Testpult");
        out = snd_seq_create_simple_port(seq, "Tasten", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                         SND_SEQ_PORT_TYPE_MIDI_GENERIC);
        in = snd_seq_create_simple_port(seq, "Lampen", SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
                                        SND_SEQ_PORT_TYPE_MIDI_GENERIC);
    }
    ~Controller()
    {
        if (seq)
            snd_seq_close(seq);
    }
    snd_seq_t* seq = nullptr;
    int out = -1;
    int in = -1;
};

TEST(AlsaSequencer, NotesComeInThroughAConnectedPortAndFeedbackGoesOut)
{
    std::string problem;
    std::unique_ptr<MidiSequencer> opened = AlsaSequencer::open(problem);
    if (!sequencerPresent()) {
        EXPECT_FALSE(opened);
        EXPECT_EQ(problem, "MIDI kann nicht starten: kein ALSA-Sequencer (/dev/snd/seq fehlt).");
        GTEST_SKIP() << "skipped: no ALSA sequencer on this machine (/dev/snd/seq missing)";
    }
    ASSERT_TRUE(opened) << problem;
    auto& ours = static_cast<AlsaSequencer&>(*opened);
    Controller controller;
    ASSERT_NE(controller.seq, nullptr);

    const std::vector<std::string> ports = ours.readablePorts();
    EXPECT_NE(std::find(ports.begin(), ports.end(), "Testpult:Tasten"), ports.end());
    EXPECT_EQ(ours.connectFrom("Testpult:Nichts"), "Der MIDI-Anschluss ist nicht zu finden: Testpult:Nichts");
    ASSERT_EQ(ours.connectFrom("Testpult:Tasten"), "");

    snd_seq_event_t note = event([&](auto& e) { snd_seq_ev_set_noteon(&e, 0, 60, 100); });
    snd_seq_ev_set_source(&note, static_cast<unsigned char>(controller.out));
    snd_seq_ev_set_subs(&note);
    snd_seq_ev_set_direct(&note);
    ASSERT_GE(snd_seq_event_output_direct(controller.seq, &note), 0);
    pollfd wait{ours.descriptor(), POLLIN, 0};
    ASSERT_EQ(::poll(&wait, 1, 2000), 1);
    std::vector<Bytes> received;
    ours.read([&](std::span<const std::uint8_t> bytes) { received.emplace_back(bytes.begin(), bytes.end()); });
    EXPECT_EQ(received, (std::vector<Bytes>{{0x90, 60, 100}}));

    ASSERT_GE(snd_seq_connect_from(controller.seq, controller.in, ours.client(), ours.outputPort()), 0);
    ours.noteOn(3, 61, 127);
    pollfd heard{};
    ASSERT_EQ(snd_seq_poll_descriptors(controller.seq, &heard, 1, POLLIN), 1);
    ASSERT_EQ(::poll(&heard, 1, 2000), 1);
    snd_seq_event_t* back = nullptr;
    ASSERT_GE(snd_seq_event_input(controller.seq, &back), 0);
    ASSERT_EQ(back->type, SND_SEQ_EVENT_NOTEON);
    EXPECT_EQ(back->data.note.channel, 2);
    EXPECT_EQ(back->data.note.note, 61);
    EXPECT_EQ(back->data.note.velocity, 127);

    // Timecode goes out the same way.
    ours.send(Bytes{0xF1, 0x35});
    ASSERT_EQ(::poll(&heard, 1, 2000), 1);
    ASSERT_GE(snd_seq_event_input(controller.seq, &back), 0);
    EXPECT_EQ(back->type, SND_SEQ_EVENT_QFRAME);
    EXPECT_EQ(back->data.control.value, 0x35);
}

}  // namespace
}  // namespace tinctara

#include "control/MidiDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <cstdint>
#include <vector>

namespace tinctara {

void PrintTo(const MidiEvent& e, std::ostream* out)
{
    *out << "{kind " << static_cast<int>(e.kind) << ", channel " << e.channel << ", " << e.number << ", " << e.value
         << ", cue " << e.cue << "}";
}

namespace {

using Kind = MidiEvent::Kind;
using Bytes = std::vector<std::uint8_t>;

MidiEvent note(int channel, int number, int velocity)
{
    return {velocity > 0 ? Kind::NoteOn : Kind::NoteOff, channel, number, velocity, -1};
}
MidiEvent noteOff(int channel, int number, int velocity) { return {Kind::NoteOff, channel, number, velocity, -1}; }
MidiEvent cc(int channel, int number, int value) { return {Kind::ControlChange, channel, number, value, -1}; }
MidiEvent program(int channel, int number) { return {Kind::ProgramChange, channel, number, 0, -1}; }
MidiEvent show(Kind kind, int cue = -1) { return {kind, 0, 0, 0, cue}; }

// F0 7F <device> 02 01 <command> <data> F7: show control for lighting.
Bytes msc(std::uint8_t device, std::uint8_t command, const Bytes& data = {})
{
    Bytes bytes = {0xF0, 0x7F, device, 0x02, 0x01, command};
    bytes.insert(bytes.end(), data.begin(), data.end());
    bytes.push_back(0xF7);
    return bytes;
}
Bytes ascii(const char* text) { return Bytes(text, text + std::char_traits<char>::length(text)); }
Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::vector<MidiEvent> decode(MidiDecoder decoder, const Bytes& bytes, std::size_t piece)
{
    std::vector<MidiEvent> events;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        const std::size_t length = std::min(piece, bytes.size() - at);
        decoder.feed(std::span(bytes.data() + at, length), [&](const MidiEvent& e) { events.push_back(e); });
    }
    return events;
}

TEST(MidiDecoder, StreamsDecodeTheSameInPiecesOfAnySize)
{
    struct Case {
        const char* name;
        Bytes bytes;
        std::vector<MidiEvent> events;
        std::uint8_t device = MidiDecoder::AllCall;
    };
    // A GO for cue 4 whose list runs on: 257 and 256 bytes between F0 and F7.
    const Bytes longSysEx = join({{0xF0, 0x7F, 0x7F, 0x02, 0x01, 0x01, '4', 0x00}, Bytes(250, 0x11), {0xF7}});
    const Bytes longestSysEx = join({{0xF0, 0x7F, 0x7F, 0x02, 0x01, 0x01, '4', 0x00}, Bytes(249, 0x11), {0xF7}});
    const Case cases[] = {
        {"note on and off", {0x90, 60, 100, 0x80, 60, 64}, {note(1, 60, 100), noteOff(1, 60, 64)}},
        {"velocity 0 is a note off", {0x9F, 0, 0}, {noteOff(16, 0, 0)}},
        {"control change", {0xB3, 7, 127}, {cc(4, 7, 127)}},
        {"program change", {0xC0, 0, 0xCF, 127}, {program(1, 0), program(16, 127)}},
        {"running status", {0x91, 1, 2, 3, 0, 5, 6}, {note(2, 1, 2), noteOff(2, 3, 0), note(2, 5, 6)}},
        {"running program changes", {0xC4, 1, 2, 3}, {program(5, 1), program(5, 2), program(5, 3)}},
        {"aftertouch and pitch bend keep their data to themselves",
         {0xA0, 1, 2, 0xD0, 3, 4, 0xE0, 5, 6, 7, 8, 0xB0, 9, 10},
         {cc(1, 9, 10)}},
        {"real-time bytes inside a message", {0x90, 0xF8, 60, 0xFE, 0xFA, 100, 0xFF}, {note(1, 60, 100)}},
        {"real-time bytes inside show control",
         {0xF0, 0xF8, 0x7F, 0x00, 0x02, 0xFE, 0x01, 0x01, '1', 0xF8, '2', 0xF7},
         {show(Kind::ShowGo, 12)}},
        {"a status byte cuts a message short", {0x90, 60, 0xB0, 7, 0x80}, {}},
        {"the message after a cut one", {0x90, 60, 0xB0, 7, 99}, {cc(1, 7, 99)}},
        {"data without status", {1, 2, 3, 0x7F, 0x90, 1, 2}, {note(1, 1, 2)}},
        {"system common ends running status", {0x90, 1, 2, 0xF1, 3, 4, 5, 0xF6, 6, 7}, {note(1, 1, 2)}},
        {"a stray end of exclusive", {0xF7, 1, 2, 0xB1, 1, 2}, {cc(2, 1, 2)}},
        {"go", msc(0x7F, 0x01), {show(Kind::ShowGo)}},
        {"stop", msc(0x7F, 0x02), {show(Kind::ShowStop)}},
        {"resume", msc(0x7F, 0x03), {show(Kind::ShowResume)}},
        {"go with a cue", msc(0x05, 0x01, ascii("235")), {show(Kind::ShowGo, 235)}},
        {"go with a point cue", msc(0x05, 0x01, ascii("12.5")), {show(Kind::ShowGo, 12)}},
        {"go with cue, list and path",
         msc(0x05, 0x01, join({ascii("7"), {0}, ascii("3"), {0}, ascii("1")})),
         {show(Kind::ShowGo, 7)}},
        {"an empty cue", msc(0x05, 0x01, {0x00}), {show(Kind::ShowGo)}},
        {"a cue that is no number", msc(0x05, 0x01, ascii("1a")), {}},
        {"a cue that starts with a point", msc(0x05, 0x01, ascii(".5")), {}},
        {"a cue too long for a number", msc(0x05, 0x01, ascii("1234567890")), {}},
        {"an unknown command", msc(0x7F, 0x0A), {}},
        {"our device", msc(0x05, 0x01), {show(Kind::ShowGo)}, 0x05},
        {"all-call reaches every device", msc(0x7F, 0x02), {show(Kind::ShowStop)}, 0x05},
        {"another device", msc(0x06, 0x01), {}, 0x05},
        {"other system exclusive", {0xF0, 0x43, 0x10, 0x4C, 0x00, 0xF7, 0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}, {}},
        {"a show control too short", {0xF0, 0x7F, 0x7F, 0x02, 0x01, 0xF7}, {}},
        {"an exclusive cut by a status byte",
         join({{0xF0, 0x7F, 0x7F, 0x02, 0x01, 0x01, 0x90, 1, 2}, {0xF7}}),
         {note(1, 1, 2)}},
        {"an exclusive cut by another", join({{0xF0, 0x7F, 0x7F, 0x02}, msc(0x7F, 0x03)}), {show(Kind::ShowResume)}},
        {"an exclusive over the limit is dropped whole", join({longSysEx, {0x90, 1, 2}}), {note(1, 1, 2)}},
        {"an exclusive at the limit", longestSysEx, {show(Kind::ShowGo, 4)}},
        {"garbage", {0x00, 0xF4, 0x12, 0xF5, 0xF9, 0xFD, 0x85, 0x01, 0xF2, 0x01, 0x02, 0x03}, {}},
        {"a message left open", {0xB0, 7}, {}},
    };
    for (const Case& c : cases)
        for (const std::size_t piece : {c.bytes.size() + 1, std::size_t{1}, std::size_t{3}})
            EXPECT_EQ(decode(MidiDecoder(c.device), c.bytes, piece), c.events) << c.name << ", pieces of " << piece;
}

TEST(MidiDecoder, AMessageLeftOpenIsFinishedByTheNextPiece)
{
    MidiDecoder decoder;
    EXPECT_FALSE(decoder.push(0x90));
    EXPECT_FALSE(decoder.push(60));
    EXPECT_EQ(decoder.push(1), note(1, 60, 1));
    EXPECT_FALSE(decoder.push(61));
    EXPECT_EQ(decoder.push(0), noteOff(1, 61, 0));  // running status outlives the piece
}

}  // namespace
}  // namespace tinctara

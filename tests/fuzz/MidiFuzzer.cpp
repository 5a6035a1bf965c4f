// The MIDI decoder, fed what a port may deliver. The first byte picks the
// device ID to filter on and the sizes of the pieces the rest arrives in.
// Beside any crash or out-of-bounds access, an event outside MIDI's ranges is
// a finding, as is a stream that decodes otherwise in pieces than whole.
#include "control/MidiDecoder.h"
#include "FuzzRequire.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

namespace {

using namespace tinctara;

void require(bool condition, const char* what) { fuzz::require(condition, "midi", what); }

void check(const MidiEvent& e)
{
    const bool showControl = e.kind == MidiEvent::Kind::ShowGo || e.kind == MidiEvent::Kind::ShowStop ||
                             e.kind == MidiEvent::Kind::ShowResume;
    if (showControl) {
        require(e.channel == 0 && e.number == 0 && e.value == 0, "show control with channel data");
        require(e.cue >= -1, "a negative cue");
        return;
    }
    require(e.channel >= 1 && e.channel <= 16, "a channel outside 1..16");
    require(e.number >= 0 && e.number <= 127 && e.value >= 0 && e.value <= 127, "a data value outside 0..127");
    require(e.cue == -1, "a cue on a channel message");
    require(e.kind != MidiEvent::Kind::NoteOn || e.value > 0, "a note on with velocity 0");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t choice = data[0];
    const std::span<const std::uint8_t> stream(data + 1, size - 1);
    const std::uint8_t device = choice & 0x80 ? MidiDecoder::AllCall : choice & 0x7F;

    std::vector<MidiEvent> whole;
    MidiDecoder once(device);
    once.feed(stream, [&](const MidiEvent& e) {
        check(e);
        whole.push_back(e);
    });

    std::vector<MidiEvent> pieced;
    MidiDecoder inPieces(device);
    const std::size_t piece = 1 + (choice & 0x07);
    for (std::size_t at = 0; at < stream.size(); at += piece)
        inPieces.feed(stream.subspan(at, std::min(piece, stream.size() - at)),
                      [&](const MidiEvent& e) { pieced.push_back(e); });
    require(pieced == whole, "pieces decode otherwise than the whole stream");
    return 0;
}

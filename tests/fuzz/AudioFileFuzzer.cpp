// Sound files as anyone may hand them over, read from memory through
// libsndfile's virtual I/O and analysed. Beside any crash or out-of-bounds
// access, a refused file without the program's text, an accepted header
// outside the limits, a sample outside -1..1 or a read beyond what was asked
// is a finding.
#include "FuzzRequire.h"
#include "audio/MusicAnalysis.h"
#include "audio/SoundFileSource.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace tinctara;

void require(bool condition, const char* what) { fuzz::require(condition, "audio_file", what); }

class Count final : public MusicEventSink {
public:
    void musicEvent(const MusicEvent& e) override
    {
        require(std::isfinite(e.seconds) && e.seconds >= 0.0, "an event before the start");
        if (e.kind == MusicEventKind::Level)
            require(e.level >= 0.0F && e.level <= 1.0F, "a level outside 0..1");
    }
};

}  // namespace

// libsndfile's Ogg reader loses the Vorbis header it was building when a
// damaged stream makes it give up (a plain C program over libsndfile leaks
// the same); that is theirs, not ours to find again and again.
extern "C" const char* __lsan_default_suppressions() { return "leak:libvorbis.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto opened = SoundFileSource::openBytes(std::vector<std::uint8_t>(data, data + size), "fuzz.wav");
    if (auto* error = std::get_if<std::string>(&opened)) {
        require(error->rfind("Die Audiodatei fuzz.wav kann nicht gelesen werden: ", 0) == 0,
                "an error without the program's text");
        return 0;
    }
    SoundFileSource& source = *std::get<std::unique_ptr<SoundFileSource>>(opened);
    require(source.channels() >= 1 && source.channels() <= SoundFileMaxChannels, "a channel count beyond the limits");
    require(source.sampleRate() >= SoundFileMinRate && source.sampleRate() <= SoundFileMaxRate,
            "a rate beyond the limits");

    // Compressed formats may unpack to far more than they take; two seconds
    // show what the reader does with the header and the first frames.
    MusicAnalysis analysis(source.sampleRate());
    Count sink;
    std::vector<float> block(1500);
    std::size_t total = 0;
    while (!source.ended() && total < 2 * static_cast<std::size_t>(source.sampleRate())) {
        const std::size_t got = source.read(block);
        require(got <= block.size(), "more samples than asked for");
        for (std::size_t i = 0; i < got; ++i)
            require(block[i] >= -1.0F && block[i] <= 1.0F, "a sample outside -1..1");
        analysis.feed(std::span<const float>(block).first(got), sink);
        total += got;
        if (got == 0)
            break;
    }
    if (!source.error().empty())
        require(source.error().rfind("Die Audiodatei fuzz.wav kann nicht gelesen werden: ", 0) == 0,
                "a read error without the program's text");
    return 0;
}

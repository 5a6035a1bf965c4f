#pragma once

#include "audio/SoundFileSource.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace tinctara {

class SongReader;
// The opened song, or SoundFileSource's text why it could not be.
using SongOpened = std::variant<std::unique_ptr<SongReader>, std::string>;

// A song for playback: 16-bit frames at the file's own channels and rate,
// interleaved, as a sound card takes them. Read on the show's thread in
// small pieces; nothing is resampled.
class SongReader {
public:
    static SongOpened open(const std::string& path);

    int sampleRate() const { return file_->sampleRate(); }
    int channels() const { return file_->channels(); }
    std::size_t bytesPerFrame() const { return 2 * static_cast<std::size_t>(channels()); }
    // Whole frames into `out` (its size rounded down to whole frames);
    // returns the frames written, fewer only at the end of the song.
    std::size_t read(std::span<std::int16_t> out);
    bool ended() const { return file_->ended(); }
    const std::string& error() const { return file_->error(); }
    // Frames handed out so far.
    std::int64_t framesRead() const { return framesRead_; }

private:
    explicit SongReader(std::unique_ptr<SoundFileSource> file);

    std::unique_ptr<SoundFileSource> file_;
    std::vector<float> buffer_;
    std::int64_t framesRead_ = 0;
};

// A sample -1..1 as a 16-bit one, rounded.
std::int16_t toSample16(float sample);

}  // namespace tinctara

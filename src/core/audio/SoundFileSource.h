#pragma once

#include "audio/AudioSource.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <variant>
#include <vector>

struct sf_private_tag;

namespace tinctara {

// Rates and channel counts a sound file may claim; anything else is a damaged
// header, not music.
inline constexpr int SoundFileMinRate = 8000;
inline constexpr int SoundFileMaxRate = 192000;
inline constexpr int SoundFileMaxChannels = 8;

class SoundFileSource;
// The opened file, or why it could not be: "Die Audiodatei NAME kann nicht
// gelesen werden: REASON".
using SoundFileOpened = std::variant<std::unique_ptr<SoundFileSource>, std::string>;

// A sound file (WAV, FLAC, OGG, MP3, whatever libsndfile reads), its channels
// mixed down to mono.
class SoundFileSource final : public AudioSource {
public:
    static SoundFileOpened open(const std::string& path);
    // The same over bytes in memory (the fuzzer's input); `name` goes into
    // the error text.
    static SoundFileOpened openBytes(std::vector<std::uint8_t> bytes, const std::string& name);

    ~SoundFileSource() override;
    SoundFileSource(const SoundFileSource&) = delete;
    SoundFileSource& operator=(const SoundFileSource&) = delete;

    int sampleRate() const override { return rate_; }
    int channels() const { return channels_; }
    // Frames the header announces (may be more than the file holds).
    std::int64_t frames() const { return frames_; }
    std::size_t read(std::span<float> out) override;
    // Whole frames at the file's channels, interleaved, each sample -1..1:
    // what playback needs. Returns the frames read; fewer than fit only at
    // the end.
    std::size_t readInterleaved(std::span<float> out);
    bool ended() const override { return ended_; }
    const std::string& error() const override { return error_; }

    struct Memory;  // the bytes behind openBytes, read through virtual I/O

private:
    SoundFileSource() = default;
    static SoundFileOpened finishOpen(std::unique_ptr<SoundFileSource> source, sf_private_tag* file, int rate,
                                      int channels, std::int64_t frames, const std::string& name);

    sf_private_tag* file_ = nullptr;
    std::unique_ptr<Memory> memory_;
    std::string name_;
    int rate_ = 0;
    int channels_ = 0;
    std::int64_t frames_ = 0;
    std::vector<float> interleaved_;
    bool ended_ = false;
    std::string error_;
};

// The program's text for a sound file that cannot be opened or read.
std::string soundFileError(const std::string& name, const std::string& reason);

}  // namespace tinctara

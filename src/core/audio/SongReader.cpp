#include "audio/SongReader.h"

#include <algorithm>
#include <cmath>

namespace tinctara {

namespace {

// Frames decoded at once; a larger request is read in pieces.
constexpr std::size_t ChunkFrames = 2048;

}  // namespace

std::int16_t toSample16(float sample)
{
    return static_cast<std::int16_t>(std::lround(std::clamp(sample, -1.0F, 1.0F) * 32767.0F));
}

SongOpened SongReader::open(const std::string& path)
{
    SoundFileOpened opened = SoundFileSource::open(path);
    if (auto* error = std::get_if<std::string>(&opened))
        return std::move(*error);
    return std::unique_ptr<SongReader>(new SongReader(std::move(std::get<std::unique_ptr<SoundFileSource>>(opened))));
}

SongReader::SongReader(std::unique_ptr<SoundFileSource> file)
    : file_(std::move(file)), buffer_(ChunkFrames * static_cast<std::size_t>(file_->channels()))
{
}

std::size_t SongReader::read(std::span<std::int16_t> out)
{
    const auto width = static_cast<std::size_t>(channels());
    const std::size_t frames = out.size() / width;
    std::size_t done = 0;
    while (done < frames && !file_->ended()) {
        const std::size_t want = std::min(ChunkFrames, frames - done);
        const std::size_t got = file_->readInterleaved(std::span<float>(buffer_).first(want * width));
        std::transform(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(got * width),
                       out.begin() + static_cast<std::ptrdiff_t>(done * width), toSample16);
        done += got;
    }
    framesRead_ += static_cast<std::int64_t>(done);
    return done;
}

}  // namespace tinctara

#include "audio/SoundFileSource.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tinctara {

namespace {

// Frames read from libsndfile at once; a longer request is read in pieces,
// so the buffer is sized once at open.
constexpr std::size_t ChunkFrames = 4096;

}  // namespace

struct SoundFileSource::Memory {
    std::vector<std::uint8_t> bytes;
    sf_count_t position = 0;

    static sf_count_t length(void* self) { return static_cast<sf_count_t>(static_cast<Memory*>(self)->bytes.size()); }
    static sf_count_t seek(sf_count_t offset, int whence, void* self)
    {
        auto& m = *static_cast<Memory*>(self);
        const auto size = static_cast<sf_count_t>(m.bytes.size());
        sf_count_t base = 0;
        if (whence == SEEK_CUR) {
            base = m.position;
        } else if (whence == SEEK_END) {
            base = size;
        }
        // Offsets from damaged headers may be anything; keep the sum defined.
        if ((offset > 0 && base > size - offset) || offset < -base) {
            return -1;
        }
        m.position = base + offset;
        return m.position;
    }
    static sf_count_t read(void* out, sf_count_t count, void* self)
    {
        auto& m = *static_cast<Memory*>(self);
        const auto size = static_cast<sf_count_t>(m.bytes.size());
        const sf_count_t available = m.position < size ? size - m.position : 0;
        const sf_count_t n = std::clamp<sf_count_t>(count, 0, available);
        if (n > 0) {
            std::memcpy(out, m.bytes.data() + m.position, static_cast<std::size_t>(n));
            m.position += n;
        }
        return n;
    }
    static sf_count_t write(const void*, sf_count_t, void*) { return 0; }
    static sf_count_t tell(void* self) { return static_cast<Memory*>(self)->position; }
};

std::string soundFileError(const std::string& name, const std::string& reason)
{
    return "Die Audiodatei " + name + " kann nicht gelesen werden: " + reason;
}

SoundFileOpened SoundFileSource::open(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        return soundFileError(path, sf_strerror(nullptr));
    }
    return finishOpen(std::unique_ptr<SoundFileSource>(new SoundFileSource), file, info.samplerate, info.channels,
                      info.frames, path);
}

SoundFileOpened SoundFileSource::openBytes(std::vector<std::uint8_t> bytes, const std::string& name)
{
    std::unique_ptr<SoundFileSource> source(new SoundFileSource);
    source->memory_ = std::make_unique<Memory>();
    source->memory_->bytes = std::move(bytes);
    SF_VIRTUAL_IO io{&Memory::length, &Memory::seek, &Memory::read, &Memory::write, &Memory::tell};
    SF_INFO info{};
    SNDFILE* file = sf_open_virtual(&io, SFM_READ, &info, source->memory_.get());
    if (file == nullptr) {
        return soundFileError(name, sf_strerror(nullptr));
    }
    return finishOpen(std::move(source), file, info.samplerate, info.channels, info.frames, name);
}

SoundFileOpened SoundFileSource::finishOpen(std::unique_ptr<SoundFileSource> source, SNDFILE* file, int rate,
                                            int channels, std::int64_t frames, const std::string& name)
{
    source->file_ = file;  // closed by the destructor from here on
    source->name_ = name;
    if (channels < 1 || channels > SoundFileMaxChannels) {
        return soundFileError(name, "unmögliche Kanalzahl " + std::to_string(channels));
    }
    if (rate < SoundFileMinRate || rate > SoundFileMaxRate) {
        return soundFileError(name, "unmögliche Abtastrate " + std::to_string(rate) + " Hz");
    }
    source->rate_ = rate;
    source->channels_ = channels;
    source->frames_ = frames;
    source->interleaved_.resize(ChunkFrames * static_cast<std::size_t>(channels));
    return source;
}

SoundFileSource::~SoundFileSource()
{
    if (file_ != nullptr) {
        sf_close(file_);
    }
}

std::size_t SoundFileSource::readInterleaved(std::span<float> out)
{
    const auto channels = static_cast<std::size_t>(channels_);
    const std::size_t want = out.size() / channels;
    if (ended_ || want == 0) {
        return 0;
    }
    const sf_count_t got = sf_readf_float(file_, out.data(), static_cast<sf_count_t>(want));
    if (got <= 0 || static_cast<std::size_t>(got) < want) {
        ended_ = true;
        if (sf_error(file_) != SF_ERR_NO_ERROR) {
            error_ = soundFileError(name_, sf_strerror(file_));
        }
    }
    const auto frames = static_cast<std::size_t>(std::max<sf_count_t>(got, 0));
    // Float files may hold anything; what leaves is -1..1.
    for (float& sample : out.first(frames * channels)) {
        sample = std::isfinite(sample) ? std::clamp(sample, -1.0F, 1.0F) : 0.0F;
    }
    return frames;
}

std::size_t SoundFileSource::read(std::span<float> out)
{
    std::size_t written = 0;
    const auto channels = static_cast<std::size_t>(channels_);
    while (!ended_ && written < out.size()) {
        const std::size_t want = std::min(ChunkFrames, out.size() - written);
        const std::size_t got = readInterleaved(std::span<float>(interleaved_).first(want * channels));
        for (std::size_t frame = 0; frame < got; ++frame) {
            float sum = 0.0F;
            for (std::size_t c = 0; c < channels; ++c) {
                sum += interleaved_[frame * channels + c];
            }
            out[written++] = sum / static_cast<float>(channels);
        }
    }
    return written;
}

}  // namespace tinctara

#include "support/ClickTrack.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>

namespace tinctara::testing {

namespace {

void addClick(std::vector<float>& samples, std::size_t at, int rate, float gain)
{
    // A fixed noise generator: the same file every run.
    std::uint32_t noise = 0x1234567U;
    const auto length = static_cast<std::size_t>(rate / 25);  // 40 ms
    for (std::size_t i = 0; i < length && at + i < samples.size(); ++i) {
        noise = noise * 1664525U + 1013904223U;
        const double t = static_cast<double>(i) / rate;
        const double white = static_cast<double>(noise >> 8) / (1 << 23) - 1.0;
        const double thump = std::sin(2.0 * std::numbers::pi * 80.0 * t);
        const double value = (0.6 * white * std::exp(-t / 0.004) + 0.6 * thump * std::exp(-t / 0.015)) * gain;
        samples[at + i] = std::clamp(static_cast<float>(samples[at + i] + value), -1.0F, 1.0F);
    }
}

}  // namespace

ClickTrack clickTrack(const std::vector<TempoStretch>& stretches, double seconds, int sampleRate, float gain)
{
    ClickTrack track = silentTrack(seconds, sampleRate);
    // A hiss 60 dB down, as any recording has: aubio drops a beat that falls
    // into digital silence, which music never is.
    std::uint32_t hiss = 0x2468aceU;
    for (float& sample : track.samples) {
        hiss = hiss * 1664525U + 1013904223U;
        sample = static_cast<float>((static_cast<double>(hiss >> 8) / (1 << 23) - 1.0) * 0.001);
    }
    double t = stretches.front().fromSeconds;
    while (t < seconds) {
        double bpm = stretches.front().bpm;
        for (const TempoStretch& stretch : stretches) {
            if (stretch.fromSeconds <= t + 1e-9) {
                bpm = stretch.bpm;
            }
        }
        track.clicks.push_back(t);
        addClick(track.samples, static_cast<std::size_t>(std::lround(t * sampleRate)), sampleRate, gain);
        t += 60.0 / bpm;
    }
    return track;
}

ClickTrack silentTrack(double seconds, int sampleRate)
{
    ClickTrack track;
    track.sampleRate = sampleRate;
    track.samples.assign(static_cast<std::size_t>(std::lround(seconds * sampleRate)), 0.0F);
    return track;
}

bool writeSoundFile(const std::string& path, const std::vector<float>& interleaved, int sampleRate, int channels,
                    int format)
{
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = format != 0 ? format : SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        return false;
    }
    const auto frames = static_cast<sf_count_t>(interleaved.size() / static_cast<std::size_t>(channels));
    const bool written = sf_writef_float(file, interleaved.data(), frames) == frames;
    return sf_close(file) == 0 && written;
}

AudioFolder::AudioFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tinctara-audio-XXXXXX").string();
    root = ::mkdtemp(pattern.data());
}

AudioFolder::~AudioFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

}  // namespace tinctara::testing

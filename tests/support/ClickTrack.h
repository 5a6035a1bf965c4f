#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tinctara::testing {

// A stretch of a click track: from `fromSeconds` on, clicks at `bpm`.
struct TempoStretch {
    double fromSeconds;
    double bpm;
};

// Synthetic music whose beats are known: mono samples and the click times.
struct ClickTrack {
    std::vector<float> samples;
    int sampleRate = 44100;
    std::vector<double> clicks;
};

// Clicks (a short decaying noise burst over a low thump) on a faint hiss
// through the stretches, for `seconds`; `gain` above 1 drives them into clipping at full
// scale, as an over-loud recording is.
ClickTrack clickTrack(const std::vector<TempoStretch>& stretches, double seconds, int sampleRate = 44100,
                      float gain = 0.7F);
ClickTrack silentTrack(double seconds, int sampleRate = 44100);

// Writes interleaved samples with libsndfile; `format` is an SF_FORMAT_*
// combination (16-bit WAV unless given). False when libsndfile refuses.
bool writeSoundFile(const std::string& path, const std::vector<float>& interleaved, int sampleRate, int channels = 1,
                    int format = 0);

// A temporary folder, removed with everything in it.
struct AudioFolder {
    AudioFolder();
    ~AudioFolder();
    AudioFolder(const AudioFolder&) = delete;
    AudioFolder& operator=(const AudioFolder&) = delete;
    std::string path(const std::string& name) const { return (root / name).string(); }
    std::filesystem::path root;
};

}  // namespace tinctara::testing

#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tinctara {

enum class MusicEventKind : std::uint8_t { Beat, Onset, Level };

// What the analysis found, stamped with the stream time it belongs to
// (sample position / rate, from the first sample fed).
struct MusicEvent {
    MusicEventKind kind = MusicEventKind::Level;
    double seconds = 0.0;
    float level = 0.0F;  // Level: RMS of the hop, 0..1
    float bpm = 0.0F;    // Beat: the tempo at this beat (0 while not yet known)
};

class MusicEventSink {
public:
    virtual ~MusicEventSink() = default;
    virtual void musicEvent(const MusicEvent& event) = 0;
};

// Samples a hop holds: about 11 ms at 44.1/48 kHz, finer than the 50 ms tick.
inline constexpr std::size_t MusicHop = 512;
inline constexpr std::size_t MusicWindow = 2 * MusicHop;

// Beats, onsets and level of a mono stream, hop by hop. Fed blocks of any
// size; every full hop gives a Level event and, when aubio finds them, a Beat
// and an Onset. Allocates only when made.
class MusicAnalysis {
public:
    explicit MusicAnalysis(int sampleRate);
    ~MusicAnalysis();
    MusicAnalysis(const MusicAnalysis&) = delete;
    MusicAnalysis& operator=(const MusicAnalysis&) = delete;

    void feed(std::span<const float> samples, MusicEventSink& sink);

    int sampleRate() const { return rate_; }
    // The current tempo estimate and its beat period; 0 until one is found.
    double bpm() const;
    double beatPeriodSeconds() const;

private:
    void analyseHop(MusicEventSink& sink);

    struct Aubio;  // aubio's objects, kept out of this header
    int rate_;
    std::unique_ptr<Aubio> aubio_;
    std::size_t filled_ = 0;
    std::uint64_t hopsDone_ = 0;
};

// A whole file analysed at once, for the CLI and the laying of a sequence
// onto a song.
struct FileAnalysis {
    std::string error;  // the program's text; empty when the file was read to its end
    int sampleRate = 0;
    double seconds = 0.0;  // length read
    std::vector<double> beats;
    std::vector<double> onsets;
    // The tempo the beats keep longest (the median over spans of eight
    // beats); aubio's own estimate when fewer beats were found.
    double bpm = 0.0;
    double beatPeriodSeconds = 0.0;
    // One RMS value (0..1) per hop of levelHopSeconds.
    std::vector<float> levels;
    double levelHopSeconds = 0.0;
};

FileAnalysis analyseFile(const std::string& path);

class AudioSource;
// The same for any source (the file's analysis and the tests use it).
FileAnalysis analyseSource(AudioSource& source);

}  // namespace tinctara

#include "audio/AudioSource.h"
#include "audio/MusicAnalysis.h"
#include "audio/SoundFileSource.h"
#include "support/ClickTrack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

namespace tinctara {
namespace {

using testing::AudioFolder;
using testing::ClickTrack;
using testing::clickTrack;

// One tick of the output: a beat nearer than that to its click lands on the
// right tick.
constexpr double Tolerance = 0.050;
// aubio's beat tracker fills a window of about six seconds before its first
// tempo guess, and its first beats after that still wander while the
// guess settles; what it finds before this is not held against it.
constexpr double StartUp = 8.0;

double nearest(const std::vector<double>& times, double t)
{
    double best = 1e9;
    for (double x : times) {
        best = std::min(best, std::abs(x - t));
    }
    return best;
}

// Every click in [from, to) has a beat within the tolerance, and every beat
// in it a click: no beat missed, none made up.
void expectBeatsOnClicks(const std::vector<double>& beats, const std::vector<double>& clicks, double from, double to,
                         const std::string& what)
{
    int checked = 0;
    for (double click : clicks) {
        if (click >= from && click < to) {
            EXPECT_LE(nearest(beats, click), Tolerance) << what << ": no beat at the click at " << click << " s";
            ++checked;
        }
    }
    for (double beat : beats) {
        if (beat >= from + Tolerance && beat < to - Tolerance) {
            EXPECT_LE(nearest(clicks, beat), Tolerance) << what << ": beat at " << beat << " s without a click";
        }
    }
    EXPECT_GT(checked, 10) << what;
}

struct ClickCase {
    const char* name;
    std::vector<testing::TempoStretch> stretches;
    float gain;
    double bpm;  // the tempo kept longest
    double bpmTolerance;
    // A change of tempo makes the tracker settle again; skipped like the start.
    double settleFrom = 0.0;
    double settleTo = 0.0;
};

std::vector<ClickCase> clickCases()
{
    return {
        {"90 BPM", {{0.5, 90.0}}, 0.7F, 90.0, 0.5},
        {"120 BPM", {{0.5, 120.0}}, 0.7F, 120.0, 0.5},
        {"128 BPM", {{0.5, 128.0}}, 0.7F, 128.0, 0.5},
        // The tracker keeps the old tempo for a while after the change, so
        // the slower one has the most beats; spans across the change blur it.
        {"100 to 140 BPM", {{0.5, 100.0}, {15.0, 140.0}}, 0.7F, 100.0, 3.0, 15.0, 15.0 + StartUp},
        {"clipped 120 BPM", {{0.5, 120.0}}, 6.0F, 120.0, 0.5},
    };
}

TEST(MusicAnalysis, BeatsOfClickTracksFallOnTheClicks)
{
    AudioFolder folder;
    for (const ClickCase& c : clickCases()) {
        const ClickTrack track = clickTrack(c.stretches, 30.0, 44100, c.gain);
        const std::string path = folder.path("clicks.wav");
        ASSERT_TRUE(testing::writeSoundFile(path, track.samples, track.sampleRate)) << c.name;

        const FileAnalysis analysis = analyseFile(path);
        ASSERT_EQ(analysis.error, "") << c.name;
        if (c.settleTo > 0.0) {
            expectBeatsOnClicks(analysis.beats, track.clicks, StartUp, c.settleFrom, c.name);
            expectBeatsOnClicks(analysis.beats, track.clicks, c.settleTo, 30.0, c.name);
        } else {
            expectBeatsOnClicks(analysis.beats, track.clicks, StartUp, 30.0, c.name);
        }
        EXPECT_NEAR(analysis.bpm, c.bpm, c.bpmTolerance) << c.name;
        EXPECT_NEAR(analysis.beatPeriodSeconds * analysis.bpm, 60.0, 1e-9) << c.name;
        EXPECT_NEAR(analysis.seconds, 30.0, 0.001) << c.name;
        const auto loudest = *std::max_element(analysis.levels.begin(), analysis.levels.end());
        EXPECT_GT(loudest, 0.05F) << c.name;
        EXPECT_LE(loudest, 1.0F) << c.name;
    }
}

}  // namespace
}  // namespace tinctara

#include "audio/AudioSource.h"
#include "audio/MusicAnalysis.h"
#include "audio/SoundFileSource.h"
#include "support/ClickTrack.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
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

TEST(MusicAnalysis, SilenceHasNoBeatsAndNoLevel)
{
    AudioFolder folder;
    const ClickTrack track = testing::silentTrack(30.0);
    const std::string path = folder.path("silence.wav");
    ASSERT_TRUE(testing::writeSoundFile(path, track.samples, track.sampleRate));
    const FileAnalysis analysis = analyseFile(path);
    EXPECT_EQ(analysis.error, "");
    EXPECT_TRUE(analysis.beats.empty());
    EXPECT_TRUE(analysis.onsets.empty());
    EXPECT_EQ(analysis.levels.size(), 30 * 44100 / MusicHop);
    EXPECT_TRUE(std::all_of(analysis.levels.begin(), analysis.levels.end(), [](float l) { return l == 0.0F; }));
}

// aubio's own command-line tracker reads the file with its own code; the
// beats it finds with the same window and hop must be ours.
TEST(MusicAnalysis, BeatsAgreeWithAubiotrack)
{
    if (std::system("command -v aubiotrack >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "aubiotrack is not installed (Debian package aubio-tools); no reference to compare with";
    }
    AudioFolder folder;
    for (double bpm : {90.0, 128.0}) {
        const ClickTrack track = clickTrack({{0.5, bpm}}, 30.0);
        const std::string path = folder.path("clicks.wav");
        ASSERT_TRUE(testing::writeSoundFile(path, track.samples, track.sampleRate));
        const std::string listing = folder.path("beats.txt");
        const std::string command = "aubiotrack -B " + std::to_string(MusicWindow) + " -H " + std::to_string(MusicHop) +
                                    " -i '" + path + "' > '" + listing + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        std::ifstream in(listing);
        std::vector<double> reference;
        for (double t = 0; in >> t;) {
            reference.push_back(t);
        }
        const FileAnalysis analysis = analyseFile(path);
        ASSERT_GT(reference.size(), 10U) << bpm;
        EXPECT_EQ(analysis.beats.size(), reference.size()) << bpm;
        expectBeatsOnClicks(analysis.beats, reference, StartUp, 30.0, "aubiotrack");
    }
}

// A file that is not (or no longer) music: the program's text with
// libsndfile's reason or ours, and nothing read.
TEST(SoundFileSource, RefusesWhatIsNoSoundFile)
{
    AudioFolder folder;
    const ClickTrack track = clickTrack({{0.5, 120.0}}, 1.0);
    const std::string good = folder.path("good.wav");
    ASSERT_TRUE(testing::writeSoundFile(good, track.samples, track.sampleRate));
    std::ifstream in(good, std::ios::binary);
    const std::string wav((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The canonical header: channels at 22 (16 bit), rate at 24 (32 bit).
    auto patched = [&](std::size_t at, std::uint32_t value, std::size_t width) {
        std::string bytes = wav;
        for (std::size_t i = 0; i < width; ++i) {
            bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
        }
        return bytes;
    };
    struct Case {
        const char* name;
        std::string bytes;
        const char* reason;  // ours, or empty for libsndfile's
    };
    const std::vector<Case> cases = {
        {"text.wav", "Dies ist keine Musik.\r\n", ""},
        {"empty.wav", "", ""},
        {"header-cut.wav", wav.substr(0, 30), ""},
        {"no-channels.wav", patched(22, 0, 2), ""},
        {"slow.wav", patched(24, 1000, 4), "unmögliche Abtastrate 1000 Hz"},
        {"fast.wav", patched(24, 384000, 4), "unmögliche Abtastrate 384000 Hz"},
        {"many.wav", patched(22, 9, 2), ""},
    };
    for (const Case& c : cases) {
        const std::string path = folder.path(c.name);
        std::ofstream(path, std::ios::binary) << c.bytes;
        const std::string prefix = "Die Audiodatei " + path + " kann nicht gelesen werden: ";
        const FileAnalysis analysis = analyseFile(path);
        ASSERT_EQ(analysis.error.substr(0, prefix.size()), prefix) << c.name << ": " << analysis.error;
        EXPECT_GT(analysis.error.size(), prefix.size()) << c.name;
        if (*c.reason != 0) {
            EXPECT_EQ(analysis.error.substr(prefix.size()), c.reason) << c.name;
        }
        EXPECT_TRUE(analysis.beats.empty()) << c.name;
    }
    const FileAnalysis missing = analyseFile(folder.path("fehlt.wav"));
    EXPECT_EQ(missing.error.rfind("Die Audiodatei " + folder.path("fehlt.wav") + " kann nicht gelesen werden: ", 0),
              0U);
}

// A file cut short inside its samples reads what is there and ends.
TEST(SoundFileSource, ReadsATruncatedFileToWhereItStops)
{
    AudioFolder folder;
    const ClickTrack track = clickTrack({{0.5, 120.0}}, 2.0);
    const std::string path = folder.path("cut.wav");
    ASSERT_TRUE(testing::writeSoundFile(path, track.samples, track.sampleRate));
    std::filesystem::resize_file(path, 44 + 2 * 44100);  // one second of 16-bit samples
    const FileAnalysis analysis = analyseFile(path);
    EXPECT_EQ(analysis.error, "");
    EXPECT_NEAR(analysis.seconds, 1.0, 0.001);
}

// The fuzzer's seeds are the formats the program reads: each opens with its
// rate and a tenth of a second of samples, clicks and all.
TEST(SoundFileSource, ReadsEveryFormatOfTheSeeds)
{
    struct Seed {
        const char* name;
        int rate;
        int channels;
    };
    for (const Seed& seed :
         {Seed{"clicks-mono-8k.wav", 8000, 1}, Seed{"clicks-stereo.wav", 11025, 2}, Seed{"clicks-float.wav", 8000, 1},
          Seed{"clicks.flac", 8000, 2}, Seed{"clicks.ogg", 8000, 1}}) {
        const std::string path = std::string(TINCTARA_TEST_DATA_DIR) + "/audio/" + seed.name;
        auto opened = SoundFileSource::open(path);
        ASSERT_TRUE(std::holds_alternative<std::unique_ptr<SoundFileSource>>(opened)) << std::get<std::string>(opened);
        auto& source = *std::get<std::unique_ptr<SoundFileSource>>(opened);
        EXPECT_EQ(source.sampleRate(), seed.rate) << seed.name;
        EXPECT_EQ(source.channels(), seed.channels) << seed.name;
        std::vector<float> samples(static_cast<std::size_t>(seed.rate));
        EXPECT_EQ(source.read(samples), static_cast<std::size_t>(seed.rate / 10)) << seed.name;
        EXPECT_TRUE(source.ended()) << seed.name;
        EXPECT_EQ(source.error(), "") << seed.name;
        EXPECT_GT(*std::max_element(samples.begin(), samples.end()), 0.3F) << seed.name;
    }
}

// Channels are averaged, in pieces of any size, and the level of a steady
// sine is its RMS in every hop, stamped at the hop's start.
TEST(SoundFileSource, MixesChannelsDownAndTheLevelFollowsTheRms)
{
    AudioFolder folder;
    std::vector<float> stereo;
    for (int i = 0; i < 48000; ++i) {
        const float s = 0.8F * static_cast<float>(std::sin(2.0 * 3.141592653589793 * 440.0 * i / 48000.0));
        stereo.push_back(s);
        stereo.push_back(0.5F * s);
    }
    for (int format : {SF_FORMAT_WAV | SF_FORMAT_FLOAT, SF_FORMAT_FLAC | SF_FORMAT_PCM_24}) {
        const std::string path = folder.path(format == (SF_FORMAT_WAV | SF_FORMAT_FLOAT) ? "a.wav" : "a.flac");
        ASSERT_TRUE(testing::writeSoundFile(path, stereo, 48000, 2, format));
        auto opened = SoundFileSource::open(path);
        ASSERT_TRUE(std::holds_alternative<std::unique_ptr<SoundFileSource>>(opened));
        auto& source = *std::get<std::unique_ptr<SoundFileSource>>(opened);
        EXPECT_EQ(source.sampleRate(), 48000);
        EXPECT_EQ(source.channels(), 2);
        std::vector<float> mono(48000 + 10);
        std::size_t got = 0;
        for (std::size_t piece : {1U, 700U, 5000U, 100000U}) {
            got += source.read(std::span<float>(mono).subspan(got, std::min(piece, mono.size() - got)));
        }
        EXPECT_EQ(got, 48000U);
        EXPECT_TRUE(source.ended());
        for (int i : {0, 17, 1234, 47999}) {
            EXPECT_NEAR(mono[i], 0.5F * (stereo[2 * i] + stereo[2 * i + 1]), 1e-4F) << path << " at " << i;
        }
    }

    struct Levels final : MusicEventSink {
        void musicEvent(const MusicEvent& e) override
        {
            if (e.kind == MusicEventKind::Level) {
                levels.push_back(e);
            }
        }
        std::vector<MusicEvent> levels;
    } sink;
    std::vector<float> sine(48000);
    for (std::size_t i = 0; i < sine.size(); ++i) {
        sine[i] =
            0.5F * static_cast<float>(std::sin(2.0 * 3.141592653589793 * 1000.0 * static_cast<double>(i) / 48000.0));
    }
    MusicAnalysis analysis(48000);
    for (std::size_t at = 0; at < sine.size(); at += 100) {
        analysis.feed(std::span<const float>(sine).subspan(at, std::min<std::size_t>(100, sine.size() - at)), sink);
    }
    ASSERT_EQ(sink.levels.size(), 48000 / MusicHop);
    for (std::size_t i = 0; i < sink.levels.size(); ++i) {
        EXPECT_NEAR(sink.levels[i].level, 0.5F / std::sqrt(2.0F), 0.01F) << i;
        EXPECT_DOUBLE_EQ(sink.levels[i].seconds, static_cast<double>(i * MusicHop) / 48000.0);
    }
}

}  // namespace
}  // namespace tinctara

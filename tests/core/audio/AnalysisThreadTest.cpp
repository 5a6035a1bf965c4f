#include "audio/AnalysisThread.h"
#include "audio/SoundFileSource.h"
#include "support/ClickTrack.h"
#include "support/ScriptedClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace tinctara {
namespace {

// The thread hands over what analyseFile finds, in order, stamped by the
// injected clock; thirty seconds of hops overfill the queue, so the
// analysis must wait for the reader instead of dropping a beat.
TEST(AnalysisThread, DeliversTheFileAnalysisBeats)
{
    testing::AudioFolder folder;
    const testing::ClickTrack track = testing::clickTrack({{0.5, 120.0}}, 30.0);
    const std::string path = folder.path("clicks.wav");
    ASSERT_TRUE(testing::writeSoundFile(path, track.samples, track.sampleRate));
    const FileAnalysis expected = analyseFile(path);
    ASSERT_GT(expected.beats.size(), 40U);

    auto opened = SoundFileSource::open(path);
    ASSERT_TRUE(std::holds_alternative<std::unique_ptr<SoundFileSource>>(opened));
    testing::ScriptedClock clock;
    clock.ms = 4711;
    AnalysisThread thread(std::move(std::get<std::unique_ptr<SoundFileSource>>(opened)), clock);

    std::vector<double> beats;
    std::size_t levels = 0;
    double lastLevel = -1.0;
    TimedMusicEvent event;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
        const bool finished = thread.finished();  // before the pop: nothing may follow it
        if (thread.next(event)) {
            EXPECT_EQ(event.foundMs, 4711);
            if (event.event.kind == MusicEventKind::Beat) {
                beats.push_back(event.event.seconds);
                EXPECT_GT(event.event.bpm, 0.0F);
            } else if (event.event.kind == MusicEventKind::Level) {
                EXPECT_GT(event.event.seconds, lastLevel);
                lastLevel = event.event.seconds;
                ++levels;
            }
            continue;
        }
        if (finished) {
            break;
        }
        ASSERT_LT(std::chrono::steady_clock::now(), deadline);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_EQ(thread.error(), "");
    EXPECT_EQ(beats, expected.beats);
    EXPECT_EQ(levels, expected.levels.size());
}

TEST(AnalysisThread, StopsWhileTheQueueIsFull)
{
    std::vector<float> noise(44100 * 60);
    std::uint32_t x = 1;
    for (float& s : noise) {
        x = x * 1664525U + 1013904223U;
        s = static_cast<float>(x >> 8) / static_cast<float>(1 << 23) - 1.0F;
    }
    testing::ScriptedClock clock;
    {
        AnalysisThread thread(std::make_unique<MemorySource>(std::move(noise), 44100), clock);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }  // joins without anyone reading: must not hang
    SUCCEED();
}

}  // namespace
}  // namespace tinctara

#include "audio/MonoMix.h"
#include "audio/MusicFeed.h"
#include "audio/SoundFileSource.h"
#include "engine/MusicSync.h"
#include "support/ClickTrack.h"
#include "support/EngineHarness.h"
#include "support/ScriptedClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

namespace tinctara {
namespace {

std::vector<float> readAll(PushedAudioSource& source, std::size_t count)
{
    std::vector<float> out(count);
    out.resize(source.read(out));
    return out;
}

TEST(PushedAudioSource, MixesEveryDeviceFormatDownToMono)
{
    PushedAudioSource source(48000, 64);
    const std::int16_t pcm16[] = {16384, -16384, 32767, 32767, -32768, 0};
    source.pushInterleaved(std::span<const std::int16_t>(pcm16), 2);
    const std::uint8_t pcm8[] = {128, 255, 0};
    source.pushInterleaved(std::span<const std::uint8_t>(pcm8), 1);
    const std::int32_t pcm32[] = {1073741824, 1073741824, 1073741824};
    source.pushInterleaved(std::span<const std::int32_t>(pcm32), 3);
    const float pcmFloat[] = {2.0F, 0.0F, 0.25F, 0.75F};  // over full scale is clipped, not wrapped
    source.pushInterleaved(std::span<const float>(pcmFloat), 2);
    const float half[] = {0.1F, 0.2F, 0.3F};  // a frame cut short is not made up
    source.pushInterleaved(std::span<const float>(half), 2);

    const std::vector<float> got = readAll(source, 9);
    const float expected[] = {0.0F, 32767.0F / 32768.0F, -0.5F, 0.0F, 127.0F / 128.0F, -1.0F, 0.5F, 0.5F, 0.5F};
    ASSERT_EQ(got.size(), std::size(expected));
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_FLOAT_EQ(got[i], expected[i]) << "sample " << i;
    EXPECT_EQ(source.droppedSamples(), 0U);
}

// LTC mixes a read into a buffer of its own rather than a ring.
TEST(MonoMix, MixesWholeFramesIntoWhatFits)
{
    const std::int16_t stereo[] = {16384, -16384, 32767, 32767, -32768, 0, 100};  // the 7th starts a frame
    const InterleavedSamples samples = std::span<const std::int16_t>(stereo);
    EXPECT_EQ(frameCount(samples, 2), 3U);
    EXPECT_EQ(frameCount(samples, 0), 0U);

    std::vector<float> out(8, 9.0F);
    ASSERT_EQ(mixToMono(samples, 2, out), 3U);
    EXPECT_FLOAT_EQ(out[0], 0.0F);
    EXPECT_FLOAT_EQ(out[1], 32767.0F / 32768.0F);
    EXPECT_FLOAT_EQ(out[2], -0.5F);
    EXPECT_EQ(out[3], 9.0F) << "nothing past the whole frames is written";

    std::vector<float> short_(2, 9.0F);
    EXPECT_EQ(mixToMono(samples, 2, short_), 2U) << "a buffer too short takes what fits";
    EXPECT_EQ(mixToMono(samples, 0, out), 0U);
}

TEST(PushedAudioSource, DropsWhatDoesNotFitAndEndsOnCloseWithWhatIsLeft)
{
    PushedAudioSource source(8000, 5);  // rounded up to 8
    std::vector<float> ten(10);
    for (std::size_t i = 0; i < ten.size(); ++i)
        ten[i] = static_cast<float>(i) / 10.0F;
    source.push(ten);
    EXPECT_EQ(source.droppedSamples(), 2U) << "capture never waits for the reader";
    EXPECT_EQ(readAll(source, 4).size(), 4U);
    source.push(std::span<const float>(ten).first(3));
    source.close();
    EXPECT_FALSE(source.ended());
    const std::vector<float> rest = readAll(source, 16);
    ASSERT_EQ(rest.size(), 7U) << "a closed stream hands out what is left, then ends";
    EXPECT_FLOAT_EQ(rest[4], 0.0F) << "the samples pushed after the first read follow in order";
    EXPECT_TRUE(source.ended());
    EXPECT_EQ(readAll(source, 4).size(), 0U);
    source.push(ten);
    EXPECT_TRUE(source.ended()) << "nothing is taken after the end";
}

// The analysis thread waits in read() for samples; a push wakes it, and
// the thread's end (interrupt) makes it return at once.
TEST(PushedAudioSource, AWaitingReadWakesOnPushAndOnInterrupt)
{
    PushedAudioSource source(8000, 1024);
    std::vector<float> block(100);
    std::size_t got = 99;
    std::thread reader([&] { got = source.read(block); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    source.push(std::vector<float>(60, 0.5F));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    source.push(std::vector<float>(60, 0.5F));
    reader.join();
    EXPECT_EQ(got, 100U) << "a read returns only a full block while the stream lives";

    std::thread waiting([&] { got = source.read(block); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    source.interrupt();
    waiting.join();
    EXPECT_EQ(got, 20U);
}

TimedMusicEvent beatAt(std::int64_t ms, float bpm) { return {{MusicEventKind::Beat, 0.0, 0.0F, bpm}, ms}; }

TimedMusicEvent levelAt(std::int64_t ms, float level) { return {{MusicEventKind::Level, 0.0, level, 0.0F}, ms}; }

TEST(MusicFeed, TurnsEventsIntoTheTicksBeatPeriodAndLevelAndLetsTapTakeOverWhenAudioIsGone)
{
    MusicFeed feed;
    MusicSync sync;
    MusicSettings s;
    s.level = true;
    sync.setSettings(s);

    // Nothing heard yet: nothing fed, the tick reads silence.
    feed.feedTick(1000, sync);
    sync.tick(true);
    EXPECT_FALSE(feed.live());
    EXPECT_EQ(sync.periodTicks(), 0.0);

    // Two hops and a beat at 120 BPM in the first tick: the loudest hop is
    // the reference, so the level is full; the period is 10 ticks.
    feed.take(levelAt(1010, 0.1F));
    feed.take(levelAt(1020, 0.4F));
    feed.take(beatAt(1030, 120.0F));
    feed.feedTick(1050, sync);
    sync.tick(true);
    EXPECT_TRUE(sync.beatThisTick());
    EXPECT_DOUBLE_EQ(sync.periodTicks(), 10.0);
    EXPECT_DOUBLE_EQ(sync.envelope(), 1.0);
    EXPECT_DOUBLE_EQ(feed.bpm(), 120.0);

    // Quieter music is measured against the reference, which decays by
    // half over 200 ticks.
    feed.take(levelAt(1060, 0.2F));
    feed.feedTick(1100, sync);
    sync.tick(true);
    EXPECT_FALSE(sync.beatThisTick()) << "a beat falls into one tick only";
    const double reference = 0.4 * std::pow(0.5, 1.0 / 200.0);
    EXPECT_NEAR(sync.envelope(), 0.2 / reference, 1e-6);

    // Fed twice before a tick (the program feeds on a timer while no tick
    // comes): the beat of the first feed is not lost.
    feed.take(beatAt(1110, 120.0F));
    feed.feedTick(1120, sync);
    feed.feedTick(1125, sync);
    sync.tick(true);
    EXPECT_TRUE(sync.beatThisTick());

    // A tick whose hops are late keeps the level instead of reading silence.
    feed.feedTick(1150, sync);
    sync.tick(true);
    EXPECT_FALSE(sync.beatThisTick());
    EXPECT_NEAR(sync.envelope(), 0.2 / reference, 1e-6);
    EXPECT_DOUBLE_EQ(sync.periodTicks(), 10.0);

    // Hiss under the floor is not made loud.
    MusicFeed quiet;
    MusicSync quietSync;
    quiet.take(levelAt(0, 0.005F));
    quiet.feedTick(50, quietSync);
    EXPECT_NEAR(quiet.level(), 0.005 / MusicFeed::ReferenceFloor, 1e-6);

    // Half a second without an event: the audio is gone, the tapped tempo
    // beats instead and the display forgets the tempo.
    sync.tap(0);
    sync.tap(400);  // 8 ticks
    feed.feedTick(1110 + MusicFeed::LiveForMs + 1, sync);
    sync.tick(true);
    EXPECT_FALSE(feed.live());
    EXPECT_EQ(feed.bpm(), 0.0);
    EXPECT_DOUBLE_EQ(sync.periodTicks(), 8.0);
    EXPECT_TRUE(sync.beatThisTick()) << "the tap's beat falls into the coming tick";
}

// A click track read by the file source on the tick's pace, through the
// analysis and the feed into a playing sequence with Beat on: once the
// tracker has the tempo, every step change starts within a tick of a click.
TEST(LiveMusic, StepsChangeOnTheClicksOfASongReadAtTheTicksPace)
{
    testing::AudioFolder folder;
    const testing::ClickTrack track = testing::clickTrack({{0.5, 120.0}}, 24.0);
    const std::string path = folder.path("clicks.wav");
    ASSERT_TRUE(testing::writeSoundFile(path, track.samples, track.sampleRate));
    auto opened = SoundFileSource::open(path);
    ASSERT_TRUE(std::holds_alternative<std::unique_ptr<SoundFileSource>>(opened));
    AudioSource& source = *std::get<std::unique_ptr<SoundFileSource>>(opened);

    testing::EngineHarness show;
    show.buildWall(1, 1);
    show.model.TimingBlockPending = 0;
    show.model.InterfaceType = Interface::UsbInterface;
    show.setStep(1, 1, 0, 0, 0, 0, 500, 3);
    show.setStep(2, 1, 250, 0, 0, 0, 500, 3);
    show.model.StepCount = 2;
    show.setElement(1, 0, 0, 0, 0);
    show.play();
    MusicSettings s;
    s.beat = true;
    s.blendPercent = 20;  // 2 ticks of a 10-tick beat
    show.engine.music().setSettings(s);

    struct Sink final : MusicEventSink {
        MusicFeed* feed = nullptr;
        std::int64_t nowMs = 0;
        void musicEvent(const MusicEvent& event) override { feed->take({event, nowMs}); }
    };
    MusicFeed feed;
    Sink sink;
    sink.feed = &feed;
    MusicAnalysis analysis(source.sampleRate());
    std::vector<float> block(static_cast<std::size_t>(source.sampleRate() / 20));  // one tick of sound

    std::vector<int> changes;
    int previous = show.wire(1);
    bool fading = false;
    for (int tick = 1; !source.ended(); ++tick) {
        sink.nowMs = tick * 50;
        const std::size_t got = source.read(block);
        analysis.feed(std::span<const float>(block).first(got), sink);
        feed.feedTick(sink.nowMs, show.engine.music());
        show.tick();
        const int now = show.wire(1);
        if (now != previous && !fading)
            changes.push_back(tick);
        fading = now != previous;
        previous = now;
    }
    ASSERT_GT(changes.size(), 20U) << "the tracker follows the clicks";
    EXPECT_NEAR(feed.bpm(), 120.0, 1.0);
    int late = 0;
    for (const int tick : changes) {
        // The tracker is still finding the tempo; at the end it predicts a
        // beat the track no longer has.
        if (tick * 50 < 10000 || tick * 50 > 23500)
            continue;
        double nearest = 1e9;
        for (const double click : track.clicks)
            nearest = std::min(nearest, std::abs(click * 1000.0 - tick * 50.0));
        // The tick that reads the click's samples, or the one after.
        if (nearest > 50.0 + 1000.0 * MusicHop / track.sampleRate) {
            ++late;
            ADD_FAILURE() << "change at tick " << tick << ", " << nearest << " ms from a click";
        }
    }
    EXPECT_EQ(late, 0) << "step changes off the clicks";
}

// The whole live path with its thread: samples pushed as a device would,
// events through the ring, the tick fed.
TEST(LiveMusic, HearsPushedClicksOnItsOwnThread)
{
    const testing::ClickTrack track = testing::clickTrack({{0.5, 128.0}}, 16.0);
    testing::ScriptedClock clock;
    LiveMusic live(track.sampleRate, clock);
    MusicSync sync;
    const std::size_t perTick = static_cast<std::size_t>(track.sampleRate / 20);
    for (std::size_t at = 0; at < track.samples.size(); at += perTick) {
        const std::size_t count = std::min(perTick, track.samples.size() - at);
        live.input().push(std::span<const float>(track.samples).subspan(at, count));
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        clock.ms += 50;
        live.beforeTick(sync);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (live.feed().beats() < 10 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        live.beforeTick(sync);
    }
    EXPECT_GE(live.feed().beats(), 10U);
    EXPECT_NEAR(live.feed().bpm(), 128.0, 1.5);
    EXPECT_EQ(live.input().droppedSamples(), 0U);
}

}  // namespace
}  // namespace tinctara

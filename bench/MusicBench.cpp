// What hearing music costs: the analysis of one second of sound (its CPU
// time is the share of a core live capture takes), and the feed's work
// before a tick.
#include "audio/MusicAnalysis.h"
#include "audio/MusicFeed.h"
#include "engine/MusicSync.h"
#include "support/ClickTrack.h"

#include <benchmark/benchmark.h>

namespace tinctara {
namespace {

class NoSink final : public MusicEventSink {
public:
    void musicEvent(const MusicEvent& event) override { benchmark::DoNotOptimize(event); }
};

// Real time per iteration is one second of music at 44.1 or 48 kHz, so the
// CPU time per iteration over one second is the analysis's share of a core.
void BM_AnalyseOneSecond(benchmark::State& state)
{
    const int rate = static_cast<int>(state.range(0));
    const testing::ClickTrack track = testing::clickTrack({{0.5, 120.0}}, 60.0, rate);
    MusicAnalysis analysis(rate);
    NoSink sink;
    const auto second = static_cast<std::size_t>(rate);
    std::size_t at = 0;
    for (auto _ : state) {
        if (at + second > track.samples.size())
            at = 0;
        // Fed as a capture device delivers: 10 ms buffers.
        for (std::size_t block = 0; block < second; block += second / 100)
            analysis.feed(std::span<const float>(track.samples).subspan(at + block, second / 100), sink);
        at += second;
    }
    state.SetLabel("CPU per iteration / 1 s = share of a core");
}
BENCHMARK(BM_AnalyseOneSecond)->Arg(44100)->Arg(48000)->Unit(benchmark::kMillisecond);

// The show's side before each tick: four hops and now and then a beat.
void BM_FeedTick(benchmark::State& state)
{
    MusicFeed feed;
    MusicSync sync;
    std::int64_t now = 0;
    int tick = 0;
    for (auto _ : state) {
        now += 50;
        for (int hop = 0; hop < 4; ++hop)
            feed.take({{MusicEventKind::Level, 0.0, 0.1F * static_cast<float>(hop), 0.0F}, now});
        if (++tick % 10 == 0)
            feed.take({{MusicEventKind::Beat, tick * 0.05, 0.0F, 120.0F}, now});
        feed.feedTick(now, sync);
        sync.tick(true);
    }
}
BENCHMARK(BM_FeedTick);

}  // namespace
}  // namespace tinctara

BENCHMARK_MAIN();

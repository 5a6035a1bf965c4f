// Live music in real time, as the program hears it: a capture thread pushes
// a click track in 10 ms buffers at the wall clock's pace, the analysis runs
// on its thread, and the show's thread ticks on the 50 ms grid and feeds the
// tick. Reports the analysis thread's CPU share and, for every beat the
// tick takes, how long after its click the tick that builds the step's frame
// ran. Not a benchmark of Google's kind: it runs in real time.
//
//     MusicLiveFigures [SECONDS] [BPM]
#include "audio/MusicFeed.h"
#include "engine/MusicSync.h"
#include "platform/Clock.h"
#include "support/ClickTrack.h"

#include <pthread.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

using namespace tinctara;
using Steady = std::chrono::steady_clock;

namespace {

class SteadyClock final : public Clock {
public:
    std::int64_t timeOfDaySeconds() override { return 0; }
    std::int64_t monotonicMilliseconds() override
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now().time_since_epoch()).count();
    }
};

double threadCpuSeconds(pthread_t thread)
{
    clockid_t id;
    timespec ts{};
    if (pthread_getcpuclockid(thread, &id) != 0 || clock_gettime(id, &ts) != 0)
        return 0.0;
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

}  // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    const double bpm = argc > 2 ? std::atof(argv[2]) : 120.0;
    const testing::ClickTrack track = testing::clickTrack({{0.5, bpm}}, seconds);
    SteadyClock clock;
    LiveMusic live(track.sampleRate, clock);
    MusicSync sync;

    const Steady::time_point start = Steady::now() + std::chrono::milliseconds(100);
    std::atomic<double> captureCpu{0.0};
    std::thread capture([&] {
        const auto block = static_cast<std::size_t>(track.sampleRate / 100);
        std::size_t at = 0;
        for (int n = 1; at < track.samples.size(); ++n) {
            // The buffer holding samples up to n × 10 ms arrives at that time.
            std::this_thread::sleep_until(start + std::chrono::milliseconds(10 * n));
            const std::size_t count = std::min(block, track.samples.size() - at);
            live.input().push(std::span<const float>(track.samples).subspan(at, count));
            at += count;
        }
        captureCpu = threadCpuSeconds(pthread_self());
    });

    std::vector<double> latencies;
    std::vector<double> tempi;
    const double cpuBefore = processCpuSeconds();
    const auto ticks = static_cast<int>(seconds * 20.0);
    for (int tick = 1; tick <= ticks; ++tick) {
        std::this_thread::sleep_until(start + std::chrono::milliseconds(50 * tick));
        live.beforeTick(sync);
        sync.tick(true);
        const double at = std::chrono::duration<double>(Steady::now() - start).count();
        // The tracker has the tempo after a few seconds; after the last click
        // it predicts beats the track no longer has.
        if (at <= 10.0 || at > track.clicks.back() + 0.25)
            continue;
        tempi.push_back(live.feed().bpm());
        if (!sync.beatThisTick())
            continue;
        // The click this beat belongs to: the nearest. The tracker predicts
        // a steady beat, so the tick may take it before the click is heard.
        double click = -1e9;
        for (const double c : track.clicks)
            if (std::abs(c - at) < std::abs(click - at))
                click = c;
        latencies.push_back((at - click) * 1000.0);
    }
    capture.join();
    const double showCpu = threadCpuSeconds(pthread_self());
    const double analysisCpu = processCpuSeconds() - cpuBefore - captureCpu.load() - showCpu;

    std::printf("music live figures: %.0f s of clicks at %.0f BPM, %d Hz, hop %zu samples (%.1f ms)\n", seconds, bpm,
                track.sampleRate, MusicHop, 1000.0 * MusicHop / track.sampleRate);
    std::printf("analysis thread CPU: %.3f %% of a core (capture thread %.3f %%, show thread %.3f %%)\n",
                100.0 * analysisCpu / seconds, 100.0 * captureCpu.load() / seconds, 100.0 * showCpu / seconds);
    std::printf("beats taken by the tick after 10 s: %zu of %.0f clicks; tempo shown: median %.2f BPM, %.2f..%.2f; "
                "samples dropped %llu\n",
                latencies.size(), (seconds - 10.0) * bpm / 60.0, percentile(tempi, 0.5), percentile(tempi, 0.0),
                percentile(tempi, 1.0), static_cast<unsigned long long>(live.input().droppedSamples()));
    std::printf("click -> tick building the step's frame (negative: before the click): min %.1f ms, median %.1f ms, "
                "p90 %.1f ms, p99 %.1f ms, max %.1f ms\n",
                percentile(latencies, 0.0), percentile(latencies, 0.5), percentile(latencies, 0.9),
                percentile(latencies, 0.99), percentile(latencies, 1.0));
    return latencies.empty() ? 1 : 0;
}

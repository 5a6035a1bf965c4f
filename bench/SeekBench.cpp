// One seek of a 250-step sequence on the 121-lamp wall to a random tick within
// 24 hours, with short and with the longest step times.
#include "engine/OutputEngine.h"
#include "engine/SequenceTimeline.h"
#include "model/WallBuilder.h"

#include "QuietPlatform.h"

#include <benchmark/benchmark.h>

#include <random>

namespace tinctara {
namespace {

constexpr std::int64_t DayTicks = 24 * 60 * 60 * 20;

class NoPorts : public PortIo {
public:
    std::uint8_t readPort(std::uint32_t) override { return 0; }
    void writePort(std::uint32_t, std::uint8_t) override {}
};

void seek(benchmark::State& state, int maxTime)
{
    ShowView view;
    bench::QuietUser user;
    bench::QuietTimer timer;
    NoPorts ports;
    bench::QuietUsb usb;
    bench::QuietCardLibrary cardLibrary;

    auto model = bench::largestWall(view, user);
    model->InterfaceType = Interface::UsbInterface;
    model->StepCount = 250;
    std::mt19937 random(5);
    auto upTo = [&](int most) {
        return static_cast<std::uint16_t>(std::uniform_int_distribution<int>(0, most)(random));
    };
    for (int step = 1; step <= 250; ++step) {
        model->holdTime(step) = upTo(maxTime);
        model->blendTime(step) = upTo(maxTime);
        for (int element = 1; element <= 121; ++element)
            for (int plane = Red; plane <= White; ++plane)
                model->stepColour(step, element, plane) = static_cast<std::uint8_t>(upTo(255));
    }
    model->CurrentStep = 1;
    model->setState(StateFlag::SequencePlaying);

    OutputEngine engine(*model, view, timer, OutputDevices{ports, usb, cardLibrary});
    SequenceTimeline timeline(*model);
    std::uniform_int_distribution<std::int64_t> tick(0, DayTicks);
    for (auto _ : state) {
        engine.seekTo(timeline, tick(random));
        benchmark::ClobberMemory();
    }
}

void BM_SeekShortSteps(benchmark::State& state) { seek(state, 100); }
void BM_SeekLongestSteps(benchmark::State& state) { seek(state, 65535); }

BENCHMARK(BM_SeekShortSteps)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SeekLongestSteps)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tinctara

BENCHMARK_MAIN();

// Writing a full sequence image to a 1 MB memory card: detection, then 1920
// slots of 512 verified bytes, each three address writes, the write with its
// read-back and the verifying read, through libpagestor loaded by name and
// the process's virtual bus.
#include "dmx/LoadedLibraries.h"
#include "model/WallBuilder.h"
#include "tinctara_portio.h"
#include "transfer/MemoryCard.h"

#include "QuietPlatform.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

namespace tinctara {
namespace {

// The half-second waits before writing pass at once.
class FastClock : public Clock {
public:
    std::int64_t timeOfDaySeconds() override { return now / 1000; }
    std::int64_t monotonicMilliseconds() override { return now += 100; }
    std::int64_t now = 0;
};

class NoStatus : public MemoryCardObserver {
public:
    void showStatus(std::string_view) override {}
    void showProgress(std::int64_t, std::int64_t) override {}
};

void BM_Write1MBCardVirtualBus(benchmark::State& state)
{
    auto model = std::make_unique<ShowModel>();
    initialiseAtStartUp(*model);
    ShowView view;
    bench::QuietUser user;
    model->WallColumns = 11;
    model->WallRows = 11;
    model->ElementWidth = 600;
    model->ElementHeight = 1200;
    BuildWall(*model, view, user, WallBuildKind::NewOrEdited);
    model->StepCount = MaxSequenceSteps;
    for (int step = 1; step <= MaxSequenceSteps; ++step)
        for (int element = 1; element <= 121; ++element)
            for (int plane = Red; plane <= White; ++plane)
                model->stepColour(step, element, plane) = static_cast<std::uint8_t>(step + element + plane);

    const std::string folder = std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
    LoadedPagestorLibrary pagestor(libraryFolders(folder));
    if (!pagestor.available()) {
        state.SkipWithError("libpagestor.so not found beside the benchmark");
        return;
    }
    FastClock clock;
    NoStatus status;
    MemoryCard card({*model, user, clock, pagestor, status});
    for (auto _ : state) {
        state.PauseTiming();
        PortIoConfigureVirtual("[memorycard]\nsize = 1M\n");
        state.ResumeTiming();
        if (!card.writeCard())
            state.SkipWithError("the write did not finish");
    }
    std::uint8_t level = 0;
    VirtualMemoryCardMemory(0, &level, 1);
    if (level != model->stepColour(1, 1, Red))
        state.SkipWithError("the card did not receive the first step");
    state.SetBytesProcessed(state.iterations() * 1048576);
}

BENCHMARK(BM_Write1MBCardVirtualBus)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tinctara

BENCHMARK_MAIN();

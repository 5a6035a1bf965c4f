// Load and save of the largest sequence file: 254 steps of an 11 x 11 wall.
#include "files/SectionedFile.h"
#include "files/ShowFiles.h"
#include "model/ShowModel.h"
#include "model/WallBuilder.h"

#include "QuietPlatform.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

using namespace tinctara;

class IdleTimer : public OutputTimer {
public:
    void setEnabled(bool) override {}
    bool isEnabled() const override { return false; }
};

class SequenceShow {
public:
    SequenceShow()
    {
        initialiseAtStartUp(model);
        model.WallColumns = 11;
        model.WallRows = 11;
        model.ElementWidth = 600;
        model.ElementHeight = 1200;
        BuildWall(model, view, user, WallBuildKind::FromConfiguration);
        model.StepCount = MaxSequenceSteps;
        for (int step = 1; step <= MaxSequenceSteps; ++step) {
            for (int element = 1; element <= model.ElementCount; ++element)
                for (int plane = Red; plane <= White; ++plane)
                    model.stepColour(step, element, plane) =
                        static_cast<std::uint8_t>((step * 7 + element * 13 + plane * 61) % 256);
            model.holdTime(step) = static_cast<std::uint16_t>(step * 3);
            model.blendTime(step) = static_cast<std::uint16_t>(100 + step);
        }
        model.setState(StateFlag::SequencePresent | StateFlag::SilentFileOp);
        std::string pattern = (std::filesystem::temp_directory_path() / "tinctara-bench-XXXXXX").string();
        folder = ::mkdtemp(pattern.data());
        path = (folder / "BENCH.CSQ").string();
        model.SequenceFileName = path;
    }
    ~SequenceShow() { std::filesystem::remove_all(folder); }

    std::unique_ptr<ShowModel> storage = std::make_unique<ShowModel>();
    ShowModel& model = *storage;
    ShowView view;
    bench::QuietUser user;
    IdleTimer timer;
    ShowFileContext context{model, view, user, timer, {}};
    std::filesystem::path folder;
    std::string path;
};

void BM_SaveSequence(benchmark::State& state)
{
    SequenceShow show;
    for (auto _ : state)
        if (SaveSequence(show.context) != SaveOutcome::Saved)
            state.SkipWithError("save failed");
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(show.path)));
}
BENCHMARK(BM_SaveSequence)->Unit(benchmark::kMillisecond);

void BM_LoadSequence(benchmark::State& state)
{
    SequenceShow show;
    SaveSequence(show.context);
    for (auto _ : state)
        if (LoadSequence(show.context) != LoadOutcome::Loaded)
            state.SkipWithError("load failed");
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(show.path)));
}
BENCHMARK(BM_LoadSequence)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

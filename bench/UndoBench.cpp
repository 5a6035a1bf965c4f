// What the undo history costs on the largest show (121 lamps, 250 steps): one
// edit recorded (both snapshots taken and compared), and one undo followed by
// one redo. The bytes an entry keeps are reported beside the times.
#include "history/UndoHistory.h"

#include "QuietPlatform.h"

#include <benchmark/benchmark.h>

#include <random>

namespace tinctara {
namespace {

using history::DocumentKind;

std::unique_ptr<ShowModel> largestShow(ShowView& view, UserInteraction& user)
{
    auto model = bench::largestWall(view, user);
    model->StepCount = 250;
    model->setState(StateFlag::SequencePresent);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> level(0, 255);
    for (int step = 1; step <= 250; ++step)
        for (int element = 1; element <= 121; ++element)
            for (int plane = Red; plane <= White; ++plane)
                model->stepColour(step, element, plane) = static_cast<std::uint8_t>(level(random));
    model->CurrentStep = 250;
    return model;
}

// A typed hold time: the whole sequence is taken before and after.
void BM_RecordSequenceEdit(benchmark::State& state)
{
    ShowView view;
    bench::QuietUser user;
    auto model = largestShow(view, user);
    history::UndoHistory history(*model);
    std::uint16_t hold = 0;
    for (auto _ : state) {
        history.begin("Haltezeit Schritt 250", {DocumentKind::Sequence});
        model->holdTime(250) = ++hold;
        benchmark::DoNotOptimize(history.commit());
    }
    state.counters["bytes_per_entry"] = static_cast<double>(history.bytes()) / static_cast<double>(history.undoCount());
    state.counters["entries_kept"] = static_cast<double>(history.undoCount());
}

// A colour applied to the wall: only the scene is taken.
void BM_RecordSceneEdit(benchmark::State& state)
{
    ShowView view;
    bench::QuietUser user;
    auto model = largestShow(view, user);
    history::UndoHistory history(*model);
    std::uint8_t red = 0;
    for (auto _ : state) {
        history.begin("Farbe auf 121 Elemente", {DocumentKind::Scene});
        for (int element = 1; element <= 121; ++element)
            model->colour(Red, element) = red;
        ++red;
        benchmark::DoNotOptimize(history.commit());
    }
    state.counters["bytes_per_entry"] = static_cast<double>(history.bytes()) / static_cast<double>(history.undoCount());
}

// Undo and redo of a new wall: configuration, scene and the whole sequence.
void BM_UndoRedoNewWall(benchmark::State& state)
{
    ShowView view;
    bench::QuietUser user;
    auto model = largestShow(view, user);
    history::UndoHistory history(*model);
    history.begin("Neue Wand", {DocumentKind::Config, DocumentKind::Scene, DocumentKind::Sequence});
    model->WallColumns = 2;
    model->WallRows = 2;
    BuildWall(*model, view, user, WallBuildKind::NewOrEdited);
    model->StepCount = 0;
    model->clearState(StateFlag::SequencePresent);
    history.commit();
    for (auto _ : state) {
        history.undo();
        history.redo();
        benchmark::ClobberMemory();
    }
    state.counters["bytes_per_entry"] = static_cast<double>(history.bytes());
}

}  // namespace
}  // namespace tinctara

BENCHMARK(tinctara::BM_RecordSequenceEdit)->Unit(benchmark::kMicrosecond);
BENCHMARK(tinctara::BM_RecordSceneEdit)->Unit(benchmark::kMicrosecond);
BENCHMARK(tinctara::BM_UndoRedoNewWall)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();

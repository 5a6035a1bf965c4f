// What the wall window's canvas costs to paint one frame of a crossfade: an
// 11 x 11 wall of 50-pixel cells (the fade show of scripts/fade-cpu) whose
// every cell changes colour, painted offscreen into an image of the format a
// 24-bit X screen's backing store has. Without X the figure holds the
// painting only; scripts/fade-cpu measures the program around it.
#include "WallWindow.h"
#include "model/Selection.h"
#include "windows/WallWindowPresenter.h"

#include "QuietPlatform.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace tinctara {
namespace {

constexpr int Side = 11;
constexpr double CellTwips = 750;  // 50 pixels at 96 dots per inch

struct FadeWall {
    ShowModel model;
    ShowView view;
    bench::QuietUser user;
    Selection selection{model, view, user};
    WallWindowPresenter presenter{model, view, user, selection};
    WallWindow window{presenter};

    explicit FadeWall(bool numbered)
    {
        for (int index = 0; index < Side * Side; ++index)
            window.addCell(WallCell{index, (index % Side) * CellTwips, (index / Side) * CellTwips, CellTwips, CellTwips,
                                    numbered ? std::to_string(index + 1) : std::string()});
    }

    // Every cell a step further along a rainbow, as in a crossfade.
    void nextColours(int frame)
    {
        for (int index = 0; index < Side * Side; ++index) {
            const int hue = (index * 7 + frame * 3) % 360;
            const QColor c = QColor::fromHsv(hue, 255, 255);
            window.showElementColour(index,
                                     Rgb{static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                                         static_cast<std::uint8_t>(c.blue())});
        }
    }
};

// A playing sequence: the cells show no numbers.
void fadeFrame(benchmark::State& state, bool numbered)
{
    FadeWall wall(numbered);
    WallCanvas* canvas = wall.window.canvas();
    QImage target(canvas->size(), QImage::Format_RGB32);
    int frame = 0;
    for (auto _ : state) {
        wall.nextColours(++frame);
        canvas->render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
    state.counters["cells"] = Side * Side;
}

void fadeFramePlaying(benchmark::State& state) { fadeFrame(state, false); }
void fadeFrameNumbered(benchmark::State& state) { fadeFrame(state, true); }

BENCHMARK(fadeFramePlaying)->Unit(benchmark::kMicrosecond);
BENCHMARK(fadeFrameNumbered)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tinctara

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

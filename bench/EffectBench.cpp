// Effects on the largest wall: generating 250 steps of plasma, and decoding a
// 4000 x 3000 PNG and mapping it onto the lamps.
#include "effects/Effects.h"

#include <stb_image_write.h>

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <vector>

namespace tinctara {
namespace {

EffectWall largestWall()
{
    EffectWall wall;
    wall.columns = 11;
    wall.rows = 11;
    for (int row = 1; row <= 11; ++row)
        for (int column = 1; column <= 11; ++column)
            wall.positions.push_back({static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(row)});
    return wall;
}

void plasma250(benchmark::State& state)
{
    const EffectWall wall = largestWall();
    EffectParameters p;
    p.kind = EffectKind::Plasma;
    p.steps = 250;
    p.extractWhite = true;
    for (auto _ : state) {
        EffectResult result = GenerateEffect(wall, p);
        benchmark::DoNotOptimize(result.steps.data());
    }
}
BENCHMARK(plasma250)->Unit(benchmark::kMillisecond);

// A photograph-like picture: smooth gradients with a little grain, so that it
// compresses like a photo rather than like a flat area.
std::string photoPng()
{
    const auto path =
        std::filesystem::temp_directory_path() / ("tinctara-bench-" + std::to_string(::getpid()) + ".png");
    constexpr int Width = 4000, Height = 3000;
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(Width) * Height * 3);
    std::uint32_t noise = 12345;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int grain = static_cast<int>(noise >> 29);
            std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * Width + x) * 3];
            p[0] = static_cast<std::uint8_t>((x * 255 / Width + grain) & 0xFF);
            p[1] = static_cast<std::uint8_t>((y * 255 / Height + grain) & 0xFF);
            p[2] = static_cast<std::uint8_t>(((x + y) * 127 / (Width + Height) + grain) & 0xFF);
        }
    stbi_write_png(path.c_str(), Width, Height, 3, rgb.data(), Width * 3);
    return path.string();
}

void picture4000x3000(benchmark::State& state)
{
    const std::string path = photoPng();
    const EffectWall wall = largestWall();
    EffectParameters p;
    p.kind = EffectKind::Picture;
    p.picture = path;
    p.fit = PictureFit::Fill;
    p.gamma = 2.2;
    for (auto _ : state) {
        EffectResult result = GenerateEffect(wall, p);
        if (!result.ok())
            state.SkipWithError(result.refusal.c_str());
        benchmark::DoNotOptimize(result.steps.data());
    }
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    std::filesystem::remove(path);
}
BENCHMARK(picture4000x3000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tinctara

BENCHMARK_MAIN();

// Effects on the largest wall: generating 250 steps of plasma, and decoding a
// 4000 x 3000 photograph (PNG and JPEG) and mapping it onto the lamps. The
// JPEG is measured beside the way it went before (stb_image's decoder, whole
// picture, then mapped), which is built into this benchmark alone.
#include "effects/Effects.h"
#include "effects/PictureMapping.h"
#include "core/effects/TestPictures.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb_image.h>
#pragma GCC diagnostic pop

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

namespace tinctara {
namespace {

constexpr int PhotoWidth = 4000, PhotoHeight = 3000;

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

// The photograph, written once per run and removed at the end.
class Photo {
public:
    explicit Photo(const char* extension)
        : path_(std::filesystem::temp_directory_path() / ("tinctara-bench-" + std::to_string(::getpid()) + extension))
    {
        const std::vector<std::uint8_t> rgb = testing::photoLike(PhotoWidth, PhotoHeight);
        if (std::string(extension) == ".jpg") {
            testing::writeJpeg(path_, PhotoWidth, PhotoHeight, 3, rgb, 90);
        } else {
            testing::writePng(path_, PhotoWidth, PhotoHeight, [&rgb](int x, int y) {
                const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * PhotoWidth + x) * 3];
                return testing::Pixel{p[0], p[1], p[2], 255};
            });
        }
    }
    ~Photo() { std::filesystem::remove(path_); }
    std::string path() const { return path_.string(); }
    double megabytes() const { return static_cast<double>(std::filesystem::file_size(path_)) / 1e6; }

private:
    std::filesystem::path path_;
};

EffectParameters photoParameters(const Photo& photo)
{
    EffectParameters p;
    p.kind = EffectKind::Picture;
    p.picture = photo.path();
    p.fit = PictureFit::Fill;
    p.gamma = 2.2;
    return p;
}

void decodeAndMap(benchmark::State& state, const char* extension)
{
    const Photo photo(extension);
    const EffectWall wall = largestWall();
    const EffectParameters p = photoParameters(photo);
    for (auto _ : state) {
        EffectResult result = GenerateEffect(wall, p);
        if (!result.ok())
            state.SkipWithError(result.refusal.c_str());
        benchmark::DoNotOptimize(result.steps.data());
    }
    state.counters["file_MB"] = photo.megabytes();
}

void png4000x3000(benchmark::State& state) { decodeAndMap(state, ".png"); }
BENCHMARK(png4000x3000)->Unit(benchmark::kMillisecond);

void jpeg4000x3000(benchmark::State& state) { decodeAndMap(state, ".jpg"); }
BENCHMARK(jpeg4000x3000)->Unit(benchmark::kMillisecond);

// The way before: stb_image's JPEG decoder, the picture whole, then mapped.
void jpeg4000x3000OldStbPath(benchmark::State& state)
{
    const Photo photo(".jpg");
    const EffectWall wall = largestWall();
    const EffectParameters p = photoParameters(photo);
    for (auto _ : state) {
        int width = 0, height = 0, channels = 0;
        if (!stbi_info(p.picture.c_str(), &width, &height, &channels))
            state.SkipWithError("stb_image cannot read the photograph");
        const std::unique_ptr<unsigned char, void (*)(void*)> pixels(
            stbi_load(p.picture.c_str(), &width, &height, &channels, 0), stbi_image_free);
        std::vector<Rgbw> lamps = mapPicture({pixels.get(), width, height, channels}, wall, p.fit, p.gamma);
        benchmark::DoNotOptimize(lamps.data());
    }
    state.counters["file_MB"] = photo.megabytes();
}
BENCHMARK(jpeg4000x3000OldStbPath)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tinctara

BENCHMARK_MAIN();

// BMP through stb_image, built here with its BMP decoder and nothing else:
// the decoders of the formats that have libraries of their own (and stb's
// long list of faults in them) are not in the program at all.
#include "effects/PictureFormats.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_FAILURE_USERMSG
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb_image.h>
#pragma GCC diagnostic pop

// stb_image turns STBI_ONLY_BMP into STBI_NO_<format> for every other format;
// the build stops should that ever not hold.
#if !defined(STBI_NO_JPEG) || !defined(STBI_NO_PNG) || !defined(STBI_NO_GIF) || !defined(STBI_NO_PSD) ||               \
    !defined(STBI_NO_TGA) || !defined(STBI_NO_PIC) || !defined(STBI_NO_PNM) || defined(STBI_NO_BMP)
#error "stb_image must be built with its BMP decoder alone"
#endif

namespace tinctara::pictures {

namespace {

struct StbFree {
    void operator()(unsigned char* pixels) const { stbi_image_free(pixels); }
};

long long littleEndian(const unsigned char* bytes, int count) { return storedNumber(bytes, count, false); }

// stb_image reads zeros past the end of a file, so a BMP cut short would show
// black rows. Its pixels are stored uncompressed (stb reads no other BMP): a
// file shorter than the rows its header states is damaged, and refused
// before their memory is taken. The last row's padding may be missing.
bool bmpComplete(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    unsigned char header[30] = {};
    const std::size_t read = std::fread(header, 1, sizeof header, file);
    const bool sized = std::fseek(file, 0, SEEK_END) == 0;
    const long size = std::ftell(file);
    std::fclose(file);
    if (read < 26 || !sized || size < 0)
        return false;
    const long long offset = littleEndian(header + 10, 4);
    const bool core = littleEndian(header + 14, 4) == 12;  // the oldest header, of 16-bit sizes
    if (!core && read < 30)
        return false;
    const long long width = littleEndian(header + 18, core ? 2 : 4);
    const long long height =
        std::llabs(static_cast<std::int32_t>(littleEndian(header + (core ? 20 : 22), core ? 2 : 4)));
    const long long bits = littleEndian(header + (core ? 24 : 28), 2);
    if (bits < 1 || bits > 32 || exceedsPixels(width, height, MaxPicturePixels))
        return false;
    const long long stride = (width * bits + 31) / 32 * 4;
    return height == 0 || offset + stride * (height - 1) + (width * bits + 7) / 8 <= size;
}

}  // namespace

std::optional<PictureSize> bmpSize(const std::string& path)
{
    int width = 0, height = 0, channels = 0;
    if (!stbi_info(path.c_str(), &width, &height, &channels))
        return std::nullopt;
    // The header's height, negative for rows stored from the top.
    return PictureSize{width, std::llabs(static_cast<long long>(height))};
}

DecodeOutcome decodeBmp(const std::string& path, RowSink& sink)
{
    DecodeOutcome outcome;
    if (!bmpComplete(path)) {
        outcome.refusal = corrupt(path);
        return outcome;
    }
    int width = 0, height = 0, channels = 0;
    const std::unique_ptr<unsigned char, StbFree> pixels(stbi_load(path.c_str(), &width, &height, &channels, 0));
    if (!pixels || width <= 0 || height <= 0 || channels < 1 || channels > 4) {
        outcome.refusal = corrupt(path);
        return outcome;
    }
    feedRows(RgbaView{pixels.get(), width, height, channels}, sink);
    outcome.frames = 1;
    return outcome;
}

}  // namespace tinctara::pictures

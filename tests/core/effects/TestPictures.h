#pragma once

// Small picture files made at test time with the encoders of the same
// libraries the program decodes with.

#include <gif_lib.h>
#include <stb_image_write.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace tinctara::testing {

struct Pixel {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
};

inline bool writePng(const std::filesystem::path& path, int width, int height,
                     const std::function<Pixel(int x, int y)>& pixel)
{
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Pixel p = pixel(x, y);
            std::uint8_t* out = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
            out[0] = p.r, out[1] = p.g, out[2] = p.b, out[3] = p.a;
        }
    return stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4) != 0;
}

inline bool writeJpeg(const std::filesystem::path& path, int width, int height, Pixel colour)
{
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < rgb.size(); i += 3)
        rgb[i] = colour.r, rgb[i + 1] = colour.g, rgb[i + 2] = colour.b;
    return stbi_write_jpg(path.c_str(), width, height, 3, rgb.data(), 95) != 0;
}

struct GifFrame {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<std::uint8_t> indices;  // width x height palette indices
    int delayCs = 10;
    int disposal = DISPOSAL_UNSPECIFIED;
    int transparent = NO_TRANSPARENT_COLOR;
};

// A GIF with a global palette of up to 256 colours (R, G, B triples).
inline bool writeGif(const std::filesystem::path& path, int width, int height, const std::vector<GifColorType>& palette,
                     const std::vector<GifFrame>& frames)
{
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    if (!gif)
        return false;
    int size = 2;
    while (size < static_cast<int>(palette.size()))
        size *= 2;
    std::vector<GifColorType> colours(palette);
    colours.resize(static_cast<std::size_t>(size));
    ColorMapObject* map = GifMakeMapObject(size, colours.data());
    EGifSetGifVersion(gif, true);
    bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, map) != GIF_ERROR;
    for (const GifFrame& frame : frames) {
        GraphicsControlBlock control{frame.disposal, false, frame.delayCs, frame.transparent};
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) != GIF_ERROR;
        ok = ok && EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, false, nullptr) != GIF_ERROR;
        std::vector<GifPixelType> line(static_cast<std::size_t>(frame.width));
        for (int y = 0; ok && y < frame.height; ++y) {
            for (int x = 0; x < frame.width; ++x)
                line[x] = frame.indices[static_cast<std::size_t>(y) * frame.width + x];
            ok = EGifPutLine(gif, line.data(), frame.width) != GIF_ERROR;
        }
    }
    GifFreeMapObject(map);
    ok = EGifCloseFile(gif, &error) != GIF_ERROR && ok;
    return ok;
}

// A whole frame of one palette index.
inline GifFrame solidFrame(int width, int height, std::uint8_t index, int delayCs)
{
    GifFrame frame;
    frame.width = width;
    frame.height = height;
    frame.indices.assign(static_cast<std::size_t>(width) * height, index);
    frame.delayCs = delayCs;
    return frame;
}

inline std::string readAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeAll(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// A PNG whose header claims width x height; no pixel data follows.
inline std::string pngHeaderOnly(std::uint32_t width, std::uint32_t height)
{
    std::string bytes("\x89PNG\r\n\x1a\n", 8);
    const auto be32 = [&](std::uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.push_back(static_cast<char>((v >> shift) & 0xFF));
    };
    be32(13);
    bytes += "IHDR";
    be32(width);
    be32(height);
    bytes += std::string("\x08\x06\x00\x00\x00", 5);  // 8 bits, RGBA
    be32(0);                                          // checksum, not looked at for the size
    return bytes;
}

}  // namespace tinctara::testing

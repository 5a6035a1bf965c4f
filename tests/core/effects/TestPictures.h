#pragma once

// Small picture files made at test time with the encoders of the same
// libraries the program decodes with (BMP written by hand).

#include <gif_lib.h>
#include <png.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <stdlib.h>

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
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    return png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr) != 0;
}

// A JPEG of 1 (grey), 3 (RGB) or 4 (CMYK, stored inverted as Adobe's
// programs do) components per pixel.
inline bool writeJpeg(const std::filesystem::path& path, int width, int height, int components,
                      const std::vector<std::uint8_t>& samples, int quality = 95, bool progressive = false)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    const std::size_t stride = static_cast<std::size_t>(width) * components;
    while (info.next_scanline < info.image_height) {
        auto row = const_cast<JSAMPROW>(samples.data() + info.next_scanline * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

inline bool writeJpeg(const std::filesystem::path& path, int width, int height, Pixel colour)
{
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < rgb.size(); i += 3)
        rgb[i] = colour.r, rgb[i + 1] = colour.g, rgb[i + 2] = colour.b;
    return writeJpeg(path, width, height, 3, rgb);
}

// RGB of a photograph's kind: smooth gradients, a fine texture and some
// grain, so that it compresses as a photo does rather than as flat areas.
inline std::vector<std::uint8_t> photoLike(int width, int height)
{
    std::vector<double> waveX(static_cast<std::size_t>(width)), waveY(static_cast<std::size_t>(height));
    for (int x = 0; x < width; ++x)
        waveX[x] = std::sin(x * 0.11) + 0.5 * std::sin(x * 0.013);
    for (int y = 0; y < height; ++y)
        waveY[y] = std::sin(y * 0.07) + 0.5 * std::cos(y * 0.017);
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    std::uint32_t noise = 12345;
    const auto level = [](double value) {
        return static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
    };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const double grain = static_cast<double>(noise >> 28) - 7.5;
            const double u = static_cast<double>(x) / width, v = static_cast<double>(y) / height;
            const double texture = 14 * waveX[x] * waveY[y];
            std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
            p[0] = level(30 + 190 * u + texture + grain);
            p[1] = level(40 + 170 * v - texture + grain);
            p[2] = level(220 - 100 * (u + v) + 0.5 * texture + grain);
        }
    return rgb;
}

// A BMP of 8 (palette), 24 or 32 bits a pixel, stored bottom-up as usual or
// top-down (a negative height).
inline bool writeBmp(const std::filesystem::path& path, int width, int height, int bits, bool topDown,
                     const std::function<Pixel(int x, int y)>& pixel)
{
    std::vector<Pixel> palette;
    std::map<std::uint32_t, std::uint8_t> indexOf;
    const auto key = [](Pixel p) { return static_cast<std::uint32_t>(p.r << 16 | p.g << 8 | p.b); };
    if (bits == 8)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (const Pixel p = pixel(x, y); !indexOf.count(key(p))) {
                    indexOf[key(p)] = static_cast<std::uint8_t>(palette.size());
                    palette.push_back(p);
                }
    const std::size_t stride = (static_cast<std::size_t>(width) * bits / 8 + 3) / 4 * 4;
    const std::uint32_t offset = 14 + 40 + static_cast<std::uint32_t>(palette.size()) * 4;
    std::string bytes;
    const auto le = [&bytes](std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i)
            bytes.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
    };
    bytes += "BM";
    le(offset + static_cast<std::uint32_t>(stride * height), 4);
    le(0, 4);
    le(offset, 4);
    le(40, 4);
    le(static_cast<std::uint32_t>(width), 4);
    le(static_cast<std::uint32_t>(topDown ? -height : height), 4);
    le(1, 2);
    le(static_cast<std::uint32_t>(bits), 2);
    le(0, 4);  // no compression
    le(static_cast<std::uint32_t>(stride * height), 4);
    le(2835, 4);
    le(2835, 4);
    le(static_cast<std::uint32_t>(palette.size()), 4);
    le(0, 4);
    for (const Pixel& p : palette)
        le(static_cast<std::uint32_t>(p.b | p.g << 8 | p.r << 16), 4);
    for (int row = 0; row < height; ++row) {
        const int y = topDown ? row : height - 1 - row;
        std::string line;
        for (int x = 0; x < width; ++x) {
            const Pixel p = pixel(x, y);
            if (bits == 8)
                line.push_back(static_cast<char>(indexOf[key(p)]));
            else
                line += std::string{static_cast<char>(p.b), static_cast<char>(p.g), static_cast<char>(p.r)};
            if (bits == 32)
                line.push_back(static_cast<char>(p.a));
        }
        line.resize(stride, '\0');
        bytes += line;
    }
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
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

// A folder of its own for the picture files a test makes, removed afterwards.
struct PictureFolder {
    PictureFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tinctara-pictures-XXXXXX").string();
        root = ::mkdtemp(pattern.data());
    }
    ~PictureFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    std::string path(const std::string& name) const { return (root / name).string(); }
    std::filesystem::path root;
};

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

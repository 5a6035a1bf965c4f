#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace tinctara {

// Pictures are decoded by Debian's libraries (libpng for PNG, libjpeg-turbo
// for JPEG, giflib for animated GIF, stb_image's BMP decoder for BMP); this is
// only the glue and the limits.

inline constexpr long long MaxPicturePixels = 100'000'000;      // one picture
inline constexpr long long MaxAnimationPixels = 1'000'000'000;  // all frames to be decoded

// One decoded picture: width x height pixels, row by row, each of `channels`
// bytes: 4 R, G, B, A; 3 R, G, B; 2 grey, A; 1 grey (pictures keep the
// channels they were stored with, which spares a conversion pass). Valid only
// during the call that receives it.
struct RgbaView {
    const std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int channels = 4;
};

// Receives each frame with its display time in milliseconds (0 when the
// source gives none); returns false to stop decoding.
using FrameSink = std::function<bool(const RgbaView& frame, int delayMs)>;

// Receives a still picture row by row from the top: its size first, then
// every row of width x channels bytes, valid only during the call.
class RowSink {
public:
    virtual ~RowSink() = default;
    virtual void begin(int width, int height, int channels) = 0;
    virtual void row(int y, const std::uint8_t* pixels) = 0;
    // How many pixels of a width x height picture the smallest cell they are
    // averaged over spans along its shorter side; 0 when every pixel is
    // wanted. A JPEG is then decoded at 1/2, 1/4 or 1/8 of its size, as far
    // as every cell still spans 8 decoded pixels.
    virtual double cellSpan(int /*width*/, int /*height*/) const { return 0; }
};

struct DecodeOutcome {
    std::string refusal;  // German text; empty when the frames were delivered
    bool more = false;    // the source had frames beyond `maxFrames`
    int frames = 0;       // frames delivered
    int available = 0;    // frames of an animated GIF or folder, counted beyond `maxFrames` too
};

// A single picture file (PNG, JPEG, BMP, the first frame of a GIF), row by
// row: a PNG that is not interlaced is never held whole, which spares the
// memory and a pass over it.
DecodeOutcome decodePictureRows(const std::string& path, RowSink& sink);

// An animation: an animated GIF frame by frame, a folder of numbered PNG
// files in the order of their numbers, or a single picture as one frame. At
// most `maxFrames` frames are decoded.
DecodeOutcome decodeAnimation(const std::string& path, int maxFrames, const FrameSink& sink);

}  // namespace tinctara

#pragma once

// What the decoders of the single formats share; used only by the picture
// decoding in this folder.

#include "effects/PictureDecoding.h"

#include <optional>
#include <string>

namespace tinctara::pictures {

struct PictureSize {
    long long width = 0;
    long long height = 0;
};

// The refusals, in the program's words.
std::string unreadable(const std::string& path);
std::string corrupt(const std::string& path);
std::string tooLarge(const std::string& path, long long width, long long height);

// Whether width x height is above `limit` pixels, for any sizes a header may
// state (the product of two 32-bit sizes does not fit 64 signed bits).
inline bool exceedsPixels(long long width, long long height, long long limit)
{
    return width > 0 && height > limit / width;
}

// A number stored in `count` bytes, the most significant first (big endian)
// or last.
inline long long storedNumber(const unsigned char* bytes, int count, bool bigEndian)
{
    long long value = 0;
    for (int i = 0; i < count; ++i)
        value = value * 256 + bytes[bigEndian ? i : count - 1 - i];
    return value;
}

// JPEG through libjpeg-turbo: the size its header states, and the picture row
// by row, decoded at 1/2, 1/4 or 1/8 of its size where the sink's cells still
// span 8 decoded pixels.
std::optional<PictureSize> jpegSize(const std::string& path);
DecodeOutcome decodeJpeg(const std::string& path, RowSink& sink);

// BMP through stb_image's BMP decoder.
std::optional<PictureSize> bmpSize(const std::string& path);
DecodeOutcome decodeBmp(const std::string& path, RowSink& sink);

// Hands a whole decoded picture to `sink` row by row.
void feedRows(const RgbaView& frame, RowSink& sink);

}  // namespace tinctara::pictures

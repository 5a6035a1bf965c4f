// JPEG through libjpeg-turbo. libjpeg reports errors by calling a function
// that must not return, so ours jumps back with longjmp: every step that may
// fail runs in a function of its own that holds nothing with a destructor.
#include "effects/PictureFormats.h"

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include <jerror.h>

namespace tinctara::pictures {

namespace {

// A progressive picture is decoded once more for each scan; a file of
// thousands of tiny scans would keep the decoder busy for minutes. Encoders
// write about ten.
constexpr int MaxScans = 100;

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void jpegFail(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1); }

// libjpeg only warns where the data ends early or its code is broken, and
// fills the rest with grey: such a picture is damaged. Other warnings (bytes
// between segments, an unknown revision) leave the picture whole.
void jpegMessage(j_common_ptr info, int level)
{
    if (level >= 0)
        return;
    switch (info->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
        jpegFail(info);
    default:
        break;
    }
}

void jpegProgress(j_common_ptr info)
{
    if (info->is_decompressor && reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > MaxScans)
        jpegFail(info);
}

struct JpegReader {
    JpegErrors errors{};
    jpeg_progress_mgr progress{};
    jpeg_decompress_struct info{};
    std::FILE* file = nullptr;
    bool created = false;

    ~JpegReader()
    {
        if (created)
            jpeg_destroy_decompress(&info);
        if (file)
            std::fclose(file);
    }
};

bool readHeader(JpegReader* reader)
{
    if (setjmp(reader->errors.jump))
        return false;
    reader->info.err = jpeg_std_error(&reader->errors.manager);
    reader->errors.manager.error_exit = jpegFail;
    reader->errors.manager.emit_message = jpegMessage;
    jpeg_create_decompress(&reader->info);
    reader->created = true;
    reader->progress.progress_monitor = jpegProgress;
    reader->info.progress = &reader->progress;
    jpeg_stdio_src(&reader->info, reader->file);
    jpeg_read_header(&reader->info, TRUE);
    return true;
}

bool start(JpegReader* reader, J_COLOR_SPACE space, unsigned int reduction)
{
    if (setjmp(reader->errors.jump))
        return false;
    reader->info.out_color_space = space;
    reader->info.scale_num = 1;
    reader->info.scale_denom = reduction;
    jpeg_start_decompress(&reader->info);
    return true;
}

// CMYK as Adobe's programs store it (inverted), made RGB by multiplying each
// colour with the black; the stb decoder used before did the same.
void cmykToRgb(const std::uint8_t* cmyk, std::uint8_t* rgb, JDIMENSION width)
{
    const auto times = [](unsigned a, unsigned b) {
        const unsigned t = a * b + 128;
        return static_cast<std::uint8_t>((t + (t >> 8)) >> 8);
    };
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        rgb[0] = times(cmyk[0], cmyk[3]);
        rgb[1] = times(cmyk[1], cmyk[3]);
        rgb[2] = times(cmyk[2], cmyk[3]);
    }
}

// One row at a time, each handed on before the next is decoded: an error
// jumps back here from within libjpeg, never across the sink's frames.
bool streamRows(JpegReader* reader, JSAMPROW line, std::uint8_t* rgb, RowSink* sink)
{
    if (setjmp(reader->errors.jump))
        return false;
    jpeg_decompress_struct& info = reader->info;
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        if (jpeg_read_scanlines(&info, &line, 1) != 1)
            return false;
        if (rgb)
            cmykToRgb(line, rgb, info.output_width);
        sink->row(y, rgb ? rgb : line);
    }
    jpeg_finish_decompress(&info);
    return true;
}

bool open(JpegReader& reader, const std::string& path)
{
    reader.file = std::fopen(path.c_str(), "rb");
    return reader.file && readHeader(&reader);
}

// The reduction (1, 2, 4 or 8) at which a cell spanning `span` pixels of
// the full picture still spans 8 decoded ones.
unsigned int reductionFor(double span)
{
    unsigned int reduction = 8;
    while (reduction > 1 && span / reduction < 8)
        reduction /= 2;
    return reduction;
}

}  // namespace

std::optional<PictureSize> jpegSize(const std::string& path)
{
    JpegReader reader;
    // A header that fails after the frame's size was read (a file cut short)
    // still says how large the picture would be.
    if (!open(reader, path) && (reader.info.image_width == 0 || reader.info.image_height == 0))
        return std::nullopt;
    return PictureSize{reader.info.image_width, reader.info.image_height};
}

DecodeOutcome decodeJpeg(const std::string& path, RowSink& sink)
{
    DecodeOutcome outcome;
    JpegReader reader;
    if (!open(reader, path)) {
        outcome.refusal = reader.file ? corrupt(path) : unreadable(path);
        return outcome;
    }
    const long long width = reader.info.image_width;
    const long long height = reader.info.image_height;
    if (width <= 0 || height <= 0) {
        outcome.refusal = corrupt(path);
        return outcome;
    }
    if (exceedsPixels(width, height, MaxPicturePixels)) {
        outcome.refusal = tooLarge(path, width, height);
        return outcome;
    }
    J_COLOR_SPACE space = JCS_RGB;
    switch (reader.info.jpeg_color_space) {
    case JCS_GRAYSCALE:
        space = JCS_GRAYSCALE;
        break;
    case JCS_YCbCr:
    case JCS_RGB:
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        space = JCS_CMYK;
        break;
    default:
        outcome.refusal = corrupt(path);
        return outcome;
    }
    const unsigned int reduction = reductionFor(sink.cellSpan(static_cast<int>(width), static_cast<int>(height)));
    if (!start(&reader, space, reduction) || reader.info.output_width == 0 || reader.info.output_height == 0) {
        outcome.refusal = corrupt(path);
        return outcome;
    }
    const JDIMENSION outputWidth = reader.info.output_width;
    std::vector<std::uint8_t> line(static_cast<std::size_t>(outputWidth) * reader.info.output_components);
    std::vector<std::uint8_t> rgb(space == JCS_CMYK ? static_cast<std::size_t>(outputWidth) * 3 : 0);
    sink.begin(static_cast<int>(outputWidth), static_cast<int>(reader.info.output_height),
               space == JCS_GRAYSCALE ? 1 : 3);
    if (!streamRows(&reader, line.data(), rgb.empty() ? nullptr : rgb.data(), &sink)) {
        outcome.refusal = corrupt(path);
        return outcome;
    }
    outcome.frames = 1;
    return outcome;
}

}  // namespace tinctara::pictures

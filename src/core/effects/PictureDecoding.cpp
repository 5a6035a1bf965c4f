#include "effects/PictureDecoding.h"

#include "effects/PictureFormats.h"
#include "text/Text.h"

#include <gif_lib.h>
#include <png.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <system_error>
#include <tuple>
#include <utility>
#include <vector>

namespace tinctara {

namespace fs = std::filesystem;

namespace {

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

}  // namespace

namespace pictures {

std::string unreadable(const std::string& path)
{
    return "Die Bilddatei " + quoted(path) + " kann nicht gelesen werden.";
}

std::string corrupt(const std::string& path)
{
    return "Die Bilddatei " + quoted(path) + " ist beschädigt oder in keinem bekannten Format (PNG, JPEG, GIF, BMP).";
}

std::string tooLarge(const std::string& path, long long width, long long height)
{
    return "Das Bild " + quoted(path) + " ist mit " + std::to_string(width) + " x " + std::to_string(height) +
           " Bildpunkten zu groß: höchstens 100 Megapixel sind möglich.";
}

void feedRows(const RgbaView& frame, RowSink& sink)
{
    const std::size_t stride = static_cast<std::size_t>(frame.width) * frame.channels;
    sink.begin(frame.width, frame.height, frame.channels);
    for (int y = 0; y < frame.height; ++y)
        sink.row(y, frame.pixels + y * stride);
}

}  // namespace pictures

namespace {

using namespace pictures;

std::string notFound(const std::string& path) { return "Die Bilddatei " + quoted(path) + " wurde nicht gefunden."; }

// Why a path cannot be read as a file, or empty when it can.
std::string fileProblem(const std::string& path)
{
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status))
        return notFound(path);
    if (fs::is_directory(status))
        return quoted(path) + " ist ein Ordner und keine Bilddatei.";
    if (!fs::is_regular_file(status))
        return unreadable(path);
    std::ifstream probe(path, std::ios::binary);
    if (!probe)
        return unreadable(path);
    return {};
}

std::string readHead(const std::string& path, std::size_t bytes)
{
    std::ifstream in(path, std::ios::binary);
    std::string head(bytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(bytes));
    head.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return head;
}

// The format, by the file's first bytes: a name says nothing.
enum class PictureKind { Unknown, Png, Jpeg, Gif, Bmp };

PictureKind kindOf(const std::string& head)
{
    if (head.compare(0, 8, "\x89PNG\r\n\x1a\n", 8) == 0)
        return PictureKind::Png;
    if (head.compare(0, 2, "\xFF\xD8", 2) == 0)
        return PictureKind::Jpeg;
    if (head.compare(0, 3, "GIF") == 0)
        return PictureKind::Gif;
    if (head.compare(0, 2, "BM") == 0)
        return PictureKind::Bmp;
    return PictureKind::Unknown;
}

long long bytesAt(const std::string& bytes, std::size_t at, int count, bool bigEndian)
{
    return storedNumber(reinterpret_cast<const unsigned char*>(bytes.data()) + at, count, bigEndian);
}

// The size the header states, read before a library sees the file: a PNG's
// IHDR, a GIF's screen; JPEG and BMP by their libraries' header readers.
std::optional<PictureSize> statedSize(const std::string& path, PictureKind kind, const std::string& head)
{
    switch (kind) {
    case PictureKind::Png:
        if (head.size() < 24 || head.compare(12, 4, "IHDR") != 0)
            return std::nullopt;
        return PictureSize{bytesAt(head, 16, 4, true), bytesAt(head, 20, 4, true)};
    case PictureKind::Gif:
        if (head.size() < 10)
            return std::nullopt;
        return PictureSize{bytesAt(head, 6, 2, false), bytesAt(head, 8, 2, false)};
    case PictureKind::Jpeg:
        return jpegSize(path);
    case PictureKind::Bmp:
        return bmpSize(path);
    case PictureKind::Unknown:
        break;
    }
    return std::nullopt;
}

// --- PNG through libpng --------------------------------------------------------
// libpng reports errors by longjmp, so the two steps that may fail run in
// functions of their own that hold nothing with a destructor.

[[noreturn]] void pngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

void pngWarning(png_structp, png_const_charp) {}

// Everything libpng allocates is counted against a budget: the rows of the
// picture's width and a fixed allowance, never what a chunk's length claims.
struct PngBudget {
    std::size_t left = 0;
};

// Each block carries its size in front, so that freeing it returns it to the budget.
constexpr std::size_t PngBlockHeader = alignof(std::max_align_t);
static_assert(PngBlockHeader >= sizeof(std::size_t));

png_voidp pngAllocate(png_structp png, png_alloc_size_t size)
{
    auto* budget = static_cast<PngBudget*>(png_get_mem_ptr(png));
    if (size > budget->left)
        return nullptr;
    auto* block = static_cast<unsigned char*>(std::malloc(size + PngBlockHeader));
    if (!block)
        return nullptr;
    budget->left -= size;
    *reinterpret_cast<std::size_t*>(block) = size;
    return block + PngBlockHeader;
}

void pngFree(png_structp png, png_voidp memory)
{
    if (!memory)
        return;
    auto* block = static_cast<unsigned char*>(memory) - PngBlockHeader;
    static_cast<PngBudget*>(png_get_mem_ptr(png))->left += *reinterpret_cast<std::size_t*>(block);
    std::free(block);
}

// libpng's own structures, zlib's window and the pieces of image data read at once.
constexpr std::size_t PngFixedAllowance = 2 * 1024 * 1024;
constexpr std::size_t PngReadPiece = 256 * 1024;

bool readPngHeader(png_structp png, png_infop info, std::FILE* file, PngBudget* budget, int* width, int* height,
                   int* channels, int* passes)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    // The picture decides the sizes, and the program's limit decides the picture.
    png_set_user_limits(png, static_cast<png_uint_32>(MaxPicturePixels), static_cast<png_uint_32>(MaxPicturePixels));
    // Only the pixels, the palette and its transparency are used: every other
    // chunk is skipped unread, whatever length it claims.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_set_chunk_malloc_max(png, 64 * 1024);
    png_set_chunk_cache_max(png, 32);
    // Image data in pieces of 256 KiB rather than 8 KiB: a photograph is read
    // with a few dozen calls instead of thousands.
    png_set_compression_buffer_size(png, PngReadPiece);
#ifdef PNG_IGNORE_ADLER32
    // Every chunk's CRC already guards the bytes against damage; the second
    // sum over the inflated data costs a pass of its own over them.
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    png_read_info(png, info);
    // Now the rows: libpng's row buffers hold at most 8 bytes a pixel (16-bit
    // RGBA), a few of them at once.
    budget->left += 6 * 8 * static_cast<std::size_t>(png_get_image_width(png, info));
    png_set_expand(png);  // palette to RGB, grey below 8 bits to 8, transparency to alpha
    png_set_strip_16(png);
    *passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    *width = static_cast<int>(png_get_image_width(png, info));
    *height = static_cast<int>(png_get_image_height(png, info));
    *channels = png_get_channels(png, info);
    return true;
}

bool readPngImage(png_structp png, png_infop info, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_image(png, rows);
    png_read_end(png, info);
    return true;
}

// One row at a time into `line`, each handed on before the next is read: an
// error jumps back here from within libpng, never across the sink's frames.
bool streamPngRows(png_structp png, png_infop info, png_bytep line, int height, RowSink* sink)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    for (int y = 0; y < height; ++y) {
        png_read_row(png, line, nullptr);
        sink->row(y, line);
    }
    png_read_end(png, info);
    return true;
}

struct PngReader {
    PngBudget budget{PngFixedAllowance + PngReadPiece};
    std::FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngReader()
    {
        if (png)
            png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        if (file)
            std::fclose(file);
    }
};

// The size has been checked from the header before this is called. On a
// refusal the sink may have had some rows: the caller drops what it made.
DecodeOutcome decodePng(const std::string& path, RowSink& sink)
{
    DecodeOutcome outcome;
    PngReader reader;
    reader.file = std::fopen(path.c_str(), "rb");
    if (!reader.file) {
        outcome.refusal = unreadable(path);
        return outcome;
    }
    reader.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, pngError, pngWarning, &reader.budget,
                                          pngAllocate, pngFree);
    reader.info = reader.png ? png_create_info_struct(reader.png) : nullptr;
    int width = 0, height = 0, channels = 0, passes = 1;
    if (!reader.info ||
        !readPngHeader(reader.png, reader.info, reader.file, &reader.budget, &width, &height, &channels, &passes) ||
        width <= 0 || height <= 0 || channels < 1 || channels > 4) {
        outcome.refusal = corrupt(path);
        return outcome;
    }
    if (exceedsPixels(width, height, MaxPicturePixels)) {
        outcome.refusal = tooLarge(path, width, height);
        return outcome;
    }
    const std::size_t stride = static_cast<std::size_t>(width) * channels;
    bool read = false;
    if (passes == 1) {
        std::vector<std::uint8_t> line(stride);
        sink.begin(width, height, channels);
        read = streamPngRows(reader.png, reader.info, line.data(), height, &sink);
    } else {  // an interlaced picture comes whole: its passes revisit every row
        std::vector<std::uint8_t> pixels(stride * height);
        std::vector<png_bytep> rows(static_cast<std::size_t>(height));
        for (int y = 0; y < height; ++y)
            rows[static_cast<std::size_t>(y)] = pixels.data() + y * stride;
        read = readPngImage(reader.png, reader.info, rows.data());
        if (read) {
            sink.begin(width, height, channels);
            for (int y = 0; y < height; ++y)
                sink.row(y, rows[static_cast<std::size_t>(y)]);
        }
    }
    if (!read) {
        outcome.refusal = corrupt(path);
        return outcome;
    }
    outcome.frames = 1;
    return outcome;
}

// Gathers the rows of a picture into one frame, for those who take frames whole.
class WholeFrame final : public RowSink {
public:
    void begin(int width, int height, int channels) override
    {
        view_ = RgbaView{nullptr, width, height, channels};
        stride_ = static_cast<std::size_t>(width) * channels;
        pixels_.assign(stride_ * height, 0);
        view_.pixels = pixels_.data();
    }
    void row(int y, const std::uint8_t* pixels) override
    {
        std::copy(pixels, pixels + stride_, pixels_.begin() + static_cast<std::ptrdiff_t>(y * stride_));
    }
    const RgbaView& view() const { return view_; }

private:
    std::vector<std::uint8_t> pixels_;
    std::size_t stride_ = 0;
    RgbaView view_;
};

// --- GIF ---------------------------------------------------------------------

struct GifClose {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifHandle = std::unique_ptr<GifFileType, GifClose>;

GifHandle openGif(const std::string& path)
{
    int error = 0;
    return GifHandle(DGifOpenFileName(path.c_str(), &error));
}

// Skips the rest of an extension or the image data of a frame without
// decompressing it.
bool skipExtension(GifFileType* gif, GifByteType* block)
{
    while (block != nullptr)
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
            return false;
    return true;
}

bool skipImage(GifFileType* gif)
{
    int codeSize = 0;
    GifByteType* block = nullptr;
    if (DGifGetCode(gif, &codeSize, &block) == GIF_ERROR)
        return false;
    while (block != nullptr)
        if (DGifGetCodeNext(gif, &block) == GIF_ERROR)
            return false;
    return true;
}

// Counts the frames and checks every size before anything is decoded.
struct GifSurvey {
    std::string refusal;
    int frames = 0;
};

GifSurvey surveyGif(const std::string& path, int maxFrames)
{
    GifSurvey survey;
    GifHandle gif = openGif(path);
    if (!gif) {
        survey.refusal = corrupt(path);
        return survey;
    }
    const long long screen = static_cast<long long>(gif->SWidth) * gif->SHeight;
    if (gif->SWidth <= 0 || gif->SHeight <= 0) {
        survey.refusal = corrupt(path);
        return survey;
    }
    if (screen > MaxPicturePixels) {
        survey.refusal = tooLarge(path, gif->SWidth, gif->SHeight);
        return survey;
    }
    for (GifRecordType record = UNDEFINED_RECORD_TYPE; record != TERMINATE_RECORD_TYPE;) {
        if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR) {
            // Frames read so far are whole: a file cut after them still plays them.
            if (survey.frames == 0)
                survey.refusal = corrupt(path);
            break;
        }
        if (record == IMAGE_DESC_RECORD_TYPE) {
            if (DGifGetImageDesc(gif.get()) == GIF_ERROR || !skipImage(gif.get())) {
                if (survey.frames == 0)
                    survey.refusal = corrupt(path);
                break;
            }
            ++survey.frames;
            // Only what is decoded counts against the limit.
            if (std::min(survey.frames, maxFrames) * screen > MaxAnimationPixels) {
                survey.refusal = "Die Animation " + quoted(path) + " ist zu groß: " + std::to_string(gif->SWidth) +
                                 " x " + std::to_string(gif->SHeight) + " Bildpunkte in " +
                                 counted(survey.frames, "Bild", "Bildern") +
                                 ", höchstens 1000 Megapixel in allen Bildern sind möglich.";
                return survey;
            }
        } else if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR || !skipExtension(gif.get(), block)) {
                if (survey.frames == 0)
                    survey.refusal = corrupt(path);
                break;
            }
        }
    }
    if (survey.refusal.empty() && survey.frames == 0)
        survey.refusal = corrupt(path);
    return survey;
}

// GIF delays are hundredths of a second; 0 and 1 are shown at 100 ms, as
// browsers do, since such files rely on it.
int delayOf(int centiseconds) { return (centiseconds <= 1 ? 10 : centiseconds) * 10; }

DecodeOutcome decodeGif(const std::string& path, int maxFrames, const FrameSink& sink)
{
    DecodeOutcome outcome;
    const GifSurvey survey = surveyGif(path, maxFrames);
    if (!survey.refusal.empty()) {
        outcome.refusal = survey.refusal;
        return outcome;
    }
    outcome.available = survey.frames;
    outcome.more = survey.frames > maxFrames;
    GifHandle gif = openGif(path);
    if (!gif) {
        outcome.refusal = corrupt(path);
        return outcome;
    }
    const int width = gif->SWidth;
    const int height = gif->SHeight;
    std::vector<std::uint8_t> canvas(static_cast<std::size_t>(width) * height * 4, 0);
    std::vector<std::uint8_t> previous;
    std::vector<GifPixelType> line;
    GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};

    for (GifRecordType record = UNDEFINED_RECORD_TYPE; record != TERMINATE_RECORD_TYPE && outcome.frames < maxFrames;) {
        if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR)
            break;
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR)
                break;
            if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] >= 4)
                DGifExtensionToGCB(block[0], block + 1, &control);
            if (!skipExtension(gif.get(), block))
                break;
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE)
            continue;
        if (DGifGetImageDesc(gif.get()) == GIF_ERROR)
            break;
        const GifImageDesc& frame = gif->Image;
        const ColorMapObject* map = frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap;
        if (frame.Width <= 0 || frame.Height <= 0 ||
            static_cast<long long>(frame.Width) * frame.Height > MaxPicturePixels) {
            break;
        }
        if (control.DisposalMode == DISPOSE_PREVIOUS)
            previous = canvas;
        line.assign(static_cast<std::size_t>(frame.Width), 0);
        static constexpr int InterlaceStart[] = {0, 4, 2, 1};
        static constexpr int InterlaceStep[] = {8, 8, 4, 2};
        bool whole = true;
        const int passes = frame.Interlace ? 4 : 1;
        for (int pass = 0; pass < passes && whole; ++pass) {
            const int start = frame.Interlace ? InterlaceStart[pass] : 0;
            const int step = frame.Interlace ? InterlaceStep[pass] : 1;
            for (int row = start; row < frame.Height; row += step) {
                if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR) {
                    whole = false;
                    break;
                }
                const int y = frame.Top + row;
                if (y < 0 || y >= height)
                    continue;
                for (int column = 0; column < frame.Width; ++column) {
                    const int x = frame.Left + column;
                    const int index = line[column];
                    if (x < 0 || x >= width || index == control.TransparentColor)
                        continue;
                    std::uint8_t* pixel = &canvas[(static_cast<std::size_t>(y) * width + x) * 4];
                    if (map != nullptr && index < map->ColorCount) {
                        pixel[0] = map->Colors[index].Red;
                        pixel[1] = map->Colors[index].Green;
                        pixel[2] = map->Colors[index].Blue;
                    } else {
                        pixel[0] = pixel[1] = pixel[2] = 0;
                    }
                    pixel[3] = 255;
                }
            }
        }
        if (!whole)
            break;  // a frame cut short is left out; the ones before it stand
        ++outcome.frames;
        if (!sink(RgbaView{canvas.data(), width, height, 4}, delayOf(control.DelayTime)))
            return outcome;
        // What this frame leaves for the next one.
        if (control.DisposalMode == DISPOSE_BACKGROUND) {
            for (int row = std::max(frame.Top, 0); row < std::min(frame.Top + frame.Height, height); ++row)
                for (int column = std::max(frame.Left, 0); column < std::min(frame.Left + frame.Width, width); ++column)
                    std::fill_n(&canvas[(static_cast<std::size_t>(row) * width + column) * 4], 4, 0);
        } else if (control.DisposalMode == DISPOSE_PREVIOUS && previous.size() == canvas.size()) {
            canvas.swap(previous);
        }
        control = GraphicsControlBlock{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    }
    if (outcome.frames == 0)
        outcome.refusal = corrupt(path);
    return outcome;
}

// --- a still picture of any format ---------------------------------------------

struct StillCheck {
    std::string refusal;  // empty: the picture may be decoded
    PictureKind kind = PictureKind::Unknown;
    PictureSize size;
};

// A still picture's file, format and stated size, checked before any pixel
// is decoded.
StillCheck checkStill(const std::string& path)
{
    StillCheck check;
    if (std::string problem = fileProblem(path); !problem.empty()) {
        check.refusal = problem;
        return check;
    }
    const std::string head = readHead(path, 24);
    check.kind = kindOf(head);
    const std::optional<PictureSize> size = statedSize(path, check.kind, head);
    if (!size || size->width <= 0 || size->height <= 0)
        check.refusal = corrupt(path);
    else if (exceedsPixels(size->width, size->height, MaxPicturePixels))
        check.refusal = tooLarge(path, size->width, size->height);
    else
        check.size = *size;
    return check;
}

// A checked still picture, row by row; of a GIF its first frame.
DecodeOutcome decodeStillRows(const std::string& path, PictureKind kind, RowSink& sink)
{
    switch (kind) {
    case PictureKind::Png:
        return decodePng(path, sink);
    case PictureKind::Jpeg:
        return decodeJpeg(path, sink);
    case PictureKind::Bmp:
        return decodeBmp(path, sink);
    case PictureKind::Gif: {
        DecodeOutcome outcome = decodeGif(path, 1, [&sink](const RgbaView& frame, int) {
            feedRows(frame, sink);
            return true;
        });
        outcome.more = false;
        return outcome;
    }
    case PictureKind::Unknown:
        break;
    }
    DecodeOutcome outcome;
    outcome.refusal = corrupt(path);
    return outcome;
}

// A still picture as one whole frame, without a display time of its own.
DecodeOutcome decodeStill(const std::string& path, const FrameSink& sink)
{
    const StillCheck check = checkStill(path);
    if (!check.refusal.empty()) {
        DecodeOutcome outcome;
        outcome.refusal = check.refusal;
        return outcome;
    }
    WholeFrame frame;
    DecodeOutcome outcome = decodeStillRows(path, check.kind, frame);
    if (outcome.refusal.empty())
        sink(frame.view(), 0);
    return outcome;
}

// --- folder of numbered PNG files ---------------------------------------------

struct Numbered {
    unsigned long long number;
    std::string name;
    fs::path path;
};

// The number in a file name: its last run of digits.
std::optional<unsigned long long> numberIn(const std::string& stem)
{
    const auto last = std::find_if(stem.rbegin(), stem.rend(), [](unsigned char c) { return std::isdigit(c); });
    if (last == stem.rend())
        return std::nullopt;
    auto first = last;
    while (first != stem.rend() && std::isdigit(static_cast<unsigned char>(*first)))
        ++first;
    const std::string digits(first.base(), last.base());
    return std::stoull(digits.substr(digits.size() > 18 ? digits.size() - 18 : 0));
}

DecodeOutcome decodeFolder(const std::string& folder, int maxFrames, const FrameSink& sink)
{
    DecodeOutcome outcome;
    std::vector<Numbered> files;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        std::string extension = entry->path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (extension != ".png")
            continue;
        if (const auto number = numberIn(entry->path().stem().string()))
            files.push_back({*number, entry->path().filename().string(), entry->path()});
    }
    if (error) {
        outcome.refusal = "Der Ordner " + quoted(folder) + " kann nicht gelesen werden.";
        return outcome;
    }
    if (files.empty()) {
        outcome.refusal = "Der Ordner " + quoted(folder) + " enthält keine nummerierten PNG-Dateien.";
        return outcome;
    }
    std::sort(files.begin(), files.end(), [](const Numbered& a, const Numbered& b) {
        return std::tie(a.number, a.name) < std::tie(b.number, b.name);
    });
    outcome.available = static_cast<int>(files.size());
    outcome.more = outcome.available > maxFrames;
    if (outcome.more)
        files.resize(static_cast<std::size_t>(maxFrames));
    // Every file is checked before the first is decoded, so a bad one in the
    // middle leaves nothing half done.
    long long total = 0;
    for (const Numbered& file : files) {
        const StillCheck check = checkStill(file.path.string());
        if (!check.refusal.empty()) {
            outcome.refusal = check.refusal;
            return outcome;
        }
        total += check.size.width * check.size.height;
    }
    if (total > MaxAnimationPixels) {
        outcome.refusal = "Die Bilder im Ordner " + quoted(folder) +
                          " sind zusammen zu groß: höchstens 1000 Megapixel in allen Bildern sind möglich.";
        return outcome;
    }
    // A file that fails now refuses the whole effect; the caller drops what
    // it was given before.
    for (const Numbered& file : files) {
        const DecodeOutcome one = decodeStill(file.path.string(), sink);
        if (!one.refusal.empty()) {
            outcome.refusal = one.refusal;
            return outcome;
        }
        ++outcome.frames;
    }
    return outcome;
}

}  // namespace

DecodeOutcome decodePictureRows(const std::string& path, RowSink& sink)
{
    const StillCheck check = checkStill(path);
    if (!check.refusal.empty()) {
        DecodeOutcome outcome;
        outcome.refusal = check.refusal;
        return outcome;
    }
    return decodeStillRows(path, check.kind, sink);
}

DecodeOutcome decodeAnimation(const std::string& path, int maxFrames, const FrameSink& sink)
{
    DecodeOutcome outcome;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (fs::is_directory(status))
        return decodeFolder(path, std::max(maxFrames, 0), sink);
    if (std::string problem = fileProblem(path); !problem.empty()) {
        outcome.refusal = problem;
        return outcome;
    }
    if (kindOf(readHead(path, 3)) == PictureKind::Gif)
        return decodeGif(path, std::max(maxFrames, 0), sink);
    return decodeStill(path, sink);
}

}  // namespace tinctara

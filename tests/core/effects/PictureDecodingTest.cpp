// The decoders behind the picture effects: hostile files, JPEG by
// libjpeg-turbo (colour spaces, damage, scaled decoding), BMP variants and
// the fuzzer's seed files.
#include "effects/Effects.h"
#include "effects/PictureDecoding.h"
#include "effects/PictureMapping.h"
#include "core/effects/TestPictures.h"
#include "core/effects/TestWall.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace tinctara {
namespace {

namespace fs = std::filesystem;
using testing::grid;
using testing::pictureEffect;
using testing::PictureFolder;
using testing::Pixel;

std::string fromHex(const std::string& hex)
{
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::string damaged(const std::string& path)
{
    return "Die Bilddatei \"" + path + "\" ist beschädigt oder in keinem bekannten Format (PNG, JPEG, GIF, BMP).";
}

std::string tooLarge(const std::string& path, const std::string& size)
{
    return "Das Bild \"" + path + "\" ist mit " + size + " Bildpunkten zu groß: höchstens 100 Megapixel sind möglich.";
}

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Found by feeding the decoders hostile files: a header of 4294967295 x
// 4294967295 pixels (whose pixel count overflowed), and a text chunk after
// the image data that claims 2 GiB and is cut short (libpng allocated and
// cleared all of it before it found the file's end).
TEST(PictureDecoding, HostilePngsAreRefusedWithoutTheirClaimedMemory)
{
    PictureFolder folder;
    struct Case {
        const char* name;
        const char* hex;
        std::string refusal;
    };
    const std::vector<Case> cases = {
        {"huge.png", "89504e470d0a1a0a0000000d49484452ffffffffffffffff08020000005d94b9690000000049454e44ae426082",
         tooLarge(folder.path("huge.png"), "4294967295 x 4294967295")},
        {"long-text.png",
         "89504e470d0a1a0a0000000d4948445200000002000000020802000000fdd49a730000001149444154789c63f8cfc0004460e23f0300"
         "1df003fda03309897fffffff74455874616263",
         damaged(folder.path("long-text.png"))},
    };
    for (const Case& c : cases) {
        testing::writeAll(folder.path(c.name), fromHex(c.hex));
        const long before = peakKilobytes();
        const EffectResult result = pictureEffect(folder.path(c.name), grid(3, 3));
        EXPECT_EQ(result.refusal, c.refusal) << c.name;
        EXPECT_TRUE(result.steps.empty()) << c.name;
        EXPECT_LT(peakKilobytes() - before, 64 * 1024) << c.name << ": the refusal took memory";
    }
}

// A chunk as a PNG file holds it: length, name, data and check sum.
std::string pngChunk(const std::string& name, const std::string& data)
{
    std::string chunk;
    for (int shift = 24; shift >= 0; shift -= 8)
        chunk.push_back(static_cast<char>(data.size() >> shift & 0xFF));
    chunk += name + data;
    const auto* bytes = reinterpret_cast<const Bytef*>(chunk.data() + 4);
    const uLong sum = crc32(0, bytes, static_cast<uInt>(chunk.size() - 4));
    for (int shift = 24; shift >= 0; shift -= 8)
        chunk.push_back(static_cast<char>(sum >> shift & 0xFF));
    return chunk;
}

// The limits refuse what a chunk claims, not large chunks that are there:
// metadata of a megabyte before the image data is skipped, not refused.
TEST(PictureDecoding, LargeMetadataChunksAreSkipped)
{
    PictureFolder folder;
    ASSERT_TRUE(testing::writePng(folder.path("plain.png"), 2, 1, [](int x, int) {
        return x ? Pixel{0, 0, 255, 255} : Pixel{255, 0, 0, 255};
    }));
    std::string png = testing::readAll(folder.path("plain.png"));
    const std::size_t afterHeader = 8 + 25;  // signature, IHDR
    png.insert(afterHeader, pngChunk("iTXt", "XML:com.adobe.xmp" + std::string(5, '\0') + std::string(1 << 20, 'x')) +
                                pngChunk("zzXx", std::string(300'000, '\x7F')));
    testing::writeAll(folder.path("metadata.png"), png);
    const EffectResult result = pictureEffect(folder.path("metadata.png"), grid(2, 1));
    ASSERT_TRUE(result.ok()) << result.refusal;
    EXPECT_EQ(result.steps[0].lamps, (std::vector<Rgbw>{{255, 0, 0, 0}, {0, 0, 255, 0}}));
}

void expectNear(const Rgbw& lamp, const Rgbw& expected, int tolerance, const std::string& what)
{
    EXPECT_NEAR(lamp.red, expected.red, tolerance) << what;
    EXPECT_NEAR(lamp.green, expected.green, tolerance) << what;
    EXPECT_NEAR(lamp.blue, expected.blue, tolerance) << what;
    EXPECT_EQ(lamp.white, 0) << what;
}

// Grey, RGB (baseline and progressive) and CMYK JPEGs; CMYK is made RGB as
// the decoder before did: the inverted colour times the inverted black.
TEST(PictureDecoding, JpegColourSpacesAndProgressive)
{
    PictureFolder folder;
    struct Case {
        const char* name;
        int components;
        std::vector<std::uint8_t> sample;
        bool progressive;
        Rgbw expected;
    };
    const std::vector<Case> cases = {
        {"rgb.jpg", 3, {200, 100, 50}, false, {200, 100, 50, 0}},
        {"progressive.jpg", 3, {20, 140, 230}, true, {20, 140, 230, 0}},
        {"grey.jpg", 1, {77}, false, {77, 77, 77, 0}},
        {"grey-progressive.jpg", 1, {180}, true, {180, 180, 180, 0}},
        {"cmyk.jpg", 4, {200, 100, 50, 128}, false, {100, 50, 25, 0}},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> samples;
        for (int i = 0; i < 24 * 16; ++i)
            samples.insert(samples.end(), c.sample.begin(), c.sample.end());
        ASSERT_TRUE(testing::writeJpeg(folder.path(c.name), 24, 16, c.components, samples, 98, c.progressive));
        const EffectResult result = pictureEffect(folder.path(c.name), grid(3, 2));
        ASSERT_TRUE(result.ok()) << c.name << ": " << result.refusal;
        for (const Rgbw& lamp : result.steps[0].lamps)
            expectNear(lamp, c.expected, 2, c.name);
    }
}

// Cut anywhere, or ended by a marker in the middle of the image data, a JPEG
// is refused as damaged rather than filled with grey.
TEST(PictureDecoding, DamagedJpegsAreRefused)
{
    PictureFolder folder;
    const std::vector<std::uint8_t> photo = testing::photoLike(96, 64);
    ASSERT_TRUE(testing::writeJpeg(folder.path("baseline.jpg"), 96, 64, 3, photo, 90));
    ASSERT_TRUE(testing::writeJpeg(folder.path("progressive.jpg"), 96, 64, 3, photo, 90, true));
    for (const char* name : {"baseline.jpg", "progressive.jpg"}) {
        const std::string whole = testing::readAll(folder.path(name));
        ASSERT_TRUE(pictureEffect(folder.path(name), grid(2, 2)).ok()) << name;
        std::string early = whole;
        early.replace(early.size() * 3 / 4, 2, "\xFF\xD9");
        const std::vector<std::pair<std::string, std::string>> variants = {
            {"header", whole.substr(0, 120)},
            {"half", whole.substr(0, whole.size() / 2)},
            {"no-end", whole.substr(0, whole.size() - 2)},
            {"early-end", early},
        };
        for (const auto& [variant, bytes] : variants) {
            const std::string path = folder.path(variant + "-" + name);
            testing::writeAll(path, bytes);
            const EffectResult result = pictureEffect(path, grid(2, 2));
            EXPECT_EQ(result.refusal, damaged(path));
            EXPECT_TRUE(result.steps.empty()) << path;
        }
    }
}

// Records the size a decoder begins with and maps the rows as the effect does.
class RecordingMapper final : public RowSink {
public:
    RecordingMapper(const EffectWall& wall, PictureFit fit, double gamma, double span = -1)
        : wall_(wall), mapper_(wall_, fit, gamma), span_(span)
    {
    }
    void begin(int width, int height, int channels) override
    {
        decodedWidth = width;
        decodedHeight = height;
        mapper_.begin(width, height, channels);
    }
    void row(int y, const std::uint8_t* pixels) override { mapper_.row(y, pixels); }
    double cellSpan(int width, int height) const override
    {
        return span_ >= 0 ? span_ : mapper_.cellSpan(width, height);
    }
    std::vector<Rgbw> lamps() const { return mapper_.lamps(); }
    int decodedWidth = 0;
    int decodedHeight = 0;

private:
    EffectWall wall_;  // the mapper keeps a reference
    PictureMapper mapper_;
    double span_;
};

// Every pixel, as the picture is; the mapping of a full decode.
std::vector<Rgbw> fullDecode(const std::string& path, const EffectWall& wall, PictureFit fit, double gamma)
{
    RecordingMapper full(wall, fit, gamma, 0);
    const DecodeOutcome outcome = decodePictureRows(path, full);
    EXPECT_TRUE(outcome.refusal.empty()) << outcome.refusal;
    return full.lamps();
}

// A JPEG is decoded at 1/2, 1/4 or 1/8 only as far as every cell still
// spans 8 decoded pixels.
TEST(PictureDecoding, JpegReductionKeepsEightDecodedPixelsPerCell)
{
    PictureFolder folder;
    const std::string path = folder.path("photo.jpg");
    ASSERT_TRUE(testing::writeJpeg(path, 640, 480, 3, testing::photoLike(640, 480), 90));
    struct Case {
        double span;
        int width;
        int height;
    };
    const std::vector<Case> cases = {
        {0, 640, 480},  {15.9, 640, 480}, {16, 320, 240}, {31.9, 320, 240},
        {32, 160, 120}, {63.9, 160, 120}, {64, 80, 60},   {1000, 80, 60},
    };
    for (const Case& c : cases) {
        RecordingMapper sink(grid(2, 2), PictureFit::Stretch, 1.0, c.span);
        const DecodeOutcome outcome = decodePictureRows(path, sink);
        ASSERT_TRUE(outcome.refusal.empty()) << outcome.refusal;
        EXPECT_EQ(sink.decodedWidth, c.width) << "span " << c.span;
        EXPECT_EQ(sink.decodedHeight, c.height) << "span " << c.span;
    }
}

// Photographs on walls of several shapes: the lamps of the scaled decode
// stay within 2 levels of those of the full picture.
TEST(PictureDecoding, ScaledJpegDecodingKeepsTheLamps)
{
    PictureFolder folder;
    ASSERT_TRUE(testing::writeJpeg(folder.path("large.jpg"), 4000, 3000, 3, testing::photoLike(4000, 3000), 90));
    ASSERT_TRUE(testing::writeJpeg(folder.path("small.jpg"), 640, 480, 3, testing::photoLike(640, 480), 90));
    EffectWall tallCells = grid(11, 4);
    tallCells.cellAspect = 2.5;
    struct Case {
        const char* file;
        EffectWall wall;
        PictureFit fit;
        double gamma;
        int decodedWidth;
    };
    const std::vector<Case> cases = {
        {"large.jpg", grid(11, 11), PictureFit::Fill, 2.2, 500},
        {"large.jpg", grid(11, 11), PictureFit::Fit, 1.0, 500},
        {"large.jpg", tallCells, PictureFit::Fit, 1.8, 500},
        {"small.jpg", grid(11, 11), PictureFit::Fill, 2.2, 160},
        {"small.jpg", grid(11, 11), PictureFit::Stretch, 1, 160},
        {"small.jpg", grid(24, 5), PictureFit::Fill, 2.2, 320},
        {"small.jpg", grid(5, 3), PictureFit::Fill, 1.0, 80},
    };
    for (const Case& c : cases) {
        const std::string path = folder.path(c.file);
        const std::string what =
            std::string(c.file) + " on " + std::to_string(c.wall.columns) + " x " + std::to_string(c.wall.rows);
        RecordingMapper scaled(c.wall, c.fit, c.gamma);
        ASSERT_TRUE(decodePictureRows(path, scaled).refusal.empty()) << what;
        EXPECT_EQ(scaled.decodedWidth, c.decodedWidth) << what;
        const std::vector<Rgbw> full = fullDecode(path, c.wall, c.fit, c.gamma);
        const std::vector<Rgbw> lamps = scaled.lamps();
        ASSERT_EQ(lamps.size(), full.size());
        for (std::size_t i = 0; i < lamps.size(); ++i)
            expectNear(lamps[i], full[i], 2, what + ", lamp " + std::to_string(i + 1));
        // The effect takes the same way.
        EXPECT_EQ(pictureEffect(path, c.wall, c.fit, c.gamma).steps.at(0).lamps, lamps) << what;
    }
}

// BMP as stored by different programs: 8-bit palette, 24 and 32 bits, rows
// from the bottom or from the top.
TEST(PictureDecoding, BmpVariants)
{
    PictureFolder folder;
    const auto quadrants = [](int x, int y) {
        static constexpr Pixel colours[] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}};
        return colours[(y >= 2 ? 2 : 0) + (x >= 3 ? 1 : 0)];
    };
    const std::vector<Rgbw> expected{{255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}, {255, 255, 255, 0}};
    for (int bits : {8, 24, 32})
        for (bool topDown : {false, true}) {
            const std::string path = folder.path(std::to_string(bits) + (topDown ? "-down" : "-up") + ".bmp");
            ASSERT_TRUE(testing::writeBmp(path, 6, 4, bits, topDown, quadrants));
            const EffectResult result = pictureEffect(path, grid(2, 2));
            ASSERT_TRUE(result.ok()) << path << ": " << result.refusal;
            EXPECT_EQ(result.steps[0].lamps, expected) << path;
        }

    const std::string good = testing::readAll(folder.path("24-up.bmp"));
    testing::writeAll(folder.path("cut.bmp"), good.substr(0, good.size() / 2));
    std::string huge = good.substr(0, 54);
    huge.replace(18, 8, std::string("\x30\x75\x00\x00\x30\x75\x00\x00", 8));  // 30000 x 30000
    testing::writeAll(folder.path("huge.bmp"), huge);
    EXPECT_EQ(pictureEffect(folder.path("cut.bmp"), grid(2, 2)).refusal, damaged(folder.path("cut.bmp")));
    EXPECT_EQ(pictureEffect(folder.path("huge.bmp"), grid(2, 2)).refusal,
              tooLarge(folder.path("huge.bmp"), "30000 x 30000"));
}

// The fuzzer's seeds (tests/data/pictures) all show the same four quadrants:
// red, green above blue, white. Each of them must decode to that.
TEST(PictureDecoding, EverySeedShowsItsQuadrants)
{
    const fs::path seeds = fs::path(TINCTARA_TEST_DATA_DIR) / "pictures";
    const std::vector<Rgbw> expected{{255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}, {255, 255, 255, 0}};
    int files = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(seeds)) {
        if (!entry.is_regular_file() || entry.path().extension() == ".txt")
            continue;
        ++files;
        const std::string path = entry.path().string();
        const EffectResult result = pictureEffect(path, grid(2, 2));
        ASSERT_TRUE(result.ok()) << path << ": " << result.refusal;
        for (std::size_t i = 0; i < expected.size(); ++i)
            expectNear(result.steps[0].lamps[i], expected[i], 8, path);
    }
    EXPECT_GE(files, 10);
}

}  // namespace
}  // namespace tinctara

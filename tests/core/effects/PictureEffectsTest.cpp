#include "effects/Effects.h"
#include "effects/PictureDecoding.h"
#include "effects/PictureMapping.h"
#include "core/effects/TestPictures.h"
#include "core/effects/TestWall.h"

#include <gtest/gtest.h>
#include <png.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace tinctara {
namespace {

namespace fs = std::filesystem;
using testing::Pixel;

using testing::grid;

class PictureEffects : public ::testing::Test {
protected:
    PictureEffects()
    {
        std::string pattern = (fs::temp_directory_path() / "tinctara-effects-XXXXXX").string();
        root = ::mkdtemp(pattern.data());
    }
    ~PictureEffects() override
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    std::string path(const std::string& name) const { return (root / name).string(); }

    EffectResult picture(const std::string& file, int columns, int rows, PictureFit fit = PictureFit::Stretch,
                         double gamma = 1.0)
    {
        return testing::pictureEffect(file, grid(columns, rows), fit, gamma);
    }

    fs::path root;
};

constexpr Pixel RedPixel{255, 0, 0, 255}, BluePixel{0, 0, 255, 255};
constexpr Rgbw Red{255, 0, 0, 0}, Blue{0, 0, 255, 0}, Black{0, 0, 0, 0};

TEST_F(PictureEffects, EachLampTakesTheAverageOfItsArea)
{
    // Red, red, blue: two lamps cover one and a half pixels each.
    ASSERT_TRUE(testing::writePng(path("rrb.png"), 3, 1, [](int x, int) { return x < 2 ? RedPixel : BluePixel; }));
    EffectResult result = picture(path("rrb.png"), 2, 1);
    ASSERT_TRUE(result.ok()) << result.refusal;
    ASSERT_EQ(result.steps.size(), 1u);
    EXPECT_EQ(result.steps[0].lamps, (std::vector<Rgbw>{Red, {85, 0, 170, 0}}));
    // Gamma 2 on the mixed lamp: 255 x (1/3)^2 and 255 x (2/3)^2.
    EXPECT_EQ(picture(path("rrb.png"), 2, 1, PictureFit::Stretch, 2.0).steps[0].lamps,
              (std::vector<Rgbw>{Red, {28, 0, 113, 0}}));

    // A checkerboard on one lamp is grey, not the colour of one sample.
    ASSERT_TRUE(testing::writePng(path("check.png"), 2, 2, [](int x, int y) {
        return (x + y) % 2 ? Pixel{0, 0, 0, 255} : Pixel{255, 255, 255, 255};
    }));
    EXPECT_EQ(picture(path("check.png"), 1, 1).steps[0].lamps, (std::vector<Rgbw>{{128, 128, 128, 0}}));

    // Grey pictures and pictures without alpha keep their channels.
    const std::uint8_t grey[] = {0, 255, 255, 255}, greyAlpha[] = {255, 0, 255, 255}, rgb[] = {255, 0, 0, 0, 0, 255};
    EXPECT_EQ(mapPicture({grey, 4, 1, 1}, grid(2, 1), PictureFit::Stretch, 1.0),
              (std::vector<Rgbw>{{128, 128, 128, 0}, {255, 255, 255, 0}}));
    EXPECT_EQ(mapPicture({greyAlpha, 2, 1, 2}, grid(1, 1), PictureFit::Stretch, 1.0),
              (std::vector<Rgbw>{{128, 128, 128, 0}}));
    EXPECT_EQ(mapPicture({rgb, 2, 1, 3}, grid(2, 1), PictureFit::Stretch, 1.0), (std::vector<Rgbw>{Red, Blue}));

    // Transparent pixels count as black.
    ASSERT_TRUE(testing::writePng(path("half.png"), 2, 1, [](int x, int) {
        return x ? Pixel{255, 0, 0, 0} : RedPixel;
    }));
    EXPECT_EQ(picture(path("half.png"), 1, 1).steps[0].lamps, (std::vector<Rgbw>{{128, 0, 0, 0}}));
}

// The 4 x 2 red and blue picture, decoded.
RgbaView decodedRb()
{
    static const std::vector<std::uint8_t> pixels = [] {
        std::vector<std::uint8_t> p;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x)
                p.insert(p.end(), {static_cast<std::uint8_t>(x < 2 ? 255 : 0), 0,
                                   static_cast<std::uint8_t>(x < 2 ? 0 : 255), 255});
        return p;
    }();
    return {pixels.data(), 4, 2};
}

TEST_F(PictureEffects, FitFillAndStretch)
{
    // 4 x 2 pixels, left half red, right half blue.
    ASSERT_TRUE(testing::writePng(path("rb.png"), 4, 2, [](int x, int) { return x < 2 ? RedPixel : BluePixel; }));
    // Fit on 4 x 4: the picture fills rows 2 and 3, black above and below.
    const std::vector<Rgbw> fitted{Black, Black, Black, Black, Red,   Red,   Blue,  Blue,
                                   Red,   Red,   Blue,  Blue,  Black, Black, Black, Black};
    EXPECT_EQ(picture(path("rb.png"), 4, 4, PictureFit::Fit).steps[0].lamps, fitted);
    // Fill on 2 x 2: the picture covers the wall and its outer columns are cut.
    EXPECT_EQ(picture(path("rb.png"), 2, 2, PictureFit::Fill).steps[0].lamps,
              (std::vector<Rgbw>{Red, Blue, Red, Blue}));
    // Stretch on 2 x 2: one lamp column per colour as well, from all pixels.
    EXPECT_EQ(picture(path("rb.png"), 2, 2, PictureFit::Stretch).steps[0].lamps,
              (std::vector<Rgbw>{Red, Blue, Red, Blue}));
    // Cells twice as high as wide: a 2 x 1 wall is square, so the 2 : 1
    // picture fits into its middle half, black above and below.
    EffectWall tall = grid(2, 1);
    tall.cellAspect = 2.0;
    const std::vector<Rgbw> halfRed{{128, 0, 0, 0}, {0, 0, 128, 0}};
    EXPECT_EQ(mapPicture(decodedRb(), tall, PictureFit::Fit, 1.0), halfRed);
    // Stretch on 1 x 1: the average of all.
    EXPECT_EQ(picture(path("rb.png"), 1, 1, PictureFit::Stretch).steps[0].lamps, (std::vector<Rgbw>{{128, 0, 128, 0}}));
}

// PNG kinds other than 8-bit RGBA: a palette with a transparent entry and
// 16-bit grey, written by libpng's own writer.
TEST_F(PictureEffects, PalettePngAndSixteenBitGrey)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = 3;
    image.height = 1;
    image.format = PNG_FORMAT_RGBA | PNG_FORMAT_FLAG_COLORMAP;
    image.colormap_entries = 3;
    const std::uint8_t colormap[] = {255, 0, 0, 255, 0, 0, 255, 255, 0, 255, 0, 0};
    const std::uint8_t indices[] = {0, 1, 2};
    ASSERT_TRUE(png_image_write_to_file(&image, path("palette.png").c_str(), 0, indices, 0, colormap));
    EXPECT_EQ(picture(path("palette.png"), 3, 1).steps.at(0).lamps, (std::vector<Rgbw>{Red, Blue, Black}));

    png_image grey{};
    grey.version = PNG_IMAGE_VERSION;
    grey.width = 2;
    grey.height = 1;
    grey.format = PNG_FORMAT_LINEAR_Y;
    const std::uint16_t levels[] = {0, 65535};
    ASSERT_TRUE(png_image_write_to_file(&grey, path("grey16.png").c_str(), 0, levels, 0, nullptr));
    const EffectResult result = picture(path("grey16.png"), 2, 1);
    ASSERT_TRUE(result.ok()) << result.refusal;
    EXPECT_EQ(result.steps[0].lamps[0], Black);
    EXPECT_EQ(result.steps[0].lamps[1], (Rgbw{255, 255, 255, 0}));
}

// An interlaced PNG, written with libpng's low-level writer (Adam7).
bool writeInterlacedPng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    bool written = false;
    if (!setjmp(png_jmpbuf(png))) {
        png_init_io(png, file);
        png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_ADAM7, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        std::vector<png_bytep> rows(static_cast<std::size_t>(height));
        for (int y = 0; y < height; ++y)
            rows[y] = const_cast<png_bytep>(rgb.data()) + static_cast<std::size_t>(y) * width * 3;
        png_set_rows(png, info, rows.data());
        png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
        written = true;
    }
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return written;
}

// A PNG is mapped row by row as libpng decodes it; an interlaced one comes
// whole. Both must give the lamps of the picture mapped in one piece, and a
// damaged row stream must leave nothing behind.
TEST_F(PictureEffects, PngRowByRowMatchesTheWholePicture)
{
    constexpr int Width = 37, Height = 23;
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(Width) * Height * 3);
    for (std::size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<std::uint8_t>(i * 7 % 251);
    const EffectWall wall = grid(5, 4);
    const std::vector<Rgbw> whole = mapPicture({rgb.data(), Width, Height, 3}, wall, PictureFit::Fill, 1.0);

    ASSERT_TRUE(writeInterlacedPng(path("adam7.png"), Width, Height, rgb));
    ASSERT_TRUE(testing::writePng(path("plain.png"), Width, Height, [&](int x, int y) {
        const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * Width + x) * 3];
        return Pixel{p[0], p[1], p[2], 255};
    }));
    for (const char* name : {"adam7.png", "plain.png"}) {
        const EffectResult result = picture(path(name), 5, 4, PictureFit::Fill);
        ASSERT_TRUE(result.ok()) << name << ": " << result.refusal;
        EXPECT_EQ(result.steps.at(0).lamps, whole) << name;
    }

    // One byte changed in the middle of the image data: the chunk's check sum
    // no longer matches, after some rows have been mapped already.
    std::string damaged = testing::readAll(path("plain.png"));
    damaged[damaged.size() / 2] = static_cast<char>(damaged[damaged.size() / 2] ^ 0x10);
    testing::writeAll(path("damaged.png"), damaged);
    const EffectResult result = picture(path("damaged.png"), 5, 4);
    EXPECT_EQ(result.refusal, "Die Bilddatei \"" + path("damaged.png") +
                                  "\" ist beschädigt oder in keinem bekannten Format (PNG, JPEG, GIF, BMP).");
    EXPECT_TRUE(result.steps.empty());
}

TEST_F(PictureEffects, JpegIsDecodedToo)
{
    ASSERT_TRUE(testing::writeJpeg(path("grey.jpg"), 16, 16, Pixel{100, 100, 100, 255}));
    const EffectResult result = picture(path("grey.jpg"), 2, 2);
    ASSERT_TRUE(result.ok()) << result.refusal;
    for (const Rgbw& lamp : result.steps[0].lamps) {
        EXPECT_NEAR(lamp.red, 100, 2);
        EXPECT_NEAR(lamp.blue, 100, 2);
    }
}

TEST_F(PictureEffects, BadPicturesAreRefusedWithAReason)
{
    ASSERT_TRUE(testing::writePng(path("good.png"), 64, 64, [](int x, int y) {
        return Pixel{static_cast<std::uint8_t>(x * 4), static_cast<std::uint8_t>(y * 4), 7, 255};
    }));
    const std::string good = testing::readAll(path("good.png"));
    testing::writeAll(path("cut.png"), good.substr(0, good.size() / 2));
    testing::writeAll(path("noise.png"), std::string(300, '\x5A'));
    testing::writeAll(path("huge.png"), testing::pngHeaderOnly(30000, 30000));
    // A JPEG whose frame header (after an APP0 segment) states 20000 x 6000.
    testing::writeAll(path("huge.jpg"), std::string("\xFF\xD8\xFF\xE0\x00\x04\x00\x00"
                                                    "\xFF\xC0\x00\x11\x08\x17\x70\x4E\x20\x03",
                                                    18));
    ASSERT_TRUE(testing::writeJpeg(path("good.jpg"), 64, 64, Pixel{9, 9, 9, 255}));
    const std::string jpeg = testing::readAll(path("good.jpg"));
    testing::writeAll(path("cut.jpg"), jpeg.substr(0, jpeg.size() / 2));
    fs::create_directories(path("folder"));
    testing::writeAll(path("locked.png"), good);
    fs::permissions(path("locked.png"), fs::perms::none);

    struct Case {
        std::string file;
        std::string refusal;
    };
    const std::vector<Case> cases = {
        {path("missing.png"), "Die Bilddatei \"" + path("missing.png") + "\" wurde nicht gefunden."},
        {path("cut.png"), "Die Bilddatei \"" + path("cut.png") +
                              "\" ist beschädigt oder in keinem bekannten Format (PNG, JPEG, GIF, BMP)."},
        {path("noise.png"), "Die Bilddatei \"" + path("noise.png") +
                                "\" ist beschädigt oder in keinem bekannten Format (PNG, JPEG, GIF, BMP)."},
        {path("cut.jpg"), "Die Bilddatei \"" + path("cut.jpg") +
                              "\" ist beschädigt oder in keinem bekannten Format (PNG, JPEG, GIF, BMP)."},
        {path("huge.png"), "Das Bild \"" + path("huge.png") +
                               "\" ist mit 30000 x 30000 Bildpunkten zu groß: höchstens 100 Megapixel sind möglich."},
        {path("huge.jpg"), "Das Bild \"" + path("huge.jpg") +
                               "\" ist mit 20000 x 6000 Bildpunkten zu groß: höchstens 100 Megapixel sind möglich."},
        {path("folder"), "\"" + path("folder") + "\" ist ein Ordner und keine Bilddatei."},
    };
    for (const Case& c : cases) {
        const EffectResult result = picture(c.file, 3, 3);
        EXPECT_EQ(result.refusal, c.refusal);
        EXPECT_TRUE(result.steps.empty()) << c.file;
    }
    if (::geteuid() != 0) {  // root reads every file
        EXPECT_EQ(picture(path("locked.png"), 3, 3).refusal,
                  "Die Bilddatei \"" + path("locked.png") + "\" kann nicht gelesen werden.");
    }
    fs::permissions(path("locked.png"), fs::perms::owner_all);
}

TEST_F(PictureEffects, GifFramesBecomeStepsWithTheirDelays)
{
    const std::vector<GifColorType> palette{{0, 0, 0}, {255, 0, 0}, {0, 0, 255}, {0, 255, 0}};
    std::vector<testing::GifFrame> frames{testing::solidFrame(2, 2, 1, 10), testing::solidFrame(2, 2, 2, 25)};
    // Frame 3 paints only the top right pixel and is transparent elsewhere:
    // the blue of frame 2 shows through, and its area is cleared afterwards.
    testing::GifFrame patch;
    patch.left = 1;
    patch.width = 1;
    patch.height = 1;
    patch.indices = {3};
    patch.delayCs = 0;
    patch.disposal = DISPOSE_BACKGROUND;
    frames.push_back(patch);
    frames.push_back(testing::GifFrame{0, 1, 2, 1, {0, 0}, 100, DISPOSAL_UNSPECIFIED, 0});  // all transparent
    ASSERT_TRUE(testing::writeGif(path("anim.gif"), 2, 2, palette, frames));

    EffectParameters p;
    p.kind = EffectKind::Animation;
    p.picture = path("anim.gif");
    p.hold = 77;
    p.blend = 88;
    const EffectResult result = GenerateEffect(grid(2, 2), p);
    ASSERT_TRUE(result.ok()) << result.refusal;
    ASSERT_EQ(result.steps.size(), 4u);
    const Rgbw green{0, 255, 0, 0};
    EXPECT_EQ(result.steps[0].lamps, std::vector<Rgbw>(4, Red));
    EXPECT_EQ(result.steps[1].lamps, std::vector<Rgbw>(4, Blue));
    EXPECT_EQ(result.steps[2].lamps, (std::vector<Rgbw>{Blue, green, Blue, Blue}));
    EXPECT_EQ(result.steps[3].lamps, (std::vector<Rgbw>{Blue, Black, Blue, Blue}));
    // A step lasts its load tick, the hold and one blend tick: 100 ms -> 2
    // ticks, 250 ms -> 5, no delay -> 100 ms, 1 s -> 20.
    const std::uint16_t holds[] = {0, 3, 0, 18};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(result.steps[i].hold, holds[i]) << i;
        EXPECT_EQ(result.steps[i].blend, 1) << i;
    }
}

TEST_F(PictureEffects, AGifOfManyFramesGivesTheStepsThatFit)
{
    std::vector<testing::GifFrame> frames;
    for (int i = 0; i < 300; ++i)
        frames.push_back(testing::solidFrame(1, 1, static_cast<std::uint8_t>(i % 2), 10));
    ASSERT_TRUE(testing::writeGif(path("long.gif"), 1, 1, {{0, 0, 0}, {255, 255, 255}}, frames));
    EffectParameters p;
    p.kind = EffectKind::Animation;
    p.picture = path("long.gif");
    bool truncated = false;
    EffectResult result = GenerateEffect(grid(1, 1), p, MaxEffectSteps, &truncated);
    ASSERT_TRUE(result.ok()) << result.refusal;
    EXPECT_EQ(result.steps.size(), 250u);
    EXPECT_EQ(result.sourceSteps, 300);
    EXPECT_TRUE(truncated);
    result = GenerateEffect(grid(1, 1), p, 40, &truncated);
    EXPECT_EQ(result.steps.size(), 40u);
    EXPECT_EQ(result.sourceSteps, 300);
    EXPECT_EQ(result.steps[39].lamps, std::vector<Rgbw>(1, Rgbw{255, 255, 255, 0}));
}

TEST_F(PictureEffects, BadAnimations)
{
    ASSERT_TRUE(testing::writeGif(path("ok.gif"), 4, 4, {{0, 0, 0}, {255, 0, 0}},
                                  {testing::solidFrame(4, 4, 1, 10), testing::solidFrame(4, 4, 0, 10)}));
    const std::string gif = testing::readAll(path("ok.gif"));
    testing::writeAll(path("header.gif"), gif.substr(0, 20));
    // A screen of 30000 x 30000 is refused from the header alone.
    std::string huge = gif;
    huge[6] = huge[8] = static_cast<char>(30000 & 0xFF);
    huge[7] = huge[9] = static_cast<char>(30000 >> 8);
    testing::writeAll(path("huge.gif"), huge);
    fs::create_directories(path("empty"));

    EffectParameters p;
    p.kind = EffectKind::Animation;
    const auto refusal = [&](const std::string& file) {
        p.picture = file;
        const EffectResult result = GenerateEffect(grid(2, 2), p);
        EXPECT_TRUE(result.steps.empty()) << file;
        return result.refusal;
    };
    EXPECT_EQ(refusal(path("header.gif")),
              "Die Bilddatei \"" + path("header.gif") +
                  "\" ist beschädigt oder in keinem bekannten Format (PNG, JPEG, GIF, BMP).");
    EXPECT_EQ(refusal(path("huge.gif")),
              "Das Bild \"" + path("huge.gif") +
                  "\" ist mit 30000 x 30000 Bildpunkten zu groß: höchstens 100 Megapixel sind möglich.");
    EXPECT_EQ(refusal(path("empty")), "Der Ordner \"" + path("empty") + "\" enthält keine nummerierten PNG-Dateien.");
    EXPECT_EQ(refusal(path("none.gif")), "Die Bilddatei \"" + path("none.gif") + "\" wurde nicht gefunden.");
}

TEST_F(PictureEffects, NumberedPngFilesPlayInTheOrderOfTheirNumbers)
{
    fs::create_directories(path("frames"));
    const auto solid = [](Pixel colour) { return [colour](int, int) { return colour; }; };
    ASSERT_TRUE(testing::writePng(path("frames/bild10.png"), 2, 2, solid(BluePixel)));
    ASSERT_TRUE(testing::writePng(path("frames/bild2.PNG"), 2, 2, solid(Pixel{0, 255, 0, 255})));
    ASSERT_TRUE(testing::writePng(path("frames/bild1.png"), 2, 2, solid(RedPixel)));
    testing::writeAll(path("frames/liesmich.txt"), "no picture");
    EffectParameters p;
    p.kind = EffectKind::Animation;
    p.picture = path("frames");
    p.hold = 6;
    p.blend = 12;
    const EffectResult result = GenerateEffect(grid(1, 1), p);
    ASSERT_TRUE(result.ok()) << result.refusal;
    ASSERT_EQ(result.steps.size(), 3u);
    EXPECT_EQ(result.steps[0].lamps[0], Red);
    EXPECT_EQ(result.steps[1].lamps[0], (Rgbw{0, 255, 0, 0}));
    EXPECT_EQ(result.steps[2].lamps[0], Blue);
    EXPECT_EQ(result.steps[2].hold, 6);
    EXPECT_EQ(result.steps[2].blend, 12);

    // One broken file refuses the whole folder.
    testing::writeAll(path("frames/bild3.png"), "not a png");
    const EffectResult broken = GenerateEffect(grid(1, 1), p);
    EXPECT_FALSE(broken.ok());
    EXPECT_TRUE(broken.steps.empty());
}

}  // namespace
}  // namespace tinctara

#include "windows/WindowFit.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace tinctara {
namespace {

TEST(WindowFitTest, TwipsAndPixelsConvertAtTheScreensDpiWithinTheLimit)
{
    constexpr auto toPixels = PixelsFromTwips;
    constexpr auto toTwips = TwipsFromPixels;
    struct Case {
        const char* what;
        int (*convert)(double, double);
        double value;
        double dpi;
        int expected;
    };
    const Case cases[] = {
        {"an inch", toPixels, 1440, 96, 96},
        {"the sample show's left edge", toPixels, 300, 96, 20},
        {"an inch at 120 dpi", toPixels, 1440, 120, 120},
        {"just under half a pixel", toPixels, 7, 96, 0},
        {"just over half a pixel", toPixels, 8, 96, 1},
        {"half a pixel rounds away from zero", toPixels, 7.5, 96, 1},
        {"negative half a pixel too", toPixels, -7.5, 96, -1},
        {"a wall cell's fraction", toPixels, 12345.6, 96, 823},
        {"the limit itself", toPixels, 15.0 * PlacementLimit, 96, PlacementLimit},
        {"the largest number a file can hold", toPixels, INT_MAX, 96, PlacementLimit},
        {"the smallest", toPixels, INT_MIN, 96, -PlacementLimit},
        {"large at a high dpi", toPixels, 1e12, 600, PlacementLimit},
        {"an inch of pixels", toTwips, 96, 96, 1440},
        {"a pixel at 96 dpi", toTwips, 1, 96, 15},
        {"a pixel at 120 dpi", toTwips, 1, 120, 12},
        {"a pixel at 97 dpi: rounded", toTwips, 1, 97, 15},
        {"left of the screen", toTwips, -20, 96, -300},
        {"the largest pixel", toTwips, INT_MAX, 96, PlacementLimit},
        {"the smallest pixel", toTwips, INT_MIN, 96, -PlacementLimit},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.convert(c.value, c.dpi), c.expected);
    }
}

// A window stored at close opens again on the same pixel.
TEST(WindowFitTest, StoredPlaceComesBackOnTheSamePixel)
{
    for (const double dpi : {72.0, 96.0, 97.0, 120.0, 144.0})
        for (int pixels = -3000; pixels <= 3000; ++pixels)
            ASSERT_EQ(PixelsFromTwips(TwipsFromPixels(pixels, dpi), dpi), pixels) << dpi << " dpi";
}

// A 1280 x 1000 screen whose top 30 pixels belong to a panel.
constexpr PixelRect Screen{0, 30, 1280, 970};

TEST(WindowFitTest, MainWindowLandsWhollyOnTheFreeScreenArea)
{
    struct Case {
        const char* what;
        PixelRect stored;
        PixelRect expected;
    };
    const Case cases[] = {
        {"fits as stored", {100, 80, 900, 600}, {100, 80, 900, 600}},
        {"past the right and lower edges: moved back", {1000, 900, 900, 600}, {380, 375, 900, 600}},
        {"above and left of the area: moved in", {-400, -50, 900, 600}, {0, 30, 900, 600}},
        {"exactly the area (frame included)", {0, 30, 1280, 945}, {0, 30, 1280, 945}},
        {"a million pixels wide: default size", {0, 0, 1000000, 600}, {0, 30, 1024, 720}},
        {"one pixel taller than the area: default size", {0, 30, 800, 971}, {0, 30, 1024, 720}},
        {"fits, but not with its frame: cut", {0, 30, 800, 960}, {0, 30, 800, 945}},
        {"the largest numbers a file can hold", {INT_MAX, INT_MAX, INT_MAX, INT_MAX}, {256, 255, 1024, 720}},
        {"the smallest numbers", {INT_MIN, INT_MIN, INT_MIN, INT_MIN}, {0, 30, 1024, 720}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FitMainWindow(c.stored, Screen, 1024, 720, 0, 25), c.expected);
    }
}

TEST(WindowFitTest, DefaultSizeIsCutToASmallScreen)
{
    EXPECT_EQ(FitMainWindow({50, 50, 5000, 5000}, {0, 0, 800, 600}, 1024, 720, 10, 30), (PixelRect{0, 0, 790, 570}));
}

TEST(WindowFitTest, ChildWindowIsKeptInsideTheWorkArea)
{
    struct Case {
        const char* what;
        PixelRect frame;
        PixelPoint expected;
    };
    const Case cases[] = {
        {"inside", {40, 30, 300, 200}, {40, 30}},
        {"past the right edge (the patch window of the sample show)", {733, 10, 420, 500}, {604, 10}},
        {"past the lower edge", {10, 600, 300, 200}, {10, 490}},
        {"negative", {-80, -3000, 300, 200}, {0, 0}},
        {"wider than the area: its close button at the left edge", {500, 20, 1500, 200}, {0, 20}},
        {"far away", {INT_MAX - 10, INT_MAX - 10, 300, 200}, {724, 490}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PixelRect inside = KeepInsideArea(c.frame, 1024, 690);
        EXPECT_EQ((PixelPoint{inside.left, inside.top}), c.expected);
        EXPECT_EQ(inside.width, c.frame.width);
        EXPECT_EQ(inside.height, c.frame.height);
    }
}

// A child window without a stored place, 300 x 200 unless said, in a work area
// of 1024 x 690 with title bars of 24 pixels.
TEST(WindowFitTest, WindowsWithoutAPlaceCascadeBesideTheWall)
{
    struct Case {
        const char* what;
        PixelRect wall;
        std::vector<PixelRect> open;
        PixelPoint expected;
        PixelPoint frame{300, 200};
        PixelPoint area{1024, 690};
    };
    constexpr PixelRect WallAtLeft{0, 0, 400, 500};
    const Case cases[] = {
        // Without a wall: a cascade from the corner.
        {"nothing open", {}, {}, {0, 0}},
        {"two cascaded", {}, {{0, 0, 300, 200}, {24, 24, 300, 200}}, {48, 48}},
        {"a window a few pixels below a step keeps its title bar", {}, {{3, 2, 300, 200}}, {48, 48}},
        {"a gap would cover the title bar of the window after it",
         {},
         {{0, 0, 300, 200}, {48, 48, 300, 200}},
         {72, 72}},
        {"no room further down: on along the lower edge",
         {},
         {{0, 0, 300, 650}, {24, 24, 300, 650}},
         {336, 40},
         {300, 650}},
        {"larger than the area: the corner", {}, {}, {0, 0}, {2000, 2000}},

        // The wall at the left: the windows open to its right.
        {"wall at the left", WallAtLeft, {}, {400, 0}},
        {"the second window a step down and right", WallAtLeft, {{400, 0, 300, 200}}, {424, 24}},
        {"the third", WallAtLeft, {{400, 0, 300, 200}, {424, 24, 300, 200}}, {448, 48}},
        {"a window placed by the user beside the wall is stepped over", WallAtLeft, {{410, 10, 300, 200}}, {448, 48}},
        {"a wide window goes on down the right edge",
         WallAtLeft,
         {{400, 0, 600, 200}, {424, 24, 600, 200}},
         {424, 48},
         {600, 200}},
        {"a tall wall lower down: level with its top", {0, 120, 400, 500}, {}, {400, 120}},
        {"a low wall near the lower edge: as high up as the frame fits", {0, 600, 400, 90}, {}, {400, 490}},

        // No room to the right.
        {"wall as wide as the area: below it", {0, 0, 1024, 300}, {}, {0, 300}},
        {"below it, the second a step on", {0, 0, 1024, 300}, {{0, 300, 300, 200}}, {24, 324}},
        {"wall filling the area: over it at the right edge, its title bar free", {0, 0, 1024, 690}, {}, {724, 24}},
        {"wall filling the area, the second below the first", {0, 0, 1024, 690}, {{724, 24, 300, 200}}, {724, 48}},
        {"small screen, no room beside the wall: as far right as it fits",
         {0, 0, 300, 400},
         {},
         {240, 24},
         {400, 300},
         {640, 480}},
        {"a wall far outside the area", {INT_MAX - 10, INT_MAX - 10, INT_MAX, INT_MAX}, {}, {724, 490}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CascadeArea area{c.area.x, c.area.y, c.wall, c.open, 24};
        EXPECT_EQ(CascadePosition(area, c.frame.x, c.frame.y), c.expected);
    }
}

}  // namespace
}  // namespace tinctara

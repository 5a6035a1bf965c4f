#include "windows/WindowFit.h"

#include <gtest/gtest.h>

#include <climits>

namespace tinctara {
namespace {

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
    EXPECT_EQ(FitMainWindow({50, 50, 5000, 5000}, {0, 0, 800, 600}, 1024, 720, 10, 30),
              (PixelRect{0, 0, 790, 570}));
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

TEST(WindowFitTest, WindowsWithoutAPlaceCascade)
{
    // Nothing open: the corner of the work area.
    EXPECT_EQ(CascadePosition({}, 24, 300, 200, 1024, 690), (PixelPoint{0, 0}));
    // The wall at (0,0) and the colour window one step down: the third step.
    EXPECT_EQ(CascadePosition({{0, 0}, {24, 24}}, 24, 300, 200, 1024, 690), (PixelPoint{48, 48}));
    // A window a few pixels off a step still takes it.
    EXPECT_EQ(CascadePosition({{3, 2}}, 24, 300, 200, 1024, 690), (PixelPoint{24, 24}));
    // A gap in the cascade is filled first.
    EXPECT_EQ(CascadePosition({{0, 0}, {48, 48}}, 24, 300, 200, 1024, 690), (PixelPoint{24, 24}));
    // No step left at which the frame fits: back to the corner.
    EXPECT_EQ(CascadePosition({{0, 0}, {24, 24}}, 24, 300, 650, 1024, 690), (PixelPoint{0, 0}));
    // A frame larger than the area still opens at the corner.
    EXPECT_EQ(CascadePosition({}, 24, 2000, 2000, 1024, 690), (PixelPoint{0, 0}));
}

}  // namespace
}  // namespace tinctara

#pragma once

#include <vector>

namespace tinctara {

// The window table keeps places in twips (1/1440 inch); the screen has `dpi`
// pixels to the inch. Whatever a settings file holds, a converted value lies
// within +-PlacementLimit, far from the ends of int, so that a frame's size or
// a step added to it cannot overflow. Halves round away from zero.
inline constexpr int PlacementLimit = 1 << 24;
int PixelsFromTwips(double twips, double dpi);
int TwipsFromPixels(double pixels, double dpi);

// A window's rectangle in screen pixels.
struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct PixelPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// The main window as the settings file had it, fitted onto the available
// screen area. `stored` is the frame's top-left with the inner size; `frameExtra`
// is what the frame adds to that size. A size larger than the area takes the
// default size; what then sticks out by the frame is cut, and the window is
// moved until its frame lies inside the area.
PixelRect FitMainWindow(const PixelRect& stored, const PixelRect& available, int defaultWidth, int defaultHeight,
                        int frameExtraWidth, int frameExtraHeight);

// A child window's frame moved into a work area of the given size. A frame
// larger than the area keeps its title bar and close button in reach: it is
// put at the area's left or top edge.
PixelRect KeepInsideArea(const PixelRect& frame, int areaWidth, int areaHeight);

// What a child window without a stored place is placed among, in the work
// area's pixels.
struct CascadeArea {
    int width = 0;
    int height = 0;
    PixelRect wall;               // the wall window's frame; empty while it is not shown
    std::vector<PixelRect> open;  // the other open windows' frames
    int step = 24;                // a title bar's height
};

// Where a child window without a stored place opens: beside the wall window,
// to its right or else below it, so that it hides no cell; each next window a
// step further down and right, so that no window covers another's title bar.
// Only where no place beside the wall fits the frame does it go over the wall,
// as far to its right as the area allows. The frame always fits into the area
// unless it is larger.
PixelPoint CascadePosition(const CascadeArea& area, int frameWidth, int frameHeight);

}  // namespace tinctara

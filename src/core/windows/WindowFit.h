#pragma once

#include <vector>

namespace tinctara {

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

// Where a child window without a stored place opens: the first step of a
// cascade (0,0), (step,step), ... whose corner no other window takes and at
// which the frame fits into the area; the first step when none is free.
PixelPoint CascadePosition(const std::vector<PixelPoint>& takenCorners, int step, int frameWidth, int frameHeight,
                           int areaWidth, int areaHeight);

}  // namespace tinctara

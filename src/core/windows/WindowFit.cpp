#include "windows/WindowFit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace tinctara {

namespace {

constexpr double TwipsPerInch = 1440.0;

int clampedRound(double value)
{
    return static_cast<int>(std::lround(std::clamp(value, -double{PlacementLimit}, double{PlacementLimit})));
}

// Values from a settings file may be anything: compute in 64 bits.
int clampedStart(std::int64_t start, std::int64_t length, std::int64_t areaStart, std::int64_t areaLength)
{
    const std::int64_t last = areaStart + std::max<std::int64_t>(0, areaLength - length);
    return static_cast<int>(std::clamp(start, areaStart, last));
}

}  // namespace

int PixelsFromTwips(double twips, double dpi) { return clampedRound(twips * dpi / TwipsPerInch); }

int TwipsFromPixels(double pixels, double dpi) { return clampedRound(pixels * TwipsPerInch / dpi); }

PixelRect FitMainWindow(const PixelRect& stored, const PixelRect& available, int defaultWidth, int defaultHeight,
                        int frameExtraWidth, int frameExtraHeight)
{
    std::int64_t width = stored.width;
    std::int64_t height = stored.height;
    if (width > available.width || height > available.height || width <= 0 || height <= 0) {
        width = defaultWidth;
        height = defaultHeight;
    }
    // What still sticks out by the frame alone is cut.
    width =
        std::clamp<std::int64_t>(width, 1, std::max<std::int64_t>(1, std::int64_t{available.width} - frameExtraWidth));
    height = std::clamp<std::int64_t>(height, 1,
                                      std::max<std::int64_t>(1, std::int64_t{available.height} - frameExtraHeight));
    PixelRect fitted;
    fitted.width = static_cast<int>(width);
    fitted.height = static_cast<int>(height);
    fitted.left = clampedStart(stored.left, width + frameExtraWidth, available.left, available.width);
    fitted.top = clampedStart(stored.top, height + frameExtraHeight, available.top, available.height);
    return fitted;
}

PixelRect KeepInsideArea(const PixelRect& frame, int areaWidth, int areaHeight)
{
    PixelRect inside = frame;
    inside.left = clampedStart(frame.left, frame.width, 0, areaWidth);
    inside.top = clampedStart(frame.top, frame.height, 0, areaHeight);
    return inside;
}

namespace {

// Where a cascade may put a frame's corner: from `origin` down and right,
// within [minimum, maximum].
struct CascadeRegion {
    std::int64_t originX, originY;
    std::int64_t minimumX, minimumY;
    std::int64_t maximumX, maximumY;
};

// Whether a frame at (left, top) would lie over the title bar of `other`.
bool coversTitleBar(std::int64_t left, std::int64_t top, int width, int height, const PixelRect& other, int titleBar)
{
    return left < std::int64_t{other.left} + other.width && std::int64_t{other.left} < left + width &&
           top < std::int64_t{other.top} + titleBar && std::int64_t{other.top} < top + height;
}

}  // namespace

PixelPoint CascadePosition(const CascadeArea& area, int frameWidth, int frameHeight)
{
    const int step = std::max(area.step, 1);
    const std::int64_t lastX = std::int64_t{area.width} - frameWidth;
    const std::int64_t lastY = std::int64_t{area.height} - frameHeight;
    if (lastX < 0 || lastY < 0)
        return {0, 0};  // larger than the area: the corner keeps its title bar in reach

    const PixelRect& wall = area.wall;
    const bool wallShown = wall.width > 0 && wall.height > 0;
    const std::int64_t wallRight = std::int64_t{wall.left} + wall.width;
    const std::int64_t wallBottom = std::int64_t{wall.top} + wall.height;
    std::vector<CascadeRegion> regions;
    if (wallShown) {
        regions.push_back({wallRight, std::clamp<std::int64_t>(wall.top, 0, lastY), wallRight, 0, lastX, lastY});
        regions.push_back({std::clamp<std::int64_t>(wall.left, 0, lastX), wallBottom, 0, wallBottom, lastX, lastY});
    }
    // Over the wall, if need be, but as far from its left edge as the area allows.
    regions.push_back({wallShown ? std::clamp<std::int64_t>(wallRight, 0, lastX) : 0,
                       wallShown ? std::clamp<std::int64_t>(wall.top, 0, lastY) : 0, 0, 0, lastX, lastY});

    std::vector<PixelRect> others = area.open;
    if (wallShown)
        others.push_back(wall);
    // No room for the frame beside the wall on that side.
    std::erase_if(regions, [](const CascadeRegion& r) { return r.minimumX > r.maximumX || r.minimumY > r.maximumY; });
    for (const CascadeRegion& region : regions) {
        // Down and right by a title bar each step; at an edge only the other way goes on.
        for (std::int64_t offset = 0;; offset += step) {
            const std::int64_t x = std::min(region.originX + offset, region.maximumX);
            const std::int64_t y = std::min(region.originY + offset, region.maximumY);
            const bool free = std::none_of(others.begin(), others.end(), [&](const PixelRect& other) {
                return coversTitleBar(x, y, frameWidth, frameHeight, other, step);
            });
            if (free)
                return {static_cast<int>(x), static_cast<int>(y)};
            if (x == region.maximumX && y == region.maximumY)
                break;
        }
    }
    // Every step covers a title bar: the first place beside the wall all the same.
    return {static_cast<int>(regions.front().originX), static_cast<int>(regions.front().originY)};
}

}  // namespace tinctara

#include "windows/WindowFit.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace tinctara {

namespace {

// Values from a settings file may be anything: compute in 64 bits.
int clampedStart(std::int64_t start, std::int64_t length, std::int64_t areaStart, std::int64_t areaLength)
{
    const std::int64_t last = areaStart + std::max<std::int64_t>(0, areaLength - length);
    return static_cast<int>(std::clamp(start, areaStart, last));
}

}  // namespace

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
    width = std::clamp<std::int64_t>(width, 1, std::max<std::int64_t>(1, std::int64_t{available.width} - frameExtraWidth));
    height =
        std::clamp<std::int64_t>(height, 1, std::max<std::int64_t>(1, std::int64_t{available.height} - frameExtraHeight));
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

PixelPoint CascadePosition(const std::vector<PixelPoint>& takenCorners, int step, int frameWidth, int frameHeight,
                           int areaWidth, int areaHeight)
{
    step = std::max(step, 1);
    for (int slot = 0;; ++slot) {
        const std::int64_t offset = std::int64_t{slot} * step;
        if (slot > 0 && (offset + frameWidth > areaWidth || offset + frameHeight > areaHeight))
            return {0, 0};
        const PixelPoint corner{static_cast<int>(offset), static_cast<int>(offset)};
        const bool taken = std::any_of(takenCorners.begin(), takenCorners.end(), [&](const PixelPoint& other) {
            return std::abs(other.x - corner.x) < step / 2 + 1 && std::abs(other.y - corner.y) < step / 2 + 1;
        });
        if (!taken)
            return corner;
        if (offset > areaWidth && offset > areaHeight)
            return {0, 0};
    }
}

}  // namespace tinctara

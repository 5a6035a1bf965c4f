#include "effects/PictureMapping.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tinctara {

// Cell c covers picture coordinates [(c - offset) / scale, (c + 1 - offset) / scale).
PictureMapper::Span PictureMapper::spanOf(int cell, double offset, double scale, int pixels)
{
    const double from = std::max(0.0, (cell - offset) / scale);
    const double to = std::min(static_cast<double>(pixels), (cell + 1 - offset) / scale);
    Span span;
    if (to <= from)
        return span;
    span.first = static_cast<int>(std::floor(from));
    span.last = std::min(pixels - 1, static_cast<int>(std::ceil(to)) - 1);
    if (span.first == span.last) {
        span.firstWeight = to - from;
    } else {
        span.firstWeight = span.first + 1 - from;
        span.lastWeight = to - span.last;
    }
    return span;
}

// Sums one row of pixels per cell column, weighted by alpha and by the
// share of each end pixel. The inner pixels are summed in integers: this loop
// runs once per pixel of pictures of many megapixels.
template <int N>
void PictureMapper::sumRow(const std::uint8_t* line, const std::vector<Span>& spans,
                           std::vector<std::array<double, 3>>& sums)
{
    constexpr int alphaAt = N == 4 ? 3 : N == 2 ? 1 : -1;
    constexpr int greenAt = N >= 3 ? 1 : 0;
    constexpr int blueAt = N >= 3 ? 2 : 0;
    for (std::size_t c = 0; c < spans.size(); ++c) {
        const Span& span = spans[c];
        double red = 0, green = 0, blue = 0;
        const auto addWeighted = [&](int x, double share) {
            const std::uint8_t* p = line + static_cast<std::size_t>(x) * N;
            const double w = share * (alphaAt < 0 ? 255.0 : static_cast<double>(p[alphaAt]));
            red += w * p[0];
            green += w * p[greenAt];
            blue += w * p[blueAt];
        };
        if (span.last >= span.first) {
            addWeighted(span.first, span.weight(span.first));
            if (span.last != span.first)
                addWeighted(span.last, span.lastWeight);
        }
        std::uint64_t r = 0, g = 0, b = 0;
        const std::uint8_t* p = line + static_cast<std::size_t>(span.first + 1) * N;
        for (int x = span.first + 1; x < span.last; ++x, p += N) {
            const unsigned a = alphaAt < 0 ? 255u : p[alphaAt];
            r += a * p[0];
            g += a * p[greenAt];
            b += a * p[blueAt];
        }
        sums[c] = {red + static_cast<double>(r), green + static_cast<double>(g), blue + static_cast<double>(b)};
    }
}


PictureMapper::PictureMapper(const EffectWall& wall, PictureFit fit, double gamma)
    : wall_(wall), fit_(fit), gamma_(gamma)
{
}

PictureMapper::Placement PictureMapper::placement(int width, int height) const
{
    const int columns = wall_.columns;
    const int rows = wall_.rows;
    Placement p;
    p.scaleX = static_cast<double>(columns) / width;
    p.scaleY = static_cast<double>(rows) / height;
    if (fit_ != PictureFit::Stretch) {
        // Square pixels on cells of the wall's shape: the scale in widths of a cell.
        const double aspect = wall_.cellAspect > 0 ? wall_.cellAspect : 1.0;
        const double across = static_cast<double>(columns) / width;
        const double down = rows * aspect / height;
        const double scale = fit_ == PictureFit::Fit ? std::min(across, down) : std::max(across, down);
        p.scaleX = scale;
        p.scaleY = scale / aspect;
    }
    p.offsetX = (columns - width * p.scaleX) / 2;
    p.offsetY = (rows - height * p.scaleY) / 2;
    return p;
}

double PictureMapper::cellSpan(int width, int height) const
{
    if (wall_.columns <= 0 || wall_.rows <= 0 || width <= 0 || height <= 0)
        return 0;
    const Placement p = placement(width, height);
    return std::min(1 / p.scaleX, 1 / p.scaleY);
}

void PictureMapper::begin(int width, int height, int channels)
{
    const int columns = wall_.columns;
    const int rows = wall_.rows;
    channels_ = std::clamp(channels, 1, 4);
    sums_.assign(static_cast<std::size_t>(std::max(columns, 0)) * std::max(rows, 0), {0, 0, 0});
    active_ = columns > 0 && rows > 0 && width > 0 && height > 0;
    if (!active_)
        return;

    const Placement p = placement(width, height);
    scaleX_ = p.scaleX;
    scaleY_ = p.scaleY;
    offsetY_ = p.offsetY;
    spansX_.resize(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c)
        spansX_[c] = spanOf(c, p.offsetX, scaleX_, width);
    spansY_.resize(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r)
        spansY_[r] = spanOf(r, offsetY_, scaleY_, height);
    rowSums_.assign(static_cast<std::size_t>(columns), {0, 0, 0});
}

// Per cell R, G, B sums weighted by the covered area: a row of pixels is
// summed per cell column once and added to the cell rows it falls in.
void PictureMapper::row(int y, const std::uint8_t* line)
{
    if (!active_ || line == nullptr)
        return;
    const int columns = wall_.columns;
    // Cell rows that cover this pixel row (at most a few).
    const int firstRow = std::max(0, static_cast<int>(std::floor(offsetY_ + y * scaleY_)));
    const int lastRow = std::min(wall_.rows - 1, static_cast<int>(std::ceil(offsetY_ + (y + 1) * scaleY_)) - 1);
    if (firstRow > lastRow)
        return;
    switch (channels_) {
    case 1:
        sumRow<1>(line, spansX_, rowSums_);
        break;
    case 2:
        sumRow<2>(line, spansX_, rowSums_);
        break;
    case 3:
        sumRow<3>(line, spansX_, rowSums_);
        break;
    default:
        sumRow<4>(line, spansX_, rowSums_);
        break;
    }
    for (int r = firstRow; r <= lastRow; ++r) {
        const Span& span = spansY_[r];
        if (y < span.first || y > span.last)
            continue;
        const double w = span.weight(y);
        for (int c = 0; c < columns; ++c)
            for (int k = 0; k < 3; ++k)
                sums_[static_cast<std::size_t>(r) * columns + c][k] += w * rowSums_[c][k];
    }
}

std::vector<Rgbw> PictureMapper::lamps() const
{
    std::vector<Rgbw> lamps(static_cast<std::size_t>(wall_.elements()));
    if (!active_)
        return lamps;
    const int columns = wall_.columns;
    // A cell's area in pixels; alpha was summed as 0..255.
    const double cellArea = 1.0 / (scaleX_ * scaleY_) * 255.0;
    const double exponent = gamma_ > 0 ? gamma_ : 1.0;
    const auto level = [&](double sum) {
        const double average = std::clamp(sum / cellArea / 255.0, 0.0, 1.0);
        return static_cast<std::uint8_t>(std::lround(255.0 * std::pow(average, exponent)));
    };
    for (int element = 1; element <= wall_.elements(); ++element) {
        const ElementPosition position = wall_.positions[element - 1];
        const int c = position.column - 1;
        const int r = position.row - 1;
        if (c < 0 || c >= columns || r < 0 || r >= wall_.rows)
            continue;
        const auto& sum = sums_[static_cast<std::size_t>(r) * columns + c];
        lamps[element - 1] = Rgbw{level(sum[0]), level(sum[1]), level(sum[2]), 0};
    }
    return lamps;
}

std::vector<Rgbw> mapPicture(const RgbaView& picture, const EffectWall& wall, PictureFit fit, double gamma)
{
    PictureMapper mapper(wall, fit, gamma);
    if (picture.pixels == nullptr)
        return mapper.lamps();
    mapper.begin(picture.width, picture.height, picture.channels);
    const auto stride = static_cast<std::size_t>(picture.width) * std::clamp(picture.channels, 1, 4);
    for (int y = 0; y < picture.height; ++y)
        mapper.row(y, picture.pixels + static_cast<std::size_t>(y) * stride);
    return mapper.lamps();
}

}  // namespace tinctara

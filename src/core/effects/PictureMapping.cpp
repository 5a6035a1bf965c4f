#include "effects/PictureMapping.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tinctara {

namespace {

// The pixels one cell covers along one axis, with the share of each end pixel.
struct Span {
    int first = 0;        // first pixel (inclusive)
    int last = -1;        // last pixel (inclusive); last < first: nothing
    double firstWeight = 0;
    double lastWeight = 0;
    double weight(int pixel) const
    {
        if (first == last)
            return firstWeight;
        return pixel == first ? firstWeight : pixel == last ? lastWeight : 1.0;
    }
};

// Cell c covers picture coordinates [(c - offset) / scale, (c + 1 - offset) / scale).
Span spanOf(int cell, double offset, double scale, int pixels)
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
void sumRow(const std::uint8_t* line, const std::vector<Span>& spans, std::vector<std::array<double, 3>>& sums)
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

}  // namespace

std::vector<Rgbw> mapPicture(const RgbaView& picture, const EffectWall& wall, PictureFit fit, double gamma)
{
    const int columns = wall.columns;
    const int rows = wall.rows;
    std::vector<Rgbw> lamps(static_cast<std::size_t>(wall.elements()));
    if (columns <= 0 || rows <= 0 || picture.width <= 0 || picture.height <= 0 || picture.pixels == nullptr)
        return lamps;

    // Cells per pixel along each axis, and where the picture starts (in cells).
    double scaleX = static_cast<double>(columns) / picture.width;
    double scaleY = static_cast<double>(rows) / picture.height;
    if (fit != PictureFit::Stretch) {
        // Square pixels on cells of the wall's shape: the scale in widths of a cell.
        const double aspect = wall.cellAspect > 0 ? wall.cellAspect : 1.0;
        const double across = static_cast<double>(columns) / picture.width;
        const double down = rows * aspect / picture.height;
        const double scale = fit == PictureFit::Fit ? std::min(across, down) : std::max(across, down);
        scaleX = scale;
        scaleY = scale / aspect;
    }
    const double offsetX = (columns - picture.width * scaleX) / 2;
    const double offsetY = (rows - picture.height * scaleY) / 2;

    std::vector<Span> spansX(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c)
        spansX[c] = spanOf(c, offsetX, scaleX, picture.width);

    // Per cell R, G, B sums weighted by the covered area; a row of pixels is
    // summed per cell column once and added to the cell rows it falls in.
    std::vector<std::array<double, 3>> sums(static_cast<std::size_t>(columns) * rows, {0, 0, 0});
    std::vector<std::array<double, 3>> rowSums(static_cast<std::size_t>(columns));
    std::vector<Span> spansY(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r)
        spansY[r] = spanOf(r, offsetY, scaleY, picture.height);

    const int n = std::clamp(picture.channels, 1, 4);
    for (int y = 0; y < picture.height; ++y) {
        // Cell rows that cover this pixel row (at most a few).
        const int firstRow = std::max(0, static_cast<int>(std::floor(offsetY + y * scaleY)));
        const int lastRow = std::min(rows - 1, static_cast<int>(std::ceil(offsetY + (y + 1) * scaleY)) - 1);
        if (firstRow > lastRow)
            continue;
        const std::uint8_t* line = picture.pixels + static_cast<std::size_t>(y) * picture.width * n;
        switch (n) {
        case 1: sumRow<1>(line, spansX, rowSums); break;
        case 2: sumRow<2>(line, spansX, rowSums); break;
        case 3: sumRow<3>(line, spansX, rowSums); break;
        default: sumRow<4>(line, spansX, rowSums); break;
        }
        for (int r = firstRow; r <= lastRow; ++r) {
            const Span& span = spansY[r];
            if (y < span.first || y > span.last)
                continue;
            const double w = span.weight(y);
            for (int c = 0; c < columns; ++c)
                for (int k = 0; k < 3; ++k)
                    sums[static_cast<std::size_t>(r) * columns + c][k] += w * rowSums[c][k];
        }
    }

    // A cell's area in pixels; alpha was summed as 0..255.
    const double cellArea = 1.0 / (scaleX * scaleY) * 255.0;
    const double exponent = gamma > 0 ? gamma : 1.0;
    const auto level = [&](double sum) {
        const double average = std::clamp(sum / cellArea / 255.0, 0.0, 1.0);
        return static_cast<std::uint8_t>(std::lround(255.0 * std::pow(average, exponent)));
    };
    for (int element = 1; element <= wall.elements(); ++element) {
        const ElementPosition position = wall.positions[element - 1];
        const int c = position.column - 1;
        const int r = position.row - 1;
        if (c < 0 || c >= columns || r < 0 || r >= rows)
            continue;
        const auto& sum = sums[static_cast<std::size_t>(r) * columns + c];
        lamps[element - 1] = Rgbw{level(sum[0]), level(sum[1]), level(sum[2]), 0};
    }
    return lamps;
}

}  // namespace tinctara

#pragma once

#include "effects/Effects.h"
#include "effects/PictureDecoding.h"

#include <array>
#include <vector>

namespace tinctara {

// Lays a picture onto the wall's grid and gives every element the average of
// the part of the picture that falls on its cell (cells of the wall's shape):
// fit shows the whole picture with black borders, fill covers the wall and
// cuts what sticks out, stretch fills the wall in both directions. Cells
// outside the picture count as black, transparent pixels too. The average is
// then raised to the power `gamma`. White stays 0.
std::vector<Rgbw> mapPicture(const RgbaView& picture, const EffectWall& wall, PictureFit fit, double gamma);

// The same, fed row by row as a decoder delivers them, so that a large
// picture need never be held whole.
class PictureMapper final : public RowSink {
public:
    PictureMapper(const EffectWall& wall, PictureFit fit, double gamma);
    void begin(int width, int height, int channels) override;
    void row(int y, const std::uint8_t* pixels) override;
    double cellSpan(int width, int height) const override;
    // Black for every element until a picture was begun.
    std::vector<Rgbw> lamps() const;

private:
    // Cells per pixel along each axis, and where the picture starts (in cells).
    struct Placement {
        double scaleX = 1, scaleY = 1, offsetX = 0, offsetY = 0;
    };
    Placement placement(int width, int height) const;
    // The pixels one cell covers along one axis, with the share of each end pixel.
    struct Span {
        int first = 0;  // first pixel (inclusive)
        int last = -1;  // last pixel (inclusive); last < first: nothing
        double firstWeight = 0;
        double lastWeight = 0;
        double weight(int pixel) const
        {
            if (first == last)
                return firstWeight;
            return pixel == first ? firstWeight : pixel == last ? lastWeight : 1.0;
        }
    };
    static Span spanOf(int cell, double offset, double scale, int pixels);
    template <int N>
    static void sumRow(const std::uint8_t* line, const std::vector<Span>& spans,
                       std::vector<std::array<double, 3>>& sums);

    const EffectWall& wall_;
    PictureFit fit_;
    double gamma_;
    bool active_ = false;
    int channels_ = 4;
    double scaleX_ = 1, scaleY_ = 1, offsetY_ = 0;
    std::vector<Span> spansX_, spansY_;
    std::vector<std::array<double, 3>> sums_, rowSums_;
};

}  // namespace tinctara

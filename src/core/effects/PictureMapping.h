#pragma once

#include "effects/Effects.h"
#include "effects/PictureDecoding.h"

#include <vector>

namespace tinctara {

// Lays a picture onto the wall's grid and gives every element the average of
// the part of the picture that falls on its cell (cells of the wall's shape):
// fit shows the whole picture with black borders, fill covers the wall and
// cuts what sticks out, stretch fills the wall in both directions. Cells
// outside the picture count as black, transparent pixels too. The average is
// then raised to the power `gamma`. White stays 0.
std::vector<Rgbw> mapPicture(const RgbaView& picture, const EffectWall& wall, PictureFit fit, double gamma);

}  // namespace tinctara

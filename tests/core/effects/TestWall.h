#pragma once

#include "effects/Effects.h"

#include <cstdint>
#include <string>

namespace tinctara::testing {

// A wall of columns x rows lamps in element order, row by row.
inline EffectWall grid(int columns, int rows)
{
    EffectWall wall;
    wall.columns = columns;
    wall.rows = rows;
    for (int row = 1; row <= rows; ++row)
        for (int column = 1; column <= columns; ++column)
            wall.positions.push_back({static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(row)});
    return wall;
}

// The `picture` effect of one file on a wall.
inline EffectResult pictureEffect(const std::string& file, const EffectWall& wall, PictureFit fit = PictureFit::Stretch,
                                  double gamma = 1.0)
{
    EffectParameters p;
    p.kind = EffectKind::Picture;
    p.picture = file;
    p.fit = fit;
    p.gamma = gamma;
    return GenerateEffect(wall, p);
}

}  // namespace tinctara::testing

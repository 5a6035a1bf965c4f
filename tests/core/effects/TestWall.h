#pragma once

#include "effects/Effects.h"

#include <cstdint>

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

}  // namespace tinctara::testing

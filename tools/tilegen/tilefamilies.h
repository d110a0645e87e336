#pragma once

#include "tileshapes.h"

#include <array>

namespace tessellon::tileart {

/// One tile's drawing: its piece (null for the blank erasers), transform and ink swap.
struct TileArt
{
    const Piece* piece = nullptr;
    Xform xf = kR0;
    Ink from = Ink::Black;
    Ink to = Ink::Black;
};

/// The drawing of tile n (1..335); an empty TileArt for blank tiles and other numbers.
TileArt tileArt(int n) noexcept;

} // namespace tessellon::tileart

#pragma once

#include "tileshapes.h"

#include <array>
#include <span>

namespace tessellon::tileart {

/// Up to four tiles drawn from one piece, tile i with transform i (0 = no tile). Every shape in
/// ink `from` is drawn in ink `to` instead, which makes grey stairs and coloured markers.
struct Family
{
    const Piece* piece;
    std::array<qint16, 4> tiles;
    std::array<Xform, 4> xf;
    Ink from = Ink::Black;
    Ink to = Ink::Black;
};

/// One tile's drawing: its piece (null for the blank erasers), transform and ink swap.
struct TileArt
{
    const Piece* piece = nullptr;
    Xform xf = kR0;
    Ink from = Ink::Black;
    Ink to = Ink::Black;
};

std::span<const Family> tileFamilies() noexcept;

/// The drawing of tile n (1..335); an empty TileArt for blank tiles and other numbers.
TileArt tileArt(int n) noexcept;

} // namespace tessellon::tileart

#pragma once

#include "tileshapes.h"

#include <QImage>
#include <QRgb>

namespace tessellon::tileart {

/// The flat colour of an ink, as a QImage::Format_RGB32 pixel.
QRgb inkColour(Ink ink) noexcept;

/// Tile image n (1..335) drawn from its piece: black lines on white in the size of the tile
/// table, Format_RGB32, no anti-aliasing. A null image for numbers outside 1..335.
QImage renderTile(int n);

/// The openings of tile n on its north, east, south and west side after its transform.
Sides tileOpenings(int n) noexcept;

} // namespace tessellon::tileart

#pragma once

#include "tilesizes.h"

#include <QImage>
#include <QSize>
#include <QtGlobal>

#include <array>

namespace tessellon {

inline constexpr qint16 kTileCount = kLastTile;

/// Pixel size of tile image n (1..335); an empty size for a number that names no image.
QSize tileSize(qint16 n) noexcept;

/// The image list `Tiles`: the 335 tile images compiled into the program, addressed 1..335,
/// each in QImage::Format_RGB32. An image is unpacked the first time it is asked for, so
/// start-up pays only for the tiles it shows; use it from the GUI thread only.
class TileCatalogue
{
public:
    /// The one catalogue of the program.
    static const TileCatalogue& instance();

    /// True when n names an image (1..335) and that image could be loaded.
    bool has(qint16 n) const noexcept;
    /// Image n; a null image when n names none.
    const QImage& image(qint16 n) const noexcept;

private:
    TileCatalogue() = default;
    mutable std::array<QImage, kTileCount + 1> images_; // index 0 stays null
};

} // namespace tessellon

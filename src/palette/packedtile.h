#pragma once

#include <QImage>
#include <QtGlobal>

#include <span>

namespace tessellon {

/// One tile image as the build packs it from resources/tiles: a colour table and, row after
/// row, each pixel's index into it in `bits` bits (1, 2, 4 or 8), most significant first, every
/// row starting on a byte. A tile whose file could not be read has width and height 0.
struct PackedTile
{
    qint16 width, height;
    quint8 bits;
    quint8 colourCount;
    const quint32* colours; // 0xAARRGGBB
    const quint8* rows;
};

/// Indexed by tile number 0..335; entry 0 names no image. Generated at build time.
std::span<const PackedTile> packedTiles() noexcept;
/// The window icon, packed the same way.
PackedTile packedIcon() noexcept;

/// The picture in QImage::Format_RGB32; a null image when it names none or memory is short.
QImage unpackPicture(const PackedTile& t);

} // namespace tessellon

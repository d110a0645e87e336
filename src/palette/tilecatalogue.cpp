#include "tilecatalogue.h"

#include "packedtile.h"

namespace tessellon {

QSize tileSize(qint16 n) noexcept
{
    return tilePixelSize(n);
}

const TileCatalogue& TileCatalogue::instance()
{
    static const TileCatalogue catalogue;
    return catalogue;
}

QImage unpackPicture(const PackedTile& t)
{
    if (t.width <= 0 || t.height <= 0) return {};
    QImage image(t.width, t.height, QImage::Format_RGB32);
    if (image.isNull()) return image;
    const int perByte = 8 / t.bits;
    const int mask = (1 << t.bits) - 1;
    const int rowBytes = (t.width + perByte - 1) / perByte;
    for (int y = 0; y < t.height; ++y) {
        const quint8* in = t.rows + qsizetype(y) * rowBytes;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < t.width; ++x) {
            const int index = (in[x / perByte] >> (8 - t.bits * (x % perByte + 1))) & mask;
            // an index past the table would be a packing fault: white, not a stray read
            out[x] = index < t.colourCount ? t.colours[index] : 0xFFFFFFFFu;
        }
    }
    return image;
}

bool TileCatalogue::has(qint16 n) const noexcept
{
    return n >= 1 && n <= kTileCount && packedTiles()[n].width > 0;
}

const QImage& TileCatalogue::image(qint16 n) const noexcept
{
    if (!has(n)) return images_[0];
    // Stamping blits these with AND and copy on 8-bit channels, so keep one pixel format.
    if (images_[n].isNull()) images_[n] = unpackPicture(packedTiles()[n]);
    return images_[n];
}

} // namespace tessellon

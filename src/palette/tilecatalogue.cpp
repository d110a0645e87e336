#include "tilecatalogue.h"

#include <QString>

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

TileCatalogue::TileCatalogue()
{
    for (qint16 n = 1; n <= kTileCount; ++n) {
        const QString path = QStringLiteral(":/tiles/%1.png").arg(n, 3, 10, QLatin1Char('0'));
        QImage image(path);
        // Stamping blits these with AND and copy on 8-bit channels, so keep one pixel format.
        if (!image.isNull()) images_[n] = image.convertToFormat(QImage::Format_RGB32);
    }
}

bool TileCatalogue::has(qint16 n) const noexcept
{
    return n >= 1 && n <= kTileCount && !images_[n].isNull();
}

const QImage& TileCatalogue::image(qint16 n) const noexcept
{
    return (n >= 1 && n <= kTileCount) ? images_[n] : images_[0];
}

} // namespace tessellon

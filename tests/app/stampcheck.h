#pragma once

#include "surface.h"
#include "tilecatalogue.h"

#include <QImage>
#include <QTest>

/// Checks shared by the widget tests that look at what a stamp left on the canvas.

inline QRgb rgbAt(const tessellon::Surface& s, int x, int y)
{
    return s.image().pixel(x, y) & 0xFFFFFF;
}

inline constexpr QRgb kGridRgb = 0xB4B4B3;

/// Fills `r` of the canvas with a colour pattern whose channels differ from pixel to pixel,
/// so that AND and copy give different results under every white tile pixel.
inline void paintPattern(tessellon::Surface& s, const QRect& r)
{
    if (!s.writable()) return;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            s.row(y)[x] = qRgb((x * 37 + 11) & 0xEF, (y * 53 + 7) & 0xEF, ((x + y) * 29) & 0xEF);
}

enum class Mode { None, Overlay, Replace };

/// True when the canvas under `tile` at `at` is what `before` becomes by a stamp of `mode`
/// (grid off).
inline bool matchesStamp(const QImage& before, const tessellon::Surface& after,
                         const QImage& tile, QPoint at, Mode mode)
{
    for (int y = 0; y < tile.height(); ++y)
        for (int x = 0; x < tile.width(); ++x) {
            const QRgb was = before.pixel(x, y) & 0xFFFFFF;
            const QRgb t = tile.pixel(x, y) & 0xFFFFFF;
            const QRgb want = mode == Mode::Overlay ? (was & t) : mode == Mode::Replace ? t : was;
            if (rgbAt(after, at.x() + x, at.y() + y) != want) return false;
        }
    return true;
}

/// Every tile image must be there, or the stamp checks would compare nothing.
inline void requireAllTiles()
{
    for (qint16 n = 1; n <= tessellon::kTileCount; ++n)
        QVERIFY2(tessellon::TileCatalogue::instance().has(n), qPrintable(QString::number(n)));
}

#pragma once

#include <QRgb>

namespace tessellon {

/// Channel `c` at alpha `a` over white: (c * a + 255 * (255 - a)) / 255, rounded. Every
/// reader puts transparency on white through this one rounding.
constexpr uchar overWhite(uint c, uint a) noexcept
{
    const uint v = c * a + 255 * (255 - a) + 128;
    return uchar((v + (v >> 8)) >> 8);
}

/// A non-premultiplied ARGB pixel over white, opaque.
constexpr QRgb argbOnWhite(QRgb p) noexcept
{
    const uint a = qAlpha(p);
    if (a == 255) return p;
    return qRgb(overWhite(qRed(p), a), overWhite(qGreen(p), a), overWhite(qBlue(p), a));
}

/// A row of non-premultiplied ARGB pixels put on white where it lies.
inline void rowOnWhite(QRgb* row, int width) noexcept
{
    for (int x = 0; x < width; ++x)
        row[x] = argbOnWhite(row[x]);
}

} // namespace tessellon

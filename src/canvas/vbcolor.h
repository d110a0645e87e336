#pragma once

#include <QColor>
#include <QtGlobal>

namespace tessellon {

/// Colours as the program writes them: 0x00BBGGRR. Point() answers -1 outside a bitmap.
using VbColor = qint32;

inline constexpr VbColor kWhite = 0x00FFFFFF;
inline constexpr VbColor kBlack = 0x00000000;
inline constexpr VbColor kGridColour = 0x00B3B4B4; // red 180, green 180, blue 179
inline constexpr VbColor kNoColour = -1;

/// 0x00BBGGRR to an opaque QImage::Format_RGB32 pixel (0xFFRRGGBB).
constexpr QRgb toRgb32(VbColor c) noexcept
{
    const auto u = static_cast<quint32>(c);
    return 0xFF000000u | ((u & 0xFFu) << 16) | (u & 0xFF00u) | ((u >> 16) & 0xFFu);
}

/// An RGB32 pixel back to 0x00BBGGRR; the alpha byte is ignored.
constexpr VbColor fromRgb32(QRgb p) noexcept
{
    return static_cast<VbColor>(((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu));
}

inline QColor toQColor(VbColor c)
{
    return QColor::fromRgb(toRgb32(c));
}

} // namespace tessellon

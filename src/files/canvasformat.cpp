#include "canvasformat.h"

#include "pixelpool.h"

namespace tessellon {

namespace {

// c * a / 255 + 255 * (255 - a) / 255, rounded: the colour over white.
inline uchar overWhite(uint c, uint a)
{
    const uint v = c * a + 255 * (255 - a) + 128;
    return uchar((v + (v >> 8)) >> 8);
}

void rowOverWhite(const QRgb* src, QRgb* dst, int width)
{
    for (int x = 0; x < width; ++x) {
        const QRgb p = src[x];
        const uint a = qAlpha(p);
        dst[x] = a == 255
                     ? p
                     : qRgb(overWhite(qRed(p), a), overWhite(qGreen(p), a), overWhite(qBlue(p), a));
    }
}

// Row `y` of `src`, whatever its format, as ARGB32 (a buffer of one row).
QImage rowAsArgb32(const QImage& src, int y)
{
    QImage row(src.constScanLine(y), src.width(), 1, src.bytesPerLine(), src.format());
    if (src.format() == QImage::Format_Indexed8 || src.depth() == 1)
        row.setColorTable(src.colorTable());
    return row.convertToFormat(QImage::Format_ARGB32);
}

// Row by row through a one-row copy, so `src` may share its rows' starts with `canvas`.
void rowsInto(const QImage& src, QImage& canvas)
{
    for (int y = 0; y < src.height(); ++y) {
        const QImage row = rowAsArgb32(src, y);
        rowOverWhite(reinterpret_cast<const QRgb*>(row.constBits()),
                     reinterpret_cast<QRgb*>(canvas.scanLine(y)), src.width());
    }
}

// The rows of `image`, ARGB32 (`alpha`) or RGB32 pixels, put on white and made opaque.
void opaqueInPlace(QImage& image, bool alpha)
{
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        if (alpha)
            rowOverWhite(row, row, image.width());
        else
            for (int x = 0; x < image.width(); ++x)
                row[x] |= 0xFF000000u;
    }
}

// A 32- or 64-bit image in a buffer of its own, converted there: Qt narrows to RGB32 and
// to premultiplied ARGB32 in place (to plain ARGB32 it would copy), and premultiplied
// colours go onto white by adding what the alpha leaves uncovered.
QImage ownBufferToCanvas(QImage image)
{
    const bool alpha = image.hasAlphaChannel();
    image.convertTo(alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = row[x];
            const int uncovered = alpha ? 255 - qAlpha(p) : 0;
            row[x] = qRgb(qRed(p) + uncovered, qGreen(p) + uncovered, qBlue(p) + uncovered);
        }
    }
    image.reinterpretAsFormat(QImage::Format_RGB32);
    return image;
}

bool plain32(const QImage& image)
{
    return image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32;
}

} // namespace

QImage toCanvasFormat(QImage decoded, QImage canvas)
{
    if (decoded.isNull()) return {};
    const bool shared = !canvas.isNull() && decoded.constBits() == canvas.constBits() &&
                        decoded.size() == canvas.size() &&
                        decoded.bytesPerLine() == canvas.bytesPerLine();
    if (shared && plain32(decoded)) {
        opaqueInPlace(canvas, decoded.format() == QImage::Format_ARGB32);
        return canvas;
    }
    if (shared) {
        rowsInto(decoded, canvas);
        return canvas;
    }
    if (decoded.depth() >= 32) return ownBufferToCanvas(std::move(decoded));
    if (canvas.size() != decoded.size()) canvas = allocateRgb32(decoded.width(), decoded.height());
    if (canvas.isNull()) return {};
    rowsInto(decoded, canvas);
    return canvas;
}

} // namespace tessellon

#include "surface.h"

#include "pixelpool.h"

#include <algorithm>
#include <cstring>

namespace tessellon {

namespace {

QImage whiteImage(int w, int h)
{
    QImage img = allocateRgb32(w, h);
    if (!img.isNull()) img.fill(toRgb32(kWhite));
    return img;
}

// The block `img` alone owns pixels in, if any. A shared image must keep its pixels for its
// other owners, and one that was written while shared has been copied out of its block.
std::shared_ptr<PixelBlock> soleBlock(const QImage& img)
{
    return img.isDetached() ? PixelBlock::holding(img) : nullptr;
}

} // namespace

Surface::Surface(int w, int h) : img_(whiteImage(w, h)) {}

void Surface::setPicture(QImage picture)
{
    if (picture.format() == QImage::Format_RGB32)
        img_ = std::move(picture);
    else
        img_ = picture.convertToFormat(QImage::Format_RGB32);
}

void Surface::paintPicture(const QImage& src, int x, int y, RasterOp op)
{
    paintPicture(src, x, y, src.rect(), op);
}

void Surface::paintPicture(const QImage& src, int x, int y, const QRect& srcRect, RasterOp op)
{
    if (src.isNull() || img_.isNull()) return;
    // Clip the source part to the source image, then the destination to the bitmap,
    // carrying every cut back to the other side.
    QRect part = srcRect.intersected(src.rect());
    if (part.isEmpty()) return;
    x += part.x() - srcRect.x();
    y += part.y() - srcRect.y();
    const QRect dest = QRect(x, y, part.width(), part.height()).intersected(img_.rect());
    if (dest.isEmpty()) return;
    const int sx = part.x() + (dest.x() - x);
    const int sy = part.y() + (dest.y() - y);

    const QImage source =
        src.format() == QImage::Format_RGB32 || src.format() == QImage::Format_ARGB32
            ? src
            : src.convertToFormat(QImage::Format_RGB32);
    const int n = dest.width();
    for (int r = 0; r < dest.height(); ++r) {
        const auto* s = reinterpret_cast<const QRgb*>(source.constScanLine(sy + r)) + sx;
        QRgb* d = row(dest.y() + r) + dest.x();
        if (op == RasterOp::SrcAnd) {
            for (int i = 0; i < n; ++i)
                d[i] = (d[i] & s[i]) | 0xFF000000u;
        } else {
            for (int i = 0; i < n; ++i)
                d[i] = s[i] | 0xFF000000u;
        }
    }
}

VbColor Surface::Point(int x, int y) const noexcept
{
    if (x < 0 || y < 0 || x >= img_.width() || y >= img_.height()) return kNoColour;
    return fromRgb32(row(y)[x]);
}

void Surface::PSet(int x, int y, VbColor colour) noexcept
{
    if (x < 0 || y < 0 || x >= img_.width() || y >= img_.height()) return;
    row(y)[x] = toRgb32(colour);
}

void Surface::fillRect(const QRect& r, VbColor colour)
{
    const QRect area = r.intersected(img_.rect());
    if (area.isEmpty()) return;
    const QRgb p = toRgb32(colour);
    for (int y = area.top(); y <= area.bottom(); ++y)
        std::fill_n(row(y) + area.x(), area.width(), p);
}

void Surface::setSize(int w, int h)
{
    if (w == width() && h == height()) return;
    if (qint64(std::max(w, 0)) * std::max(h, 0) * 4 > kMaxSurfaceBytes) return;
    if (w < 1 || h < 1 || img_.isNull()) {
        img_ = whiteImage(w, h);
        return;
    }
    const std::shared_ptr<PixelBlock> block = soleBlock(img_);
    if (block && block->suits(w, h))
        resizeInBlock(*block, w, h);
    else
        moveToNewBitmap(w, h);
}

void Surface::resizeInBlock(PixelBlock& block, int w, int h)
{
    const QSize old = size();
    QImage resized = block.image(w, h);
    if (resized.isNull()) return;
    block.release(old, resized.size());
    img_ = std::move(resized);
    whitenOutside(old.boundedTo(size()));
    if (w > old.width()) block.prepareRightOf(w, h, w - old.width());
}

void Surface::moveToNewBitmap(int w, int h)
{
    QImage next = allocateRgb32(w, h);
    if (next.isNull()) return; // out of memory: the canvas keeps its size
    const int cw = std::min(w, width());
    const int ch = std::min(h, height());
    for (int y = 0; y < ch; ++y)
        std::memcpy(next.scanLine(y), img_.constScanLine(y), size_t(cw) * sizeof(QRgb));
    img_ = std::move(next);
    whitenOutside(QSize(cw, ch));
}

void Surface::whitenOutside(QSize kept)
{
    const QRgb white = toRgb32(kWhite);
    const int w = width();
    for (int y = 0; y < height(); ++y) {
        QRgb* d = row(y);
        std::fill(d + (y < kept.height() ? kept.width() : 0), d + w, white);
    }
}

} // namespace tessellon

#include "surface.h"

#include "availablememory.h"
#include "pixelpool.h"

#include <algorithm>
#include <cstring>

namespace tessellon {

namespace {

qint64 bytesOf(int w, int h)
{
    return qint64(w) * h * 4;
}

// What a bitmap of w x h may commit, read once for the operation.
qint64 memoryFor(int w, int h)
{
    return bytesOf(w, h) < kOwnBlockMinimum ? kOwnBlockMinimum : availableMemory();
}

} // namespace

Surface::Surface(int w, int h)
{
    setSize(w, h);
}

Surface Surface::withRoom(int w, int h)
{
    Surface s;
    if (w < 1 || h < 1 || bytesOf(w, h) > kMaxSurfaceBytes) return s;
    if (auto block = PixelBlock::allocate(w, h, memoryFor(w, h))) {
        QImage img = block->image(w, h);
        if (!img.isNull()) {
            block->commitPages(w, h); // at once: a fault a page costs more than the whitening
            s.take(std::move(img), std::move(block));
            s.whitenOutside(QSize());
            return s;
        }
    }
    s.setSize(w, h);
    return s;
}

bool Surface::setPicture(QImage&& picture, std::shared_ptr<PixelBlock> block)
{
    if (picture.isNull()) {
        take(QImage(), nullptr);
        return true;
    }
    const int w = picture.width(), h = picture.height();
    if (bytesOf(w, h) > kMaxSurfaceBytes) return false;
    if (picture.format() != QImage::Format_RGB32 || !picture.isDetached()) {
        if (bytesOf(w, h) > memoryFor(w, h)) return false;
        picture = picture.format() == QImage::Format_RGB32
                      ? picture.copy()
                      : picture.convertToFormat(QImage::Format_RGB32);
    }
    // pixels the picture only borrows read-only are copied here, and that copy may fail
    if (picture.isNull() || !picture.bits()) return false;
    if (block && !block->holds(picture)) block.reset(); // a copy lives elsewhere
    take(std::move(picture), std::move(block));
    return true;
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
    if (dest.isEmpty() || !writable()) return;
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

void Surface::PSet(int x, int y, VbColor colour)
{
    if (x < 0 || y < 0 || x >= img_.width() || y >= img_.height() || !writable()) return;
    row(y)[x] = toRgb32(colour);
}

void Surface::fillRect(const QRect& r, VbColor colour)
{
    const QRect area = r.intersected(img_.rect());
    if (area.isEmpty() || !writable()) return;
    const QRgb p = toRgb32(colour);
    for (int y = area.top(); y <= area.bottom(); ++y)
        std::fill_n(row(y) + area.x(), area.width(), p);
}

bool Surface::setSize(int w, int h)
{
    if (w == width() && h == height()) return true;
    if (w < 1 || h < 1) {
        take(QImage(), nullptr);
        return true;
    }
    if (bytesOf(w, h) > kMaxSurfaceBytes) return false;
    const qint64 available = memoryFor(w, h);
    if (block_ && soleOwner() && block_->suits(w, h)) return resizeInBlock(w, h, available);
    return moveToNewBitmap(w, h, available);
}

bool Surface::writable()
{
    if (img_.isNull()) return false;
    if (!soleOwner() && !moveToNewBitmap(width(), height(), memoryFor(width(), height())))
        return false;
    // the same pixels, held by nobody else; caches keyed on the image see a change
    bits_ = img_.bits();
    return true;
}

// Nobody else holds a copy of the image or another image of its block: only then may its
// pixels be written, or its pages given back.
bool Surface::soleOwner() const noexcept
{
    return img_.isDetached() && (!block_ || block_.use_count() == 2); // block_ and img_'s hold
}

bool Surface::resizeInBlock(int w, int h, qint64 available)
{
    const QSize old = size();
    const qint64 cost = block_->growthCost(old, QSize(w, h));
    // a small bitmap's figure is a floor, not a reading; a costly change reads the real one
    if (cost > available) available = std::max(available, availableMemory());
    if (cost > available) return false;
    QImage resized = block_->image(w, h);
    if (resized.isNull()) return false;
    block_->release(old, resized.size());
    take(std::move(resized), block_);
    whitenOutside(old.boundedTo(size()));
    if (w > old.width()) block_->prepareRightOf(w, h, w - old.width(), available - cost);
    return true;
}

bool Surface::moveToNewBitmap(int w, int h, qint64 available)
{
    OwnedPixels owned = allocatePixels(w, h, available);
    QImage& next = owned.image;
    uchar* to = next.isNull() ? nullptr : next.bits();
    if (!to) return false; // the surface keeps its size
    const int cw = std::min(w, width());
    const int ch = std::min(h, height());
    for (int y = 0; y < ch; ++y)
        std::memcpy(to + y * next.bytesPerLine(), row(y), size_t(cw) * sizeof(QRgb));
    take(std::move(next), std::move(owned.block));
    whitenOutside(QSize(cw, ch));
    return true;
}

void Surface::take(QImage img, std::shared_ptr<PixelBlock> block)
{
    block_ = std::move(block);
    img_ = std::move(img);
    bits_ = img_.isNull() ? nullptr : img_.bits(); // new to us: nobody else holds it
    bytesPerLine_ = img_.bytesPerLine();
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

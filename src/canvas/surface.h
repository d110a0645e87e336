#pragma once

#include "vbcolor.h"

#include <QImage>
#include <QRect>

#include <memory>

namespace tessellon {

class PixelBlock;

/// Raster operations of the blits; the values are the platform's.
enum class RasterOp : quint32 {
    SrcCopy = 0x00CC0020, // destination = source
    SrcAnd = 0x008800C6,  // destination = destination AND source, per 8-bit channel
};

/// The most memory one surface may take (4 bytes a pixel): 1 GiB, a 16384 x 16384 map.
inline constexpr qint64 kMaxSurfaceBytes = qint64(1) << 30;

/// A persistent picture: a 24-bit image (kept as QImage::Format_RGB32, alpha always 0xFF)
/// with the blits, pixel access and fills the editor needs. Everything is clipped: whatever
/// falls outside the bitmap is dropped, at every edge and at negative positions. A large
/// bitmap lives in a pixel block the surface owns, with room to grow in its rows and below
/// them: growing right or down only whitens the gained area, and shrinking gives the dropped
/// pages back to the system. Every size change is judged against availableMemory() first and
/// refused whole when it does not fit. Copies of image() keep their pixels: the surface
/// writes only pixels nobody else holds, moving to a bitmap of its own first if need be.
class Surface
{
public:
    Surface() = default;
    /// A white surface of w x h pixels (sizes below 1 give an empty surface).
    Surface(int w, int h);
    /// A white surface of w x h pixels with a quarter of room each way to grow in place: for
    /// a bitmap about to be widened, which would otherwise be copied whole at once.
    static Surface withRoom(int w, int h);

    int width() const noexcept { return img_.width(); }
    int height() const noexcept { return img_.height(); }
    QSize size() const noexcept { return img_.size(); }

    /// The bitmap itself; painting widgets draw straight from it, without a copy.
    const QImage& image() const noexcept { return img_; }
    /// Makes the bitmap exactly `picture`, at its size. An RGB32 picture held nowhere else is
    /// adopted, not copied, and when `block` is the block it lives in (allocatePixels), it
    /// grows in place; any other is copied or converted. False, with the surface as it was,
    /// when that copy or conversion fails.
    bool setPicture(QImage&& picture, std::shared_ptr<PixelBlock> block = nullptr);

    /// Draws `src` unscaled with its top-left pixel at (x, y).
    void paintPicture(const QImage& src, int x, int y, RasterOp op = RasterOp::SrcCopy);
    /// Draws the part `srcRect` of `src` with that part's top-left at (x, y).
    void paintPicture(const QImage& src, int x, int y, const QRect& srcRect,
                      RasterOp op = RasterOp::SrcCopy);

    /// The colour at (x, y), or kNoColour (-1) outside the bitmap.
    VbColor Point(int x, int y) const noexcept;
    /// Sets one pixel; ignored outside the bitmap.
    void PSet(int x, int y, VbColor colour);
    /// Fills `r` (clipped) with one colour.
    void fillRect(const QRect& r, VbColor colour);

    /// Resizing keeps the content at the top-left; new area is white. A size beyond
    /// kMaxSurfaceBytes, or one whose new memory does not fit in availableMemory(), is
    /// refused: false, and the surface keeps its own. Sizes below 1 empty the surface.
    bool setWidth(int w) { return setSize(w, height()); }
    bool setHeight(int h) { return setSize(width(), h); }
    bool setSize(int w, int h);

    /// Makes the pixels the surface's alone, so that the rows of row() may be written; false
    /// (nothing may be written) when the surface is empty or a copy does not fit. Every
    /// writer calls it once before its loop.
    bool writable();
    /// Raw row access for the pixel loops of the grid and the stamps. Writing needs a
    /// writable() call since the last change of size or copy of image().
    QRgb* row(int y) noexcept { return reinterpret_cast<QRgb*>(bits_ + y * bytesPerLine_); }
    const QRgb* row(int y) const noexcept
    {
        return reinterpret_cast<const QRgb*>(bits_ + y * bytesPerLine_);
    }

private:
    bool soleOwner() const noexcept;
    bool resizeInBlock(int w, int h, qint64 available);
    bool moveToNewBitmap(int w, int h, qint64 available);
    /// Takes `img` as the bitmap, `block` the memory it lives in (null: its own).
    void take(QImage img, std::shared_ptr<PixelBlock> block);
    /// Whitens everything outside the top-left `kept` part.
    void whitenOutside(QSize kept);

    std::shared_ptr<PixelBlock> block_; // where img_'s pixels live when it can grow in place
    QImage img_;
    uchar* bits_ = nullptr; // img_'s pixels, taken without detaching
    qsizetype bytesPerLine_ = 0;
};

} // namespace tessellon

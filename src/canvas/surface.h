#pragma once

#include "vbcolor.h"

#include <QImage>
#include <QRect>

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
/// bitmap keeps room to grow in its rows and below them: growing right or down only whitens
/// the gained area, and shrinking gives the dropped pages back to the system.
class Surface
{
public:
    Surface() = default;
    /// A white surface of w x h pixels (sizes below 1 give an empty surface).
    Surface(int w, int h);

    int width() const noexcept { return img_.width(); }
    int height() const noexcept { return img_.height(); }
    QSize size() const noexcept { return img_.size(); }

    /// The bitmap itself; painting widgets draw straight from it, without a copy.
    const QImage& image() const noexcept { return img_; }
    /// Makes the bitmap exactly `picture`, at its size (converted to RGB32). An RGB32 picture
    /// is adopted, not copied: hand it over with std::move so that drawing on it later does
    /// not make a copy of a picture still shared.
    void setPicture(QImage picture);

    /// Draws `src` unscaled with its top-left pixel at (x, y).
    void paintPicture(const QImage& src, int x, int y, RasterOp op = RasterOp::SrcCopy);
    /// Draws the part `srcRect` of `src` with that part's top-left at (x, y).
    void paintPicture(const QImage& src, int x, int y, const QRect& srcRect,
                      RasterOp op = RasterOp::SrcCopy);

    /// The colour at (x, y), or kNoColour (-1) outside the bitmap.
    VbColor Point(int x, int y) const noexcept;
    /// Sets one pixel; ignored outside the bitmap.
    void PSet(int x, int y, VbColor colour) noexcept;
    /// Fills `r` (clipped) with one colour.
    void fillRect(const QRect& r, VbColor colour);

    /// Resizing keeps the content at the top-left; new area is white. A size beyond
    /// kMaxSurfaceBytes, or one that memory cannot hold, is refused: the surface keeps its own.
    void setWidth(int w) { setSize(w, height()); }
    void setHeight(int h) { setSize(width(), h); }
    void setSize(int w, int h);

    /// Raw row access for the pixel loops of the grid and the stamps.
    QRgb* row(int y) noexcept { return reinterpret_cast<QRgb*>(img_.scanLine(y)); }
    const QRgb* row(int y) const noexcept
    {
        return reinterpret_cast<const QRgb*>(img_.constScanLine(y));
    }

private:
    void resizeInBlock(PixelBlock& block, int w, int h);
    void moveToNewBitmap(int w, int h);
    /// Whitens everything outside the top-left `kept` part.
    void whitenOutside(QSize kept);

    QImage img_;
};

} // namespace tessellon

#pragma once

#include <QImage>

#include <functional>
#include <memory>

namespace tessellon {

/// Told how far committing a picture's pages has come (`done` of `total` bytes); false stops
/// it, and the rest of the pages fault in as they are written.
using CommitStep = std::function<bool(qint64 done, qint64 total)>;

/// Rows of RGB32 pixels with room to grow, so that a surface gets wider or taller without
/// moving a pixel. Where the system allows it, a block reserves address space for the
/// largest surface at once (32768 rows of 32768 pixels) and pages are committed only as
/// they are first written (Linux) or as an image comes to use them (Windows); elsewhere it
/// is one allocation with a quarter of headroom in row length and row count. Every image
/// made by image() holds the block, so the number of holders says whether anyone besides
/// its owner can still reach its pixels.
class PixelBlock : public std::enable_shared_from_this<PixelBlock>
{
public:
    /// A block that holds at least w x h pixels, if an image of that size in it commits at
    /// most `available` bytes; null when it would not, or memory runs out.
    static std::shared_ptr<PixelBlock> create(int w, int h, qint64 available);
    /// One plain allocation with a quarter of headroom each way (the exact size if that
    /// does not fit in `available`); null when memory runs out.
    static std::shared_ptr<PixelBlock> allocate(int w, int h, qint64 available);

    PixelBlock(const PixelBlock&) = delete;
    PixelBlock& operator=(const PixelBlock&) = delete;
    ~PixelBlock();

    /// Whether a w x h image fits, and (for a plain allocation) uses a fair share of it.
    bool suits(int w, int h) const noexcept;
    /// The memory an image of size `from` commits on becoming one of size `to`.
    qint64 growthCost(QSize from, QSize to) const noexcept;
    /// A w x h image over the block's first rows, which must fit; it holds the block. Pixels
    /// never written since the block was made, or since release() dropped them, are undefined.
    QImage image(int w, int h);
    /// An image of size `from` becomes one of size `to`: pages holding only pixels outside
    /// `to` go back to the system. Only for the block's one holder: other images would read
    /// zeros there.
    void release(QSize from, QSize to);
    /// Has the system supply the pages of a w x h image at once, for a picture about to be
    /// written whole: a page at a time as the writes reach it costs a fault each. `step`
    /// hears of each slice of a large picture.
    void commitPages(int w, int h, const CommitStep& step = {});
    /// After a widening by `grownBy` to w x h: commits the page after the right end of the
    /// rows, a slice of the rows per call and no more than `available` bytes, so that a row
    /// growing into it later does not stop for the system to supply it.
    void prepareRightOf(int w, int h, int grownBy, qint64 available);
    /// Whether `img` is an image of this block: its pixels start at the block's first row.
    bool holds(const QImage& img) const noexcept
    {
        return !img.isNull() && img.constBits() == data_ && img.bytesPerLine() == bytesPerLine_;
    }

private:
    PixelBlock(uchar* data, qsizetype bytesPerLine, int rows, bool reserved);
    static std::shared_ptr<PixelBlock> reserve();
    uchar* row(int y) const noexcept { return data_ + qsizetype(y) * bytesPerLine_; }
    qint64 committed(QSize s) const noexcept;
    bool commitFor(int w, int h);

    uchar* data_;
    qsizetype bytesPerLine_;
    int rows_;
    bool reserved_;            // address space only (pages committed on touch), else heap memory
    qsizetype preparedAt_ = 0; // byte offset in each row of the page being prepared, 0: none
    int preparedRows_ = 0;     // rows above this have that page
    // Where pages are committed by hand: rows above committedRows_ have committedWidth_ bytes.
    qsizetype committedWidth_ = 0;
    int committedRows_ = 0;
};

/// Bitmaps smaller than this are Qt's own allocation (the undo buffers, the fitted start
/// canvas): well within the margin availableMemory() leaves, and never grown in place.
inline constexpr qint64 kOwnBlockMinimum = qint64(2) << 20;

/// A picture's pixels and the block they live in (none for a small picture), handed on
/// together so that the surface taking the picture can grow it in place.
struct OwnedPixels
{
    QImage image;
    std::shared_ptr<PixelBlock> block;
};

/// A blank (uninitialised) RGB32 image of w x h pixels, for a picture being read: a large one
/// in a block of its own. A null image when the pixels do not fit in availableMemory(), or
/// memory runs out.
OwnedPixels allocatePixels(int w, int h);
/// The same within `available` bytes, a figure already read for the operation; `step` hears
/// how far the commit of its pages has come.
OwnedPixels allocatePixels(int w, int h, qint64 available, const CommitStep& step = {});

} // namespace tessellon

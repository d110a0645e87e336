#include "pixelpool.h"

#include "availablememory.h"
#include "pages.h"

#include <algorithm>
#include <atomic>

namespace tessellon {

namespace {

// A reservation covers every size a 16-bit canvas can take: rows of 32768 pixels (128 KiB),
// 32768 of them. Only address space: 4 GiB of it, of which a map uses what it writes.
constexpr int kReservedColumns = 32768;
constexpr int kReservedRows = 32768;
// A growing row meets its next page after 34 strips of 30 pixels; that page is prepared for
// at least a 24th of the rows per widening, more when the page is nearer.
constexpr int kPrepareSlices = 24;

qsizetype pageSize()
{
    return pages::size();
}

qsizetype roundUp(qsizetype n, qsizetype unit)
{
    return (n + unit - 1) / unit * unit;
}

// Cleared where the system cannot commit pages ahead: the writes fault them in.
std::atomic<bool> gPopulateWorks{true};

// Commits the whole pages of [from, to); false when the system refused.
bool populate(uchar* from, uchar* to)
{
    const auto page = quintptr(pageSize());
    const quintptr start = (quintptr(from) + page - 1) / page * page;
    const quintptr end = quintptr(to) / page * page;
    if (end <= start) return true;
    bool unsupported = false;
    if (pages::populate(reinterpret_cast<void*>(start), size_t(end - start), unsupported))
        return true;
    if (unsupported) gPopulateWorks = false;
    return false;
}

void dropImageReference(void* keep)
{
    delete static_cast<std::shared_ptr<PixelBlock>*>(keep);
}

} // namespace

PixelBlock::PixelBlock(uchar* data, qsizetype bytesPerLine, int rows, bool reserved)
    : data_(data), bytesPerLine_(bytesPerLine), rows_(rows), reserved_(reserved)
{
}

PixelBlock::~PixelBlock()
{
    if (reserved_)
        pages::unreserve(data_, size_t(bytesPerLine_) * size_t(rows_));
    else
        pages::release(data_);
}

std::shared_ptr<PixelBlock> PixelBlock::create(int w, int h, qint64 available)
{
    if (w < 1 || h < 1) return nullptr;
    // a row shorter than half a page would commit more than twice its pixels there
    const bool narrow = roundUp(qsizetype(w) * 4, pageSize()) > qsizetype(w) * 8;
    if (!narrow && w <= kReservedColumns && h <= kReservedRows) {
        // rows are committed page by page as they are whitened
        if (qint64(h) * roundUp(qsizetype(w) * 4, pageSize()) > available) return nullptr;
        if (auto b = reserve()) return b;
    }
    return allocate(w, h, available);
}

// Address space only, committed as it is written.
std::shared_ptr<PixelBlock> PixelBlock::reserve()
{
    const qsizetype bytesPerLine = qsizetype(kReservedColumns) * 4;
    void* p = pages::reserve(size_t(bytesPerLine) * kReservedRows);
    if (!p) return nullptr; // no overcommit here: plain headroom instead
    return std::shared_ptr<PixelBlock>(
        new PixelBlock(static_cast<uchar*>(p), bytesPerLine, kReservedRows, true));
}

std::shared_ptr<PixelBlock> PixelBlock::allocate(int w, int h, qint64 available)
{
    // A quarter of headroom each way; if that much is not to be had, the exact size.
    for (bool headroom : {true, false}) {
        const qsizetype columns = roundUp(qsizetype(w) + (headroom ? w / 4 : 0), 16);
        const int rows = h + (headroom ? h / 4 : 0);
        const qsizetype bytes = columns * 4 * rows;
        if (bytes > available) continue;
        if (void* p = pages::allocate(size_t(bytes)))
            return std::shared_ptr<PixelBlock>(
                new PixelBlock(static_cast<uchar*>(p), columns * 4, rows, false));
    }
    return nullptr;
}

bool PixelBlock::suits(int w, int h) const noexcept
{
    if (w < 1 || h < 1 || qsizetype(w) * 4 > bytesPerLine_ || h > rows_) return false;
    // a plain allocation used at under a quarter is given back by moving to a smaller one
    return reserved_ || qsizetype(w) * 4 * h * 4 >= bytesPerLine_ * rows_;
}

qint64 PixelBlock::committed(QSize s) const noexcept
{
    return reserved_ ? qint64(s.height()) * roundUp(qsizetype(s.width()) * 4, pageSize()) : 0;
}

qint64 PixelBlock::growthCost(QSize from, QSize to) const noexcept
{
    // a plain allocation was paid for whole when it was made
    return std::max<qint64>(0, committed(to) - committed(from));
}

// Where the system commits no page on touch: commits what a w x h image uses, past what
// earlier images did. False when the system refused.
bool PixelBlock::commitFor(int w, int h)
{
    if (!reserved_ || pages::commitsOnTouch()) return true;
    const qsizetype width = std::min(roundUp(qsizetype(w) * 4, pageSize()), bytesPerLine_);
    if (width <= committedWidth_ && h <= committedRows_) return true;
    for (int y = 0; y < h; ++y) {
        const qsizetype from = y < committedRows_ ? committedWidth_ : 0;
        const qsizetype to = std::max(width, committedWidth_);
        if (to > from && !pages::commit(row(y) + from, size_t(to - from))) return false;
    }
    committedWidth_ = std::max(width, committedWidth_);
    committedRows_ = std::max(h, committedRows_);
    return true;
}

QImage PixelBlock::image(int w, int h)
{
    if (!commitFor(w, h)) return QImage();
    auto* keep = new std::shared_ptr<PixelBlock>(shared_from_this());
    QImage img(data_, w, h, bytesPerLine_, QImage::Format_RGB32, dropImageReference, keep);
    if (img.isNull()) delete keep;
    return img;
}

void PixelBlock::release(QSize from, QSize to)
{
    if (!reserved_) return;
    if (to.height() < from.height()) {
        pages::drop(row(to.height()), size_t(from.height() - to.height()) * bytesPerLine_);
        committedRows_ = std::min(committedRows_, to.height());
    }
    if (to.width() >= from.width()) return;
    const qsizetype page = pageSize();
    const qsizetype kept = roundUp(qsizetype(to.width()) * 4, page);
    qsizetype used = roundUp(qsizetype(from.width()) * 4, page);
    if (preparedAt_ > 0) used = std::max(used, preparedAt_ + page);
    used = std::min(used, bytesPerLine_);
    if (kept >= used) return;
    for (int y = 0, rows = std::min(from.height(), to.height()); y < rows; ++y)
        pages::drop(row(y) + kept, size_t(used - kept));
    committedWidth_ = std::min(committedWidth_, kept);
    preparedAt_ = 0;
    preparedRows_ = 0;
}

void PixelBlock::commitPages(int w, int h, const CommitStep& step)
{
    if (!gPopulateWorks) return;
    // A gigabyte takes the system a quarter of a second or more: slices, so that a stop is
    // heard and the bar moves. What is left uncommitted faults in as it is written.
    constexpr qint64 kSlice = qint64(16) << 20;
    const int rows = std::min(h, rows_);
    if (!reserved_) {
        const qint64 total = row(rows) - data_;
        for (qint64 done = 0; done < total; done += kSlice) {
            if (!populate(data_ + done, data_ + std::min(total, done + kSlice))) return;
            if (step && !step(std::min(total, done + kSlice), total)) return;
        }
        return;
    }
    const qsizetype used = std::min(roundUp(qsizetype(w) * 4, pageSize()), bytesPerLine_);
    const int sliceRows = int(std::max<qint64>(1, kSlice / used));
    for (int y = 0; y < rows; ++y) {
        if (!populate(row(y), row(y) + used)) return;
        if (step && (y + 1) % sliceRows == 0 && !step(qint64(y + 1) * used, qint64(rows) * used))
            return;
    }
}

void PixelBlock::prepareRightOf(int w, int h, int grownBy, qint64 available)
{
    if (!reserved_ || grownBy < 1) return;
    const qsizetype next = roundUp(qsizetype(w) * 4, pageSize());
    if (next >= bytesPerLine_) return;
    if (next != preparedAt_) {
        preparedAt_ = next;
        preparedRows_ = 0;
    }
    // all rows ready before a widening like this one reaches the page
    const qsizetype widenings = std::max<qsizetype>(1, (next - qsizetype(w) * 4) / (grownBy * 4));
    const int rowsLeft = std::max(0, h - preparedRows_);
    const int slice = int(std::max<qsizetype>((h + kPrepareSlices - 1) / kPrepareSlices,
                                              (rowsLeft + widenings - 1) / widenings));
    const qint64 affordable = preparedRows_ + std::max<qint64>(0, available) / pageSize();
    const int end = int(std::min<qint64>({h, preparedRows_ + qint64(slice), affordable}));
    // one white pixel outside the image commits the page; growth whitens it again anyway
    int y = preparedRows_;
    for (; y < end; ++y) {
        if (!pages::commitsOnTouch() && !pages::commit(row(y) + next, 4)) break;
        *reinterpret_cast<quint32*>(row(y) + next) = 0xFFFFFFFFu;
    }
    preparedRows_ = std::max(preparedRows_, y);
}

OwnedPixels allocatePixels(int w, int h)
{
    return allocatePixels(w, h, availableMemory());
}

OwnedPixels allocatePixels(int w, int h, qint64 available, const CommitStep& step)
{
    if (w < 1 || h < 1) return {};
    const qint64 bytes = qint64(w) * h * 4;
    if (bytes > available) return {};
    if (bytes < kOwnBlockMinimum) return {QImage(w, h, QImage::Format_RGB32), nullptr};
    std::shared_ptr<PixelBlock> block = PixelBlock::create(w, h, available);
    QImage img = block ? block->image(w, h) : QImage();
    if (img.isNull()) return {};
    block->commitPages(w, h, step);
    return {std::move(img), std::move(block)};
}

} // namespace tessellon

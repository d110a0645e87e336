#include "pixelpool.h"

#include "availablememory.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23 // Linux 5.14; older headers lack it
#endif
#endif

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
#ifdef __linux__
    static const qsizetype page = qsizetype(sysconf(_SC_PAGESIZE));
    return page;
#else
    return 4096;
#endif
}

qsizetype roundUp(qsizetype n, qsizetype unit)
{
    return (n + unit - 1) / unit * unit;
}

// Cleared where the system has no MADV_POPULATE_WRITE: the writes fault the pages in.
std::atomic<bool> gPopulateWorks{true};

// Commits the whole pages of [from, to); false when the system refused.
bool populate(uchar* from, uchar* to)
{
#ifdef __linux__
    const auto page = quintptr(pageSize());
    const quintptr start = (quintptr(from) + page - 1) / page * page;
    const quintptr end = quintptr(to) / page * page;
    if (end <= start) return true;
    if (madvise(reinterpret_cast<void*>(start), size_t(end - start), MADV_POPULATE_WRITE) == 0)
        return true;
    if (errno == EINVAL) gPopulateWorks = false;
    return false;
#else
    Q_UNUSED(from);
    Q_UNUSED(to);
    return false;
#endif
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
#ifdef __linux__
    if (reserved_) {
        munmap(data_, size_t(bytesPerLine_) * size_t(rows_));
        return;
    }
#endif
    std::free(data_);
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

// Address space only: MAP_NORESERVE, since what is written of it is judged against the
// memory left before it is written, and 4 GiB counted up front would fail most machines.
std::shared_ptr<PixelBlock> PixelBlock::reserve()
{
#ifdef __linux__
    const qsizetype bytesPerLine = qsizetype(kReservedColumns) * 4;
    const size_t bytes = size_t(bytesPerLine) * kReservedRows;
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) return nullptr; // no overcommit here: plain headroom instead
    // a huge page would commit the unused ends of sixteen rows along with the used parts
    madvise(p, bytes, MADV_NOHUGEPAGE);
    return std::shared_ptr<PixelBlock>(
        new PixelBlock(static_cast<uchar*>(p), bytesPerLine, kReservedRows, true));
#else
    return nullptr;
#endif
}

std::shared_ptr<PixelBlock> PixelBlock::allocate(int w, int h, qint64 available)
{
    // A quarter of headroom each way; if that much is not to be had, the exact size.
    for (bool headroom : {true, false}) {
        const qsizetype columns = roundUp(qsizetype(w) + (headroom ? w / 4 : 0), 16);
        const int rows = h + (headroom ? h / 4 : 0);
        const qsizetype bytes = columns * 4 * rows;
        if (bytes > available) continue;
        if (void* p = std::aligned_alloc(64, size_t(bytes)))
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

QImage PixelBlock::image(int w, int h)
{
    auto* keep = new std::shared_ptr<PixelBlock>(shared_from_this());
    QImage img(data_, w, h, bytesPerLine_, QImage::Format_RGB32, dropImageReference, keep);
    if (img.isNull()) delete keep;
    return img;
}

void PixelBlock::release(QSize from, QSize to)
{
#ifdef __linux__
    if (!reserved_) return;
    if (to.height() < from.height())
        madvise(row(to.height()), size_t(from.height() - to.height()) * bytesPerLine_,
                MADV_DONTNEED);
    if (to.width() >= from.width()) return;
    const qsizetype page = pageSize();
    const qsizetype kept = roundUp(qsizetype(to.width()) * 4, page);
    qsizetype used = roundUp(qsizetype(from.width()) * 4, page);
    if (preparedAt_ > 0) used = std::max(used, preparedAt_ + page);
    used = std::min(used, bytesPerLine_);
    if (kept >= used) return;
    for (int y = 0, rows = std::min(from.height(), to.height()); y < rows; ++y)
        madvise(row(y) + kept, size_t(used - kept), MADV_DONTNEED);
    preparedAt_ = 0;
    preparedRows_ = 0;
#else
    Q_UNUSED(from);
    Q_UNUSED(to);
#endif
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
    for (int y = preparedRows_; y < end; ++y)
        *reinterpret_cast<quint32*>(row(y) + next) = 0xFFFFFFFFu;
    preparedRows_ = std::max(preparedRows_, end);
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

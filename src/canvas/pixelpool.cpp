#include "pixelpool.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <vector>

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace tessellon {

namespace {

// A reservation covers every size a 16-bit canvas can take: rows of 32768 pixels (128 KiB),
// 32768 of them. Only address space: 4 GiB of it, of which a map uses what it writes.
constexpr int kReservedColumns = 32768;
constexpr int kReservedRows = 32768;
// Smaller images come and go through QImage's own allocation.
constexpr qsizetype kOwnBlockMinimum = qsizetype(2) << 20;
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

// Live blocks, so that a surface adopting an image finds the block it lives in.
struct Registry
{
    std::mutex lock;
    std::vector<PixelBlock*> blocks;
};

Registry& registry()
{
    static Registry* r = new Registry; // never destroyed: images may outlive static destruction
    return *r;
}

void dropImageReference(void* keep)
{
    delete static_cast<std::shared_ptr<PixelBlock>*>(keep);
}

} // namespace

PixelBlock::PixelBlock(uchar* data, qsizetype bytesPerLine, int rows, bool reserved)
    : data_(data), bytesPerLine_(bytesPerLine), rows_(rows), reserved_(reserved)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    r.blocks.push_back(this);
}

PixelBlock::~PixelBlock()
{
    {
        Registry& r = registry();
        std::lock_guard<std::mutex> guard(r.lock);
        r.blocks.erase(std::find(r.blocks.begin(), r.blocks.end(), this));
    }
#ifdef __linux__
    if (reserved_) {
        munmap(data_, size_t(bytesPerLine_) * size_t(rows_));
        return;
    }
#endif
    std::free(data_);
}

std::shared_ptr<PixelBlock> PixelBlock::create(int w, int h)
{
    if (w < 1 || h < 1) return nullptr;
    if (w <= kReservedColumns && h <= kReservedRows)
        if (auto b = reserve()) return b;
    return allocate(w, h);
}

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

std::shared_ptr<PixelBlock> PixelBlock::allocate(int w, int h)
{
    // A quarter of headroom each way; if that much is not to be had, the exact size.
    for (bool headroom : {true, false}) {
        const qsizetype columns = roundUp(qsizetype(w) + (headroom ? w / 4 : 0), 16);
        const int rows = h + (headroom ? h / 4 : 0);
        const qsizetype bytes = columns * 4 * rows;
        if (void* p = std::aligned_alloc(64, size_t(bytes)))
            return std::shared_ptr<PixelBlock>(
                new PixelBlock(static_cast<uchar*>(p), columns * 4, rows, false));
    }
    return nullptr;
}

std::shared_ptr<PixelBlock> PixelBlock::holding(const QImage& img)
{
    if (img.isNull()) return nullptr;
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    for (PixelBlock* b : r.blocks)
        if (b->data_ == img.constBits() && b->bytesPerLine_ == img.bytesPerLine())
            return b->weak_from_this().lock();
    return nullptr;
}

bool PixelBlock::suits(int w, int h) const noexcept
{
    if (w < 1 || h < 1 || qsizetype(w) * 4 > bytesPerLine_ || h > rows_) return false;
    // a plain allocation used at under a quarter is given back by moving to a smaller one
    return reserved_ || qsizetype(w) * 4 * h * 4 >= bytesPerLine_ * rows_;
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

void PixelBlock::prepareRightOf(int w, int h, int grownBy)
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
    const int end = std::min(h, preparedRows_ + slice);
    // one white pixel outside the image commits the page; growth whitens it again anyway
    for (int y = preparedRows_; y < end; ++y)
        *reinterpret_cast<quint32*>(row(y) + next) = 0xFFFFFFFFu;
    preparedRows_ = std::max(preparedRows_, end);
}

QImage allocateRgb32(int w, int h)
{
    if (w < 1 || h < 1) return {};
    if (qsizetype(w) * h * 4 < kOwnBlockMinimum) return QImage(w, h, QImage::Format_RGB32);
    const std::shared_ptr<PixelBlock> block = PixelBlock::create(w, h);
    return block ? block->image(w, h) : QImage();
}

} // namespace tessellon

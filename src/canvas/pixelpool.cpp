#include "pixelpool.h"

#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace tessellon {

namespace {

constexpr size_t kHugePage = size_t(2) << 20;
// Smaller images come and go through QImage's own allocation.
constexpr size_t kPooledMinimum = kHugePage;

struct Buffer
{
    void* data;
    size_t capacity;
};

// One spare buffer is enough for growth: the old canvas's goes back as the new one is made.
struct Pool
{
    std::mutex lock;
    std::optional<Buffer> spare;
    std::vector<Buffer> inUse;
};

Pool& pool()
{
    static Pool* p = new Pool; // never destroyed: images may outlive static destruction
    return *p;
}

void giveBack(void* data)
{
    Pool& p = pool();
    std::lock_guard<std::mutex> guard(p.lock);
    for (auto it = p.inUse.begin(); it != p.inUse.end(); ++it) {
        if (it->data != data) continue;
        const Buffer b = *it;
        p.inUse.erase(it);
        // keep the larger one, which serves more requests
        if (!p.spare) {
            p.spare = b;
        } else if (b.capacity > p.spare->capacity) {
            std::free(p.spare->data);
            p.spare = b;
        } else {
            std::free(b.data);
        }
        return;
    }
    std::free(data);
}

Buffer takeBuffer(size_t bytes)
{
    Pool& p = pool();
    std::lock_guard<std::mutex> guard(p.lock);
    if (p.spare && p.spare->capacity >= bytes) {
        const Buffer b = *p.spare;
        p.spare.reset();
        p.inUse.push_back(b);
        return b;
    }
    // A quarter of headroom lets the next strips of growth reuse this buffer.
    const size_t wanted = bytes + bytes / 4;
    const size_t capacity = (wanted + kHugePage - 1) / kHugePage * kHugePage;
    void* data = std::aligned_alloc(kHugePage, capacity);
    if (!data) return {nullptr, 0};
#ifdef __linux__
    madvise(data, capacity, MADV_HUGEPAGE);
#endif
    p.inUse.push_back({data, capacity});
    return {data, capacity};
}

} // namespace

QImage allocateRgb32(int w, int h)
{
    if (w < 1 || h < 1) return {};
    const qsizetype bytesPerLine = qsizetype(w) * 4;
    const size_t bytes = size_t(bytesPerLine) * size_t(h);
    if (bytes < kPooledMinimum) return QImage(w, h, QImage::Format_RGB32);
    const Buffer b = takeBuffer(bytes);
    if (!b.data) return {};
    return QImage(static_cast<uchar*>(b.data), w, h, bytesPerLine, QImage::Format_RGB32,
                  giveBack, b.data);
}

} // namespace tessellon

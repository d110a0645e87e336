#include "pages.h"

#include <cerrno>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

namespace tessellon::pages {

qsizetype size()
{
    static const qsizetype page = qsizetype(sysconf(_SC_PAGESIZE));
    return page;
}

// MAP_NORESERVE: what is written of it is judged against the memory left before it is
// written, and 4 GiB counted up front would fail most machines.
void* reserve(size_t bytes)
{
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) return nullptr;
#ifdef MADV_NOHUGEPAGE
    // a huge page would commit the unused ends of sixteen rows along with the used parts
    madvise(p, bytes, MADV_NOHUGEPAGE);
#endif
    return p;
}

void unreserve(void* p, size_t bytes)
{
    munmap(p, bytes);
}

bool commitsOnTouch()
{
    return true;
}

bool commit(void*, size_t)
{
    return true;
}

void drop(void* p, size_t bytes)
{
    madvise(p, bytes, MADV_DONTNEED);
}

bool populate(void* p, size_t bytes, bool& unsupported)
{
#ifdef __linux__
    constexpr int kPopulateWrite = 23; // MADV_POPULATE_WRITE, Linux 5.14; older headers lack it
    if (madvise(p, bytes, kPopulateWrite) == 0) return true;
    unsupported = errno == EINVAL;
#else
    Q_UNUSED(p);
    Q_UNUSED(bytes);
    unsupported = true;
#endif
    return false;
}

void* allocate(size_t bytes)
{
    return std::aligned_alloc(64, (bytes + 63) / 64 * 64);
}

void release(void* p)
{
    std::free(p);
}

} // namespace tessellon::pages

#include "pages.h"

#include <windows.h>

namespace tessellon::pages {

qsizetype size()
{
    static const qsizetype page = [] {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        return qsizetype(info.dwPageSize);
    }();
    return page;
}

// Windows commits no reserved page on touch: the blocks are plain allocations instead.
void* reserve(size_t)
{
    return nullptr;
}

void unreserve(void*, size_t) {}

void drop(void*, size_t) {}

// Committed pages come in as they are first written; asking for them ahead gains nothing.
bool populate(void*, size_t, bool& unsupported)
{
    unsupported = true;
    return false;
}

// Committed here, counted against the commit charge whole, as availableMemory() judged it.
void* allocate(size_t bytes)
{
    return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void release(void* p)
{
    VirtualFree(p, 0, MEM_RELEASE);
}

} // namespace tessellon::pages

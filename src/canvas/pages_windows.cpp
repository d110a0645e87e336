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

void* reserve(size_t bytes)
{
    return VirtualAlloc(nullptr, bytes, MEM_RESERVE, PAGE_READWRITE);
}

void unreserve(void* p, size_t)
{
    VirtualFree(p, 0, MEM_RELEASE);
}

// A reserved page faults unless it was committed first.
bool commitsOnTouch()
{
    return false;
}

bool commit(void* p, size_t bytes)
{
    return VirtualAlloc(p, bytes, MEM_COMMIT, PAGE_READWRITE) != nullptr;
}

void drop(void* p, size_t bytes)
{
    VirtualFree(p, bytes, MEM_DECOMMIT);
}

// Committed pages come in as they are first written; asking for them ahead gains nothing.
bool populate(void*, size_t, bool& unsupported)
{
    unsupported = true;
    return false;
}

// Counted against the commit charge whole, as availableMemory() judged it.
void* allocate(size_t bytes)
{
    return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void release(void* p)
{
    VirtualFree(p, 0, MEM_RELEASE);
}

} // namespace tessellon::pages

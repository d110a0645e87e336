#include "availablememory.h"

#include <atomic>

namespace tessellon {

namespace {

std::atomic<qint64> testOverride{-1};

} // namespace

qint64 availableMemory()
{
    const qint64 forced = testOverride.load();
    return forced >= 0 ? forced : systemAvailableMemory();
}

void setAvailableMemoryForTesting(qint64 bytes)
{
    testOverride.store(bytes);
}

} // namespace tessellon

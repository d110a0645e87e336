#pragma once

#include <QString>

namespace tessellon {

/// Bytes the program may still commit for one large allocation: the least of the 1 GiB
/// budget, what the process's memory cgroup (or any cgroup above it) has left below its
/// limit, and the system's MemAvailable, the last two less a margin for the rest of the
/// program. Read afresh on every call, from a few small files: call it once an operation.
qint64 availableMemory();

/// The figure availableMemory() reads, with every /proc and /sys path under `root` ("" for
/// the system's own), and no override.
qint64 readAvailableMemory(const QString& root);

/// From now on availableMemory() gives `bytes`; a negative value reads the system again.
void setAvailableMemoryForTesting(qint64 bytes);

} // namespace tessellon

#pragma once

#include <QString>

namespace tessellon {

/// Bytes the program may still commit for one large allocation: the least of the 1 GiB
/// budget and what the system has left for it, less a margin for the rest of the program.
/// Read afresh on every call: call it once an operation.
qint64 availableMemory();

/// What availableMemory() reads without an override. On Linux: what the process's memory
/// cgroup (or any cgroup above it) has left below its limit and the system's MemAvailable.
/// On Windows: the physical memory and the commit charge left (GlobalMemoryStatusEx), and
/// what the job object the process runs in has left below its limits.
qint64 systemAvailableMemory();

/// Linux: the figure systemAvailableMemory() reads, with every /proc and /sys path under
/// `root` ("" for the system's own).
qint64 readAvailableMemory(const QString& root);

/// From now on availableMemory() gives `bytes`; a negative value reads the system again.
void setAvailableMemoryForTesting(qint64 bytes);

} // namespace tessellon

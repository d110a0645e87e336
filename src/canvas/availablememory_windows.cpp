#include "availablememory.h"

#include "surface.h"

#include <algorithm>
#include <limits>

#include <windows.h>

#include <psapi.h> // needs windows.h first

namespace tessellon {

namespace {

// Left to Qt, the widgets and the undo ring.
constexpr qint64 kMargin = qint64(64) << 20;
constexpr qint64 kUnknown = std::numeric_limits<qint64>::max();

qint64 committedByUs()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(GetCurrentProcess(),
                                reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                sizeof counters)
               ? qint64(counters.PrivateUsage)
               : 0;
}

// What the job object the process runs in (a sandbox's, a service's) leaves below its
// limits; kUnknown outside one or without limits.
qint64 leftInJob()
{
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION job = {};
    if (!QueryInformationJobObject(nullptr, JobObjectExtendedLimitInformation, &job, sizeof job,
                                   nullptr))
        return kUnknown;
    const DWORD flags = job.BasicLimitInformation.LimitFlags;
    qint64 left = kUnknown;
    if (flags & JOB_OBJECT_LIMIT_PROCESS_MEMORY)
        left = qint64(job.ProcessMemoryLimit) - committedByUs();
    if (flags & JOB_OBJECT_LIMIT_JOB_MEMORY) {
        // The system tells the job's peak, not its present use, unless we are all of it.
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
        const bool alone = QueryInformationJobObject(nullptr, JobObjectBasicAccountingInformation,
                                                     &accounting, sizeof accounting, nullptr) &&
                           accounting.ActiveProcesses == 1;
        const qint64 used = alone ? committedByUs() : qint64(job.PeakJobMemoryUsed);
        left = std::min(left, qint64(job.JobMemoryLimit) - used);
    }
    return left;
}

} // namespace

qint64 systemAvailableMemory()
{
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    qint64 left = leftInJob();
    // both the memory at hand and the commit charge the system may still grant
    if (GlobalMemoryStatusEx(&status))
        left = std::min({left, qint64(status.ullAvailPhys), qint64(status.ullAvailPageFile)});
    if (left == kUnknown) return kMaxSurfaceBytes;
    return std::clamp<qint64>(left - kMargin, 0, kMaxSurfaceBytes);
}

} // namespace tessellon

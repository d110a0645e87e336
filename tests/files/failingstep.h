#pragma once
// Where the fake system calls of failingcalls.h (one of each platform) fail or stop.

#include <QtGlobal>

#include <atomic>

namespace failing {

// SyncDir only on POSIX, where the folder is synced after the rename.
enum class Step { None, Write, Sync, Close, Rename, SyncDir, StopMidWrite, StopAtSync };
inline Step gStep = Step::None;
inline qint64 gAt = 0; // the byte of the file a failing write reaches, or where a stop comes
inline qint64 gWritten = 0;
inline int gCalls = 0;                  // writes so far
inline std::atomic<bool> gStop = false; // raised by the fakes at the Stop steps

inline void arm(Step step, qint64 at = 0)
{
    gStep = step;
    gAt = at;
    gWritten = 0;
    gCalls = 0;
    gStop = false;
}

} // namespace failing

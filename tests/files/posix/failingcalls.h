#pragma once
// The replacing writer's system calls, failing at one step as the system may.

#include "failingstep.h"
#include "replacefile.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace failing {

inline qint64 gKillAt = -1; // the process kills itself when its file would grow past this

// Writes are cut short and interrupted now and then, as the system may do to any write.
inline ssize_t write(int fd, const void* data, size_t size)
{
    if (++gCalls % 3 == 0) return errno = EINTR, -1;
    size = std::min<size_t>(size, 4093);
    if (gKillAt >= 0 && gWritten + qint64(size) > gKillAt) ::raise(SIGKILL);
    if (gStep == Step::StopMidWrite && gWritten >= gAt) gStop = true;
    if (gStep == Step::Write && gWritten + qint64(size) > gAt) {
        if (gWritten == gAt) return errno = ENOSPC, -1;
        size = size_t(gAt - gWritten); // a short write up to the byte, then the failure
    }
    const ssize_t n = ::write(fd, data, size);
    if (n > 0) gWritten += n;
    return n;
}

inline int sync(int fd)
{
    if (gStep == Step::StopAtSync) gStop = true;
    return gStep == Step::Sync ? (errno = EIO, -1) : ::fsync(fd);
}

inline int close(int fd)
{
    const int r = ::close(fd); // the descriptor is gone either way, as on Linux
    return gStep == Step::Close ? (errno = EIO, -1) : r;
}

inline int rename(const char* from, const char* to)
{
    return gStep == Step::Rename ? (errno = EXDEV, -1) : std::rename(from, to);
}

inline int syncDir(const char* dir)
{
    return gStep == Step::SyncDir ? (errno = EIO, -1) : tessellon::systemFileCalls().syncDir(dir);
}

inline tessellon::FileCalls calls()
{
    return {&write, &sync, &close, &rename, &syncDir};
}

} // namespace failing

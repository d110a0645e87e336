#pragma once
// The replacing writer's system calls, failing at one step as the system may.

#include "failingstep.h"
#include "replacefile.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace failing {

inline ssize_t write(int fd, const void* data, size_t size)
{
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
    return gStep == Step::Sync ? (errno = EIO, -1) : ::fsync(fd);
}

inline int close(int fd)
{
    const int r = ::close(fd);
    return gStep == Step::Close ? (errno = EIO, -1) : r;
}

inline int rename(const char* from, const char* to)
{
    return gStep == Step::Rename ? (errno = EXDEV, -1) : std::rename(from, to);
}

inline tessellon::FileCalls calls()
{
    return {&write, &sync, &close, &rename, tessellon::systemFileCalls().syncDir};
}

} // namespace failing

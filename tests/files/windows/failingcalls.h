#pragma once
// The replacing writer's system calls, failing at one step as the system may.

#include "failingstep.h"
#include "replacefile.h"

#include <algorithm>

#include <windows.h>

namespace failing {

// Writes are cut short now and then, as the system may do to any write.
inline int write(void* file, const void* data, unsigned long size, unsigned long* written)
{
    size = std::min(size, 4093ul);
    if (gStep == Step::StopMidWrite && gWritten >= gAt) gStop = true;
    if (gStep == Step::Write && gWritten + qint64(size) > gAt) {
        if (gWritten == gAt) return SetLastError(ERROR_DISK_FULL), 0;
        size = static_cast<unsigned long>(gAt - gWritten);
    }
    const int ok = tessellon::systemFileCalls().write(file, data, size, written);
    if (ok) gWritten += *written;
    return ok;
}

inline int sync(void* file)
{
    if (gStep == Step::StopAtSync) gStop = true;
    return gStep == Step::Sync ? (SetLastError(ERROR_IO_DEVICE), 0)
                               : tessellon::systemFileCalls().flush(file);
}

inline int close(void* file)
{
    const int ok = tessellon::systemFileCalls().close(file);
    return gStep == Step::Close ? (SetLastError(ERROR_IO_DEVICE), 0) : ok;
}

inline int rename(const wchar_t* temp, const wchar_t* target, bool exists)
{
    return gStep == Step::Rename ? (SetLastError(ERROR_NOT_SAME_DEVICE), 0)
                                 : tessellon::systemFileCalls().replace(temp, target, exists);
}

inline tessellon::FileCalls calls()
{
    return {&write, &sync, &close, &rename};
}

} // namespace failing

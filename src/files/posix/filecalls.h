#pragma once

#include <QByteArray>

#include <sys/types.h>

namespace tessellon {

/// The system calls a replace goes through, so that tests can fail any one of them.
struct FileCalls
{
    ssize_t (*write)(int fd, const void* data, size_t size);
    int (*fsync)(int fd);
    int (*close)(int fd);
    int (*rename)(const char* from, const char* to);
    int (*syncDir)(const char* dir); // opens the directory, syncs it, closes it
};

/// What a ReplacingFile holds of the system while it is open.
struct ReplaceState
{
    QByteArray target_; // encoded, links resolved
    QByteArray temp_;
    int fd_ = -1;
    int lock_ = -1; // holds the temporary's lock from its creation until it is renamed or gone
    int mode_ = -1; // permission bits of the old target, -1 when there is none
    uid_t owner_ = uid_t(-1);
    gid_t group_ = gid_t(-1);
};

} // namespace tessellon

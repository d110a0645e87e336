#pragma once

#include <QByteArrayView>
#include <QIODevice>
#include <QString>

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

/// The real calls.
const FileCalls& systemFileCalls();

/// A file written in place of another: the bytes go to a temporary file beside the target
/// (".<name>.<pid>.<random>.part"), each write checked to its last byte as it reaches the
/// system. commit() syncs and closes the temporary, renames it over the target and syncs
/// the directory. Any failure, or destruction without commit(), removes the temporary and
/// leaves the target exactly as it was; a temporary left by a killed process is removed by
/// the next open() for that name.
///
/// A symbolic link as the target is kept and the file it leads to is replaced. An existing
/// target keeps its permission bits; a new one gets 0666 less the umask. A target that is
/// not a regular file, or is read-only for us, is refused.
class ReplacingFile : public QIODevice
{
public:
    explicit ReplacingFile(const QString& path, const FileCalls& calls = systemFileCalls());
    ~ReplacingFile() override;

    /// Creates the temporary; false with a reason in errorString(). Write-only, unbuffered:
    /// any other `mode` is refused.
    bool open(OpenMode mode = QIODevice::WriteOnly) override;
    bool isSequential() const override { return true; }
    /// Makes the written bytes the target; false (target as it was) on any failure.
    bool commit();

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool fail(const char* step, int error);
    QByteArray restoreTarget();
    void abandon();

    FileCalls calls_;
    QByteArray target_; // encoded, links resolved
    QByteArray temp_;
    QByteArray backup_; // a second name of the old target while it is replaced
    int fd_ = -1;
    int mode_ = -1; // permission bits of the old target, -1 when there is none
    bool failed_ = false;
};

/// Replaces the file at `path` with `bytes` through a ReplacingFile; false with a reason in
/// `error` (if given) on any failure, the old file then as it was.
bool replaceFile(const QString& path, QByteArrayView bytes, QString* error,
                 const FileCalls& calls = systemFileCalls());

} // namespace tessellon

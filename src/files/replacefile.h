#pragma once

#include <QByteArrayView>
#include <QIODevice>
#include <QString>

#include <atomic>
#include <functional>
#include <future>

#include "filecalls.h" // FileCalls and ReplaceState, one of each platform

namespace tessellon {

/// The real calls.
const FileCalls& systemFileCalls();

/// A file written in place of another: the bytes go to a temporary file beside the target
/// (".<name>.<pid>.<random>.part", created readable by its owner only; on Windows only in
/// place of an existing file, a new one's taking its folder's DACL), each write checked to
/// its last byte as it reaches the system. commit() gives the temporary the target's owner,
/// group and permission bits, syncs and closes it, renames it over the target and syncs the
/// directory. Any failure before the rename, or destruction without commit(), removes the
/// temporary and leaves the target exactly as it was; once the rename is made the save
/// stands, and a directory that cannot be synced after it is only warned about. A live
/// save holds a lock on its temporary; one nobody holds was left by a killed save and is
/// removed by the next open() for that name, whatever process or namespace made it.
///
/// A symbolic link as the target is kept and the file its chain of links leads to is
/// replaced, the links followed as the kernel follows them, up to 40: a link another user
/// planted in a sticky, world-writable folder (as /tmp) is refused where the system
/// protects such links, a chain to a name not made yet included. An
/// existing target keeps its permission bits and, where the system allows, its owner and
/// group; a new one gets 0666 less the umask. A target that is not a regular file, or is
/// read-only for us, is refused.
class ReplacingFile : public QIODevice, private ReplaceState
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
    /// A flag that stops the save once it reads true (nullptr for none): writes then fail
    /// and commit() refuses up to the rename, with "cancelled", the target as it was.
    void setStopFlag(const std::atomic<bool>* stop) { stop_ = stop; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool fail(const char* step, int error);
    bool cancel();
    bool stopped() const { return stop_ && stop_->load(std::memory_order_relaxed); }
    bool syncSoFar();
    // The platform's halves of the write loop: bytes written (0: try again), or -1 after
    // fail(); and the sync of the steps written so far, giving an error number.
    qint64 writeSome(const char* data, qint64 size);
    std::function<int()> stepSync() const;
    bool awaitSync();
    void giveFinalOwnerAndMode();
    void abandon();

    FileCalls calls_;
    QString path_;
    qint64 written_ = 0;
    std::future<int> pending_; // the sync of the last step written, an error number
    const std::atomic<bool>* stop_ = nullptr;
    bool failed_ = false;
};

/// Replaces the file at `path` with `bytes` through a ReplacingFile; false with a reason in
/// `error` (if given) on any failure, the old file then as it was.
bool replaceFile(const QString& path, QByteArrayView bytes, QString* error,
                 const FileCalls& calls = systemFileCalls());

} // namespace tessellon

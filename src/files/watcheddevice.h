#pragma once

#include "pixelpool.h"

#include <QIODevice>

namespace tessellon {

class Progress;

/// A random-access device read through another one, for a reader on a worker thread: every
/// read reports how far into the device it has come, and once a stop is requested every
/// read fails, so that the reader gives up at its next read. Loops that run long between
/// reads ask stopRequested() as well.
class WatchedDevice : public QIODevice
{
public:
    /// Opened read-only and unbuffered over `inner`, an open random-access device, from its
    /// start.
    WatchedDevice(QIODevice& inner, Progress& progress);

    bool isSequential() const override { return false; }
    qint64 size() const override { return inner_.size(); }
    bool seek(qint64 pos) override;
    Progress& progress() const noexcept { return progress_; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QIODevice& inner_;
    Progress& progress_;
};

/// Whether the reader of `device` is asked to stop: only a WatchedDevice's ever is.
bool stopRequested(const QIODevice& device);

/// The progress a WatchedDevice reports to, for a reader that marks its stages; null for
/// any other device.
Progress* watchedProgress(const QIODevice& device);

/// A picture's pixels for the reader of `device`, as allocatePixels(w, h) gives them; for a
/// watched device, committing the pages fills the first tenth of the stage and ends early
/// once a stop is asked.
OwnedPixels allocateWatchedPixels(const QIODevice& device, int w, int h);

} // namespace tessellon

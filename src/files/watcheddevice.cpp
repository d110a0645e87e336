#include "watcheddevice.h"

#include "availablememory.h"
#include "progress.h"

namespace tessellon {

WatchedDevice::WatchedDevice(QIODevice& inner, Progress& progress)
    : inner_(inner), progress_(progress)
{
    // Unbuffered: the inner device buffers, and a stop must reach the very next read.
    if (inner_.seek(0)) QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

bool WatchedDevice::seek(qint64 pos)
{
    return inner_.seek(pos) && QIODevice::seek(pos);
}

qint64 WatchedDevice::readData(char* data, qint64 maxSize)
{
    if (progress_.stopRequested()) {
        setErrorString(stoppedReason());
        return -1;
    }
    const qint64 n = inner_.read(data, maxSize);
    if (progress_.movedByReads()) progress_.report(inner_.pos(), inner_.size());
    return n;
}

bool stopRequested(const QIODevice& device)
{
    const Progress* progress = watchedProgress(device);
    return progress && progress->stopRequested();
}

Progress* watchedProgress(const QIODevice& device)
{
    const auto* watched = dynamic_cast<const WatchedDevice*>(&device);
    return watched ? &watched->progress() : nullptr;
}

OwnedPixels allocateWatchedPixels(const QIODevice& device, int w, int h)
{
    Progress* progress = watchedProgress(device);
    if (!progress) return allocatePixels(w, h);
    const Progress::Stage stage = progress->stage();
    const int split = stage.from + (stage.to - stage.from) / 10;
    progress->setStage(stage.from, split, false);
    OwnedPixels pixels =
        allocatePixels(w, h, availableMemory(), [progress](qint64 done, qint64 total) {
            progress->report(done, total);
            return !progress->stopRequested();
        });
    progress->setStage(split, stage.to, stage.byReads);
    return pixels;
}

} // namespace tessellon

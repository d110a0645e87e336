#pragma once

#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <atomic>

namespace tessellon {

/// Shared between a load or save running on a worker thread and the thread that waits for
/// it: how far the work has come, and the request to stop it.
class Progress
{
public:
    void requestStop() noexcept { stop_.store(true, std::memory_order_relaxed); }
    bool stopRequested() const noexcept { return stop_.load(std::memory_order_relaxed); }
    /// The flag itself, for a writer that checks it at every write.
    const std::atomic<bool>& stopFlag() const noexcept { return stop_; }

    /// `done` units of `total` are done. The figure never goes back, so work that reads a
    /// file twice does not make the bar jump.
    void report(qint64 done, qint64 total) noexcept
    {
        if (total <= 0) return;
        const int now = int(std::clamp<qint64>(done * 1000 / total, 0, 1000));
        int was = permille_.load(std::memory_order_relaxed);
        while (now > was && !permille_.compare_exchange_weak(was, now, std::memory_order_relaxed)) {
        }
    }
    /// 0 to 1000.
    int permille() const noexcept { return permille_.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> stop_{false};
    std::atomic<int> permille_{0};
};

/// The reason a load or save gives when it ended because a stop was requested.
inline QString stoppedReason()
{
    return QStringLiteral("stopped");
}

} // namespace tessellon

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

    /// The stage of the work that follows fills the bar from `from` to `to` thousandths, so
    /// work of several passes moves it through each. With `byReads` false the file's reads
    /// leave the bar alone and the stage reports for itself. Only the worker calls this and
    /// report(), so the stage needs no guard.
    void setStage(int from, int to, bool byReads = true) noexcept
    {
        from_ = from;
        to_ = to;
        byReads_ = byReads;
    }
    bool movedByReads() const noexcept { return byReads_; }
    struct Stage
    {
        int from, to;
        bool byReads;
    };
    Stage stage() const noexcept { return {from_, to_, byReads_}; }

    /// `done` units of the stage's `total` are done. The figure never goes back.
    void report(qint64 done, qint64 total) noexcept
    {
        if (total <= 0) return;
        const qint64 part = std::clamp<qint64>(done * (to_ - from_) / total, 0, to_ - from_);
        const int now = int(from_ + part);
        int was = permille_.load(std::memory_order_relaxed);
        while (now > was && !permille_.compare_exchange_weak(was, now, std::memory_order_relaxed)) {
        }
    }
    /// 0 to 1000.
    int permille() const noexcept { return permille_.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> stop_{false};
    std::atomic<int> permille_{0};
    int from_ = 0, to_ = 1000;
    bool byReads_ = true;
};

/// The reason a load or save gives when it ended because a stop was requested.
inline QString stoppedReason()
{
    return QStringLiteral("stopped");
}

} // namespace tessellon

#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include <psapi.h>
#endif

/// The median of timing samples (the upper one of an even count).
inline double median(std::vector<double> v)
{
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

/// Milliseconds since `start`.
inline double millisSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

/// The process's resident high-water mark (VmHWM, on Windows the peak working set) in
/// bytes; -1 where the system tells none.
inline qint64 peakBytes()
{
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters = {};
    return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)
               ? qint64(counters.PeakWorkingSetSize)
               : -1;
#else
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ')[0].toLongLong() * 1024;
    return -1;
#endif
}

/// One timed operation of a table: false when it failed.
struct BenchRow
{
    QString name;
    std::function<bool()> op;
};

/// Medians in milliseconds of `samples` runs of each row. The rows alternate, each round
/// starting a row further on, so that load from other processes falls on each alike.
inline std::vector<double> medianMillis(const std::vector<BenchRow>& rows, int samples)
{
    using Clock = std::chrono::steady_clock;
    std::vector<std::vector<double>> ms(rows.size());
    for (int s = 0; s < samples; ++s)
        for (size_t k = 0; k < rows.size(); ++k) {
            const size_t i = (k + size_t(s)) % rows.size();
            const auto start = Clock::now();
            if (!rows[i].op()) std::printf("%s failed\n", qPrintable(rows[i].name));
            ms[i].push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
    std::vector<double> medians;
    for (const auto& m : ms)
        medians.push_back(median(m));
    return medians;
}

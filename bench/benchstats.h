#pragma once

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <vector>

/// The median of timing samples (the upper one of an even count).
inline double median(std::vector<double> v)
{
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

/// The process's resident high-water mark (VmHWM) in bytes; -1 where /proc has none.
inline qint64 peakBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ')[0].toLongLong() * 1024;
    return -1;
}

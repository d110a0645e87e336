#pragma once

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStringList>

/// ImageMagick's own program, not a stand-in that may be first on PATH.
inline constexpr const char* kConvert = "/usr/bin/convert";

/// Runs `program` to its end; whether it exited normally with status 0.
inline bool runProgram(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

/// Black lines every 30 pixels and 50 grey rooms on white: what a drawn map holds.
inline QImage drawnMap(int side)
{
    QImage map(side, side, QImage::Format_RGB32);
    map.fill(Qt::white);
    QPainter p(&map);
    p.setPen(Qt::black);
    for (int i = 0; i < side; i += 30) {
        p.drawLine(i, 0, i, side - 1);
        p.drawLine(0, i, side - 1, i);
    }
    for (int i = 0; i < 50; ++i)
        p.fillRect(i * 113 % 5000, i * 71 % 5000, 240, 180, Qt::gray);
    return map;
}

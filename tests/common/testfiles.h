#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

/// Writes `bytes` as the whole file at `path`; a failed write fails the calling test.
inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

/// The bytes of the file at `path`; empty when it cannot be read.
inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

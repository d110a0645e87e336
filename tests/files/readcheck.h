#pragma once
// Reading a picture file the way the reader's tests check it: twice, under different
// allocator fills, compared with the picture it must be.

#include "mapfile.h"

#include <QBuffer>
#include <QTest>

#include <algorithm>
#include <cstdlib>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace readcheck {

// Has the allocator fill the memory it hands out with `byte` (0: leave it). Only glibc does
// it on request; elsewhere the reads are compared as they come.
inline void fillFreshMemory(int byte)
{
#ifdef __GLIBC__
    mallopt(M_PERTURB, byte);
#else
    Q_UNUSED(byte);
#endif
}

inline bool allOpaque(const QImage& img)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) != 0xFF) return false;
    return true;
}

// The largest difference of one channel between two pictures of the same size.
inline int largestDifference(const QImage& a, const QImage& b)
{
    int most = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            most = std::max({most, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                             std::abs(qBlue(p) - qBlue(q))});
        }
    return most;
}

// Reads `bytes` twice, the allocator filling the memory it hands out with a different byte
// each time: a pixel taken from memory rather than from the file makes the reads differ.
struct TwoReads
{
    tessellon::PictureResult first, second;
};

inline TwoReads readDirtied(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    TwoReads t;
    fillFreshMemory(0x5A);
    t.first = tessellon::readPicture(buffer);
    fillFreshMemory(0xA5);
    t.second = tessellon::readPicture(buffer);
    fillFreshMemory(0);
    return t;
}

// Checks that `bytes` read as `expected` (each channel within `tolerance`), opaque, and the
// same both times.
inline void verifyRead(const QByteArray& bytes, const QImage& expected, int tolerance = 0)
{
    const TwoReads t = readDirtied(bytes);
    QVERIFY2(t.first.error.isEmpty(), qPrintable(t.first.error));
    QCOMPARE(t.first.image.format(), QImage::Format_RGB32);
    if (tolerance == 0) {
        QCOMPARE(t.first.image, expected);
    } else {
        QCOMPARE(t.first.image.size(), expected.size());
        QCOMPARE_LE(largestDifference(t.first.image, expected), tolerance);
    }
    QVERIFY(allOpaque(t.first.image));
    QCOMPARE(t.second.image, t.first.image);
}

} // namespace readcheck

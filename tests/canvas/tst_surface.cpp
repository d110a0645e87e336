#include "availablememory.h"
#include "pixelpool.h"
#include "surface.h"

#include <QTest>

using namespace tessellon;

namespace {

QImage solid(int w, int h, VbColor c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(toRgb32(c));
    return img;
}

// Counts the pixels of `s` that have colour `c`.
int count(const Surface& s, VbColor c)
{
    int n = 0;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            n += s.Point(x, y) == c;
    return n;
}

} // namespace

class TestSurface : public QObject
{
    Q_OBJECT
private slots:
    void colourRoundTrip();
    void rasterOpsOnChannels_data();
    void rasterOpsOnChannels();
    void clipping_data();
    void clipping();
    void sourceRectangle();
    void pointAndPSetOutside();
    void resizing();
    void largeGrowthStaysInPlace_data();
    void largeGrowthStaysInPlace();
    void narrowGrowthInItsBlock();
    void pictureCommitHearsAStop();
    void growthLeavesSharedCopiesAlone();
    void refusesWhatMemoryCannotHold_data();
    void refusesWhatMemoryCannotHold();
    void cleanup() { setAvailableMemoryForTesting(-1); }
    void fillIsClipped();
};

void TestSurface::colourRoundTrip()
{
    Surface s(3, 1);
    s.PSet(1, 0, kGridColour);
    QCOMPARE(s.Point(1, 0), kGridColour);
    QCOMPARE(qRed(s.image().pixel(1, 0)), 180);
    QCOMPARE(qGreen(s.image().pixel(1, 0)), 180);
    QCOMPARE(qBlue(s.image().pixel(1, 0)), 179);
    QCOMPARE(s.Point(0, 0), kWhite);
}

void TestSurface::rasterOpsOnChannels_data()
{
    QTest::addColumn<int>("op");
    QTest::addColumn<int>("canvas");
    QTest::addColumn<int>("tile");
    QTest::addColumn<int>("expected");
    const int andOp = int(RasterOp::SrcAnd), copy = int(RasterOp::SrcCopy);
    QTest::newRow("grid AND white stays grid") << andOp << kGridColour << kWhite << kGridColour;
    QTest::newRow("black AND grid is black") << andOp << kGridColour << kBlack << kBlack;
    QTest::newRow("anything AND black is black") << andOp << 0x00123456 << kBlack << kBlack;
    QTest::newRow("AND per channel") << andOp << 0x00F0F0F0 << 0x000FFF3C << 0x0000F030;
    QTest::newRow("copy overwrites") << copy << kGridColour << 0x00010203 << 0x00010203;
    QTest::newRow("copy white over black") << copy << kBlack << kWhite << kWhite;
}

void TestSurface::rasterOpsOnChannels()
{
    QFETCH(int, op);
    QFETCH(int, canvas);
    QFETCH(int, tile);
    QFETCH(int, expected);
    Surface s(4, 4);
    s.fillRect(QRect(0, 0, 4, 4), canvas);
    s.paintPicture(solid(2, 2, tile), 1, 1, RasterOp(op));
    QCOMPARE(s.Point(1, 1), expected);
    QCOMPARE(s.Point(2, 2), expected);
    QCOMPARE(s.Point(0, 0), canvas); // outside the blit
    QCOMPARE(s.Point(3, 3), canvas);
    QCOMPARE(qAlpha(s.image().pixel(1, 1)), 255);
}

void TestSurface::clipping_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<int>("blackPixels");
    // a 4 x 4 black square onto a 10 x 8 white surface
    QTest::newRow("inside") << QPoint(3, 2) << 16;
    QTest::newRow("left edge, negative x") << QPoint(-1, 2) << 12;
    QTest::newRow("top edge, negative y") << QPoint(3, -3) << 4;
    QTest::newRow("right edge") << QPoint(8, 2) << 8;
    QTest::newRow("bottom edge") << QPoint(3, 7) << 4;
    QTest::newRow("corner, both negative") << QPoint(-2, -2) << 4;
    QTest::newRow("bottom-right corner") << QPoint(9, 7) << 1;
    QTest::newRow("wholly outside right") << QPoint(10, 0) << 0;
    QTest::newRow("wholly outside above") << QPoint(0, -4) << 0;
    QTest::newRow("far negative") << QPoint(-30000, -30000) << 0;
}

void TestSurface::clipping()
{
    QFETCH(QPoint, at);
    QFETCH(int, blackPixels);
    for (auto op : {RasterOp::SrcCopy, RasterOp::SrcAnd}) {
        Surface s(10, 8);
        s.paintPicture(solid(4, 4, kBlack), at.x(), at.y(), op);
        QCOMPARE(count(s, kBlack), blackPixels);
        // every black pixel lies where the square would be
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x)
                if (s.Point(x, y) == kBlack) {
                    QVERIFY(x >= at.x() && x < at.x() + 4);
                    QVERIFY(y >= at.y() && y < at.y() + 4);
                }
    }
}

void TestSurface::sourceRectangle()
{
    // a source with a distinct colour at each pixel, so a wrong offset shows
    QImage src(6, 5, QImage::Format_RGB32);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            src.setPixel(x, y, toRgb32(VbColor(y * 16 + x)));
    Surface s(8, 8);
    s.paintPicture(src, 1, 2, QRect(2, 1, 3, 2));
    QCOMPARE(s.Point(1, 2), VbColor(1 * 16 + 2));
    QCOMPARE(s.Point(3, 3), VbColor(2 * 16 + 4));
    QCOMPARE(s.Point(4, 2), kWhite);
    QCOMPARE(s.Point(1, 4), kWhite);

    // a source rectangle reaching past the source and a negative destination
    Surface t(4, 4);
    t.paintPicture(src, -1, -1, QRect(4, 3, 5, 5));
    QCOMPARE(t.Point(0, 0), VbColor(4 * 16 + 5)); // source (5, 4)
    QCOMPARE(t.Point(1, 0), kWhite);
    QCOMPARE(t.Point(0, 1), kWhite);

    // the undo snapshot pattern: canvas rectangle into a buffer at (0, 0)
    Surface canvas(50, 50);
    canvas.PSet(40, 45, kBlack);
    Surface buffer(121, 121);
    buffer.paintPicture(canvas.image(), 0, 0, QRect(30, 30, 31, 31));
    QCOMPARE(buffer.Point(10, 15), kBlack);
    QCOMPARE(count(buffer, kBlack), 1);
}

void TestSurface::pointAndPSetOutside()
{
    Surface s(5, 3);
    const QImage before = s.image().copy();
    for (QPoint p : {QPoint(-1, 0), QPoint(0, -1), QPoint(5, 0), QPoint(0, 3), QPoint(5, 3),
                     QPoint(-32768, 32767)}) {
        QCOMPARE(s.Point(p.x(), p.y()), kNoColour);
        s.PSet(p.x(), p.y(), kBlack);
    }
    QCOMPARE(s.image(), before);
    QCOMPARE(Surface().Point(0, 0), kNoColour);
}

void TestSurface::resizing()
{
    Surface s(6, 4);
    s.PSet(5, 3, kBlack);
    s.PSet(1, 1, kGridColour);
    s.setWidth(9);
    QCOMPARE(s.size(), QSize(9, 4));
    QCOMPARE(s.Point(5, 3), kBlack);
    QCOMPARE(s.Point(1, 1), kGridColour);
    QCOMPARE(count(s, kWhite), 9 * 4 - 2);
    s.setHeight(2); // cuts the black pixel off
    QCOMPARE(s.size(), QSize(9, 2));
    QCOMPARE(s.Point(1, 1), kGridColour);
    QCOMPARE(count(s, kBlack), 0);
    s.setSize(3, 7);
    QCOMPARE(s.Point(1, 1), kGridColour);
    QCOMPARE(s.Point(2, 6), kWhite);
    s.setHeight(4); // pixels that a shrink cut off do not come back
    QCOMPARE(count(s, kBlack), 0);
    // a size no memory budget allows is refused whole (32767 x 32767 would be 4 GiB)
    s.setSize(32767, 32767);
    QCOMPARE(s.size(), QSize(3, 4));
    QCOMPARE(s.Point(1, 1), kGridColour);
}

void TestSurface::largeGrowthStaysInPlace_data()
{
    QTest::addColumn<bool>("adopted");
    QTest::addColumn<bool>("withRoom");
    QTest::newRow("made large") << false << false;
    QTest::newRow("adopted picture") << true << false;
    QTest::newRow("made with room") << false << true;
}

// A large bitmap grows a strip at a time within its own memory, shrinks, and grows again
// white: a shrink drops what it cut off. The sizes stay within a quarter of headroom.
void TestSurface::largeGrowthStaysInPlace()
{
    QFETCH(bool, adopted);
    QFETCH(bool, withRoom);
    Surface s = withRoom ? Surface::withRoom(1500, 1400) : Surface(1500, 1400);
    QCOMPARE(count(s, kWhite), 1500 * 1400);
    if (adopted) {
        OwnedPixels picture = allocatePixels(1500, 1400);
        picture.image.fill(toRgb32(kWhite));
        QVERIFY(s.setPicture(std::move(picture.image), std::move(picture.block)));
    }
    const uchar* bits = s.image().constBits();
    s.PSet(1499, 1399, kBlack);
    for (QSize next : {QSize(1530, 1400), QSize(1530, 1431), QSize(1700, 1650)}) {
        s.setSize(next.width(), next.height());
        QCOMPARE(s.size(), next);
        QCOMPARE(s.image().constBits(), bits);
        QCOMPARE(s.Point(1499, 1399), kBlack);
        QCOMPARE(count(s, kWhite), next.width() * next.height() - 1);
    }
    s.PSet(1600, 1600, kBlack);
    s.setSize(1000, 1500); // cuts both black pixels off
    s.setSize(1700, 1650);
    QCOMPARE(s.image().constBits(), bits);
    QCOMPARE(count(s, kWhite), 1700 * 1650);
}

// Committing a large picture's pages takes long enough that a stop must be heard midway.
void TestSurface::pictureCommitHearsAStop()
{
    int steps = 0;
    const auto halfway = [&steps](qint64 done, qint64 total) { return ++steps, done < total / 2; };
    const OwnedPixels picture = allocatePixels(4096, 4096, qint64(1) << 30, halfway);
    QVERIFY(!picture.image.isNull());
    if (steps == 0) QSKIP("the system commits no pages ahead of their first write");
    QCOMPARE(steps, 2); // 64 MB in slices of 16 MB, stopped once past half
}

// A bitmap made narrow inside its block still commits a page a row when it grows taller:
// that is judged by the memory really left, not by the floor small bitmaps get.
void TestSurface::narrowGrowthInItsBlock()
{
    Surface s(600, 2000);
    QVERIFY(s.setSize(10, 2000));
    QVERIFY(s.setSize(10, 3000)); // 1000 new rows, a page each: 4 MB
    QCOMPARE(s.size(), QSize(10, 3000));
    QCOMPARE(s.Point(9, 2999), kWhite);
}

void TestSurface::growthLeavesSharedCopiesAlone()
{
    Surface s(1500, 1400);
    s.PSet(10, 10, kBlack);
    const QImage held = s.image(); // shares the pixels
    s.setSize(1530, 1400);
    s.PSet(10, 10, kWhite);
    s.setSize(1000, 1000);
    QCOMPARE(held.size(), QSize(1500, 1400));
    QCOMPARE(fromRgb32(held.pixel(10, 10)), kBlack);
    QCOMPARE(fromRgb32(held.pixel(1499, 1399)), kWhite);
}

void TestSurface::refusesWhatMemoryCannotHold_data()
{
    QTest::addColumn<QSize>("to");
    QTest::addColumn<bool>("shared"); // a copy of the image is held: growth must copy
    QTest::addColumn<int>("availableKiB");
    QTest::addColumn<bool>("done");
    // 1000 x 1000 rows of 4000 bytes: one page each, two once wider than 1024 pixels
    QTest::newRow("strip that fits") << QSize(1000, 1030) << false << 200 << true;
    QTest::newRow("strip beyond") << QSize(1000, 1060) << false << 200 << false;
    QTest::newRow("wider: a page a row") << QSize(1030, 1000) << false << 3000 << false;
    QTest::newRow("wider within") << QSize(1030, 1000) << false << 4500 << true;
    QTest::newRow("shrink at no memory") << QSize(900, 900) << false << 0 << true;
    QTest::newRow("copy beyond") << QSize(1000, 1030) << true << 1000 << false;
    QTest::newRow("copy within") << QSize(1000, 1030) << true << 5000 << true;
}

// Growth is judged by the pages it will commit, before any is touched; a refused size
// leaves the surface whole, and a held copy is never written through.
void TestSurface::refusesWhatMemoryCannotHold()
{
    QFETCH(QSize, to);
    QFETCH(bool, shared);
    QFETCH(int, availableKiB);
    QFETCH(bool, done);
    Surface s(1000, 1000);
    s.PSet(999, 999, kBlack);
    const QImage held = shared ? s.image() : QImage();
    setAvailableMemoryForTesting(qint64(availableKiB) << 10);
    QCOMPARE(s.setSize(to.width(), to.height()), done);
    QCOMPARE(s.size(), done ? to : QSize(1000, 1000));
    QCOMPARE(s.Point(999, 999), to.width() < 1000 ? kNoColour : kBlack);
    s.PSet(0, 0, kBlack); // where memory is short for a copy, a shared surface stays unwritten
    QCOMPARE(s.Point(0, 0), shared && !done ? kWhite : kBlack);
    if (shared) QCOMPARE(fromRgb32(held.pixel(0, 0)), kWhite);
}

void TestSurface::fillIsClipped()
{
    Surface s(10, 10);
    s.fillRect(QRect(-5, -5, 100, 100), kBlack); // larger than the canvas, as Clear does
    QCOMPARE(count(s, kBlack), 100);
    s.fillRect(QRect(8, 8, 5, 5), kWhite);
    QCOMPARE(count(s, kWhite), 4);
}

QTEST_APPLESS_MAIN(TestSurface)
#include "tst_surface.moc"

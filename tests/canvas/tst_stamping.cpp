#include "canvasfixtures.h"
#include "grid.h"
#include "stamping.h"

#include <QTest>

using namespace tessellon;
using namespace fixtures;

namespace {

// A canvas with black lines across it and grid colour on a few non-grid pixels, among
// them the left column and the top row, which no repair may touch.
Surface drawnCanvas(bool withGrid)
{
    Surface s(241, 181);
    s.fillRect(QRect(0, 47, 241, 1), kBlack);
    s.fillRect(QRect(75, 0, 1, 181), kBlack);
    // Half of each edge grid-coloured, half white: a repair of the edge lines would show
    // with the grid on and with it off.
    for (int i = 1; i < 90; i += 2)
        s.PSet(0, i, kGridColour);
    for (int i = 1; i < 120; i += 2)
        s.PSet(i, 0, kGridColour);
    s.PSet(60, 20, kGridColour);
    if (withGrid) DrawGrid(s);
    return s;
}

} // namespace

class TestStamping : public QObject
{
    Q_OBJECT
private slots:
    void modeTable_data();
    void modeTable();
    void overlayIsIdempotentAndWhiteIsNeutral_data();
    void overlayIsIdempotentAndWhiteIsNeutral();
    void replaceRepairsGridAroundCursor_data();
    void replaceRepairsGridAroundCursor();
    void replaceWhiteRestoresDotsInBlock();
    void stampsAreCutAtEdges_data();
    void stampsAreCutAtEdges();
    void nullTileDoesNothing();
};

void TestStamping::modeTable_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("leftOverlays");
    QTest::addColumn<StampMode>("mode");
    QTest::newRow("left, option Left") << 1 << true << StampMode::Overlay;
    QTest::newRow("right, option Left") << 2 << true << StampMode::Replace;
    QTest::newRow("left, option Right") << 1 << false << StampMode::Replace;
    QTest::newRow("right, option Right") << 2 << false << StampMode::Overlay;
    QTest::newRow("middle") << 4 << true << StampMode::None;
    QTest::newRow("left and right together") << 3 << false << StampMode::None;
    QTest::newRow("no button") << 0 << true << StampMode::None;
}

void TestStamping::modeTable()
{
    QFETCH(int, button);
    QFETCH(bool, leftOverlays);
    QFETCH(StampMode, mode);
    QCOMPARE(stampModeFor(button, leftOverlays), mode);
    QCOMPARE(repeatMode(leftOverlays), leftOverlays ? StampMode::Overlay : StampMode::Replace);
}

void TestStamping::overlayIsIdempotentAndWhiteIsNeutral_data()
{
    QTest::addColumn<QPoint>("cursor");
    QTest::addColumn<int>("side");
    QTest::newRow("inside") << QPoint(30, 30) << 31;
    QTest::newRow("10-px offset") << QPoint(40, 10) << 61;
    QTest::newRow("over the right edge") << QPoint(230, 170) << 31;
    QTest::newRow("negative") << QPoint(-15, -20) << 121;
}

void TestStamping::overlayIsIdempotentAndWhiteIsNeutral()
{
    QFETCH(QPoint, cursor);
    QFETCH(int, side);
    Surface s = drawnCanvas(true);
    const QImage before = s.image().copy();
    StampOverlay(s, solidImage(side, side, kWhite), cursor);
    QCOMPARE(differences(s.image(), before), 0);

    StampOverlay(s, lineTile(side, side), cursor);
    const QImage once = s.image().copy();
    QVERIFY(differences(once, before) > 0);
    StampOverlay(s, lineTile(side, side), cursor);
    QCOMPARE(differences(s.image(), once), 0);
}

void TestStamping::replaceRepairsGridAroundCursor_data()
{
    QTest::addColumn<QPoint>("cursor");
    QTest::addColumn<int>("side");
    QTest::addColumn<bool>("gridOn");
    QTest::addColumn<QPoint>("origin"); // the grid lines at or before the cursor
    for (const bool on : {true, false}) {
        const char* g = on ? "grid on" : "grid off";
        QTest::addRow("31 at (30, 30), %s", g) << QPoint(30, 30) << 31 << on << QPoint(30, 30);
        QTest::addRow("11 at (70, 50), %s", g) << QPoint(70, 50) << 11 << on << QPoint(60, 30);
        QTest::addRow("31 at (0, 0), %s", g) << QPoint(0, 0) << 31 << on << QPoint(0, 0);
        QTest::addRow("31 at (40, 10), %s", g) << QPoint(40, 10) << 31 << on << QPoint(30, 0);
        QTest::addRow("31 at (-20, -40), %s", g) << QPoint(-20, -40) << 31 << on << QPoint(0, -30);
        QTest::addRow("11 at right edge, %s", g)
            << QPoint(235, 175) << 11 << on << QPoint(210, 150);
    }
}

// The stamp leaves the tile inside its square and applies the dot rule on the repaired
// lines only, inside and outside the square alike; the rest of the canvas is untouched.
void TestStamping::replaceRepairsGridAroundCursor()
{
    QFETCH(QPoint, cursor);
    QFETCH(int, side);
    QFETCH(bool, gridOn);
    QFETCH(QPoint, origin);
    // Grid on starts from a canvas without grid, off from one with: either way the repair
    // has work to do outside the square as well.
    Surface s = drawnCanvas(!gridOn);
    const Surface before = s;
    StampReplace(s, solidImage(side, side, kWhite), cursor, gridOn);
    const QRect square(cursor, QSize(side, side));
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x) {
            VbColor expected = square.contains(x, y) ? kWhite : before.Point(x, y);
            if (inRepair(x, y, origin.x(), origin.y())) {
                if (gridOn && expected == kWhite) expected = kGridColour;
                if (!gridOn && expected == kGridColour) expected = kWhite;
            }
            if (s.Point(x, y) != expected)
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2)").arg(x).arg(y)));
        }
    }
}

void TestStamping::replaceWhiteRestoresDotsInBlock()
{
    Surface s(200, 200);
    s.fillRect(QRect(30, 30, 31, 31), kBlack);
    StampReplace(s, solidImage(31, 31, kWhite), QPoint(30, 30), true);
    int dots = 0;
    for (int y = 30; y <= 60; ++y)
        for (int x = 30; x <= 60; ++x)
            dots += s.Point(x, y) == kGridColour;
    QCOMPARE(dots, 4 * 15); // odd pixels of x = 30, x = 60, y = 30, y = 60 inside the block
    QCOMPARE(s.Point(30, 31), kGridColour);
    QCOMPARE(s.Point(31, 60), kGridColour);
    QCOMPARE(s.Point(30, 30), kWhite); // crossings are never dots
    QCOMPARE(s.Point(45, 45), kWhite);
}

void TestStamping::stampsAreCutAtEdges_data()
{
    QTest::addColumn<QPoint>("cursor");
    QTest::addColumn<bool>("overlay");
    QTest::newRow("overlay past bottom right") << QPoint(90, 50) << true;
    QTest::newRow("replace past bottom right") << QPoint(90, 50) << false;
    QTest::newRow("overlay at negative") << QPoint(-20, -7) << true;
    QTest::newRow("replace at negative") << QPoint(-20, -7) << false;
    QTest::newRow("replace wholly outside") << QPoint(-61, 200) << false;
}

void TestStamping::stampsAreCutAtEdges()
{
    QFETCH(QPoint, cursor);
    QFETCH(bool, overlay);
    Surface s(110, 70);
    s.fillRect(QRect(0, 0, 110, 70), 0x00C0FFEE); // neither white nor grid colour
    const Surface before = s;
    const QImage tile = lineTile(61, 41);
    overlay ? StampOverlay(s, tile, cursor) : StampReplace(s, tile, cursor, false);
    QCOMPARE(s.size(), QSize(110, 70));
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x) {
            const QPoint t = QPoint(x, y) - cursor;
            VbColor expected = before.Point(x, y);
            if (tile.rect().contains(t)) {
                const VbColor tp = fromRgb32(tile.pixel(t));
                expected = overlay ? (expected & tp) : tp;
            }
            QCOMPARE(s.Point(x, y), expected);
        }
    }
}

void TestStamping::nullTileDoesNothing()
{
    Surface s = drawnCanvas(true);
    const QImage before = s.image().copy();
    StampOverlay(s, QImage(), QPoint(30, 30));
    StampReplace(s, QImage(), QPoint(30, 30), false);
    QCOMPARE(differences(s.image(), before), 0);
}

QTEST_GUILESS_MAIN(TestStamping)
#include "tst_stamping.moc"

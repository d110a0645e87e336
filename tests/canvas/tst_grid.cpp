#include "canvasfixtures.h"
#include "grid.h"
#include "stamping.h"

#include <QTest>

using namespace tessellon;
using namespace fixtures;

class TestGrid : public QObject
{
    Q_OBJECT
private slots:
    void whiteCanvasGetsDotsExactlyOnGrid_data();
    void whiteCanvasGetsDotsExactlyOnGrid();
    void drawTwiceIsDrawOnce();
    void eraseAfterDrawRestoresTiledCanvas();
    void touchesOnlyWhiteOrGridOnGridPositions_data();
    void touchesOnlyWhiteOrGridOnGridPositions();
    void matchesPixelByPixelReference_data();
    void matchesPixelByPixelReference();
    void repairCoversItsExtentsOnly_data();
    void repairCoversItsExtentsOnly();
    void repairOffRemovesOnlyGridColour();
};

void TestGrid::whiteCanvasGetsDotsExactlyOnGrid_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("dots");
    // (W-1)/30 vertical lines of H/2 dots, (H-1)/30 horizontal lines of W/2 dots.
    QTest::newRow("100 x 70") << 100 << 70 << 205;
    QTest::newRow("width 30: column 30 is outside") << 30 << 100 << 45;
    QTest::newRow("30 x 30: nothing") << 30 << 30 << 0;
    QTest::newRow("31 x 31: one line each way") << 31 << 31 << 30;
    QTest::newRow("height 30, last row probed") << 61 << 30 << 30;
    QTest::newRow("1 x 1") << 1 << 1 << 0;
}

void TestGrid::whiteCanvasGetsDotsExactlyOnGrid()
{
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(int, dots);
    Surface s(w, h);
    DrawGrid(s);
    int n = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const VbColor c = s.Point(x, y);
            QCOMPARE(c, onGrid(x, y) ? kGridColour : kWhite);
            n += c == kGridColour;
        }
    }
    QCOMPARE(n, dots);
    EraseGrid(s);
    QCOMPARE(differences(s.image(), Surface(w, h).image()), 0);
}

void TestGrid::drawTwiceIsDrawOnce()
{
    Surface s = noisyCanvas(211, 157, 7);
    DrawGrid(s);
    const QImage once = s.image().copy();
    DrawGrid(s);
    QCOMPARE(differences(s.image(), once), 0);
    EraseGrid(s);
    const QImage erased = s.image().copy();
    EraseGrid(s);
    QCOMPARE(differences(s.image(), erased), 0);
}

void TestGrid::eraseAfterDrawRestoresTiledCanvas()
{
    Surface s(250, 190);
    for (int i = 0; i < 6; ++i)
        StampOverlay(s, lineTile(31, 31, i), QPoint(30 * i + 10 * (i % 2), 20 * i));
    StampOverlay(s, lineTile(121, 91), QPoint(100, 60));
    s.PSet(60, 2, kGridColour);  // grid colour on a vertical line, even row
    s.PSet(45, 45, kGridColour); // between lines
    const QImage before = s.image().copy();
    DrawGrid(s);
    QVERIFY(differences(s.image(), before) > 0);
    EraseGrid(s);
    QCOMPARE(differences(s.image(), before), 0);
    QCOMPARE(s.Point(60, 2), kGridColour);
    QCOMPARE(s.Point(45, 45), kGridColour);
}

void TestGrid::touchesOnlyWhiteOrGridOnGridPositions_data()
{
    QTest::addColumn<bool>("draw");
    QTest::newRow("draw") << true;
    QTest::newRow("erase") << false;
}

void TestGrid::touchesOnlyWhiteOrGridOnGridPositions()
{
    QFETCH(bool, draw);
    Surface s = noisyCanvas(187, 153, 11);
    const Surface before = s;
    draw ? DrawGrid(s) : EraseGrid(s);
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x) {
            const VbColor was = before.Point(x, y);
            VbColor expected = was;
            if (onGrid(x, y) && draw && was == kWhite) expected = kGridColour;
            if (onGrid(x, y) && !draw && was == kGridColour) expected = kWhite;
            if (s.Point(x, y) != expected)
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) changed wrongly").arg(x).arg(y)));
        }
    }
}

void TestGrid::matchesPixelByPixelReference_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::newRow("1 x 1") << 1 << 1;
    QTest::newRow("29 x 31") << 29 << 31;
    QTest::newRow("31 x 29") << 31 << 29;
    QTest::newRow("61 x 91") << 61 << 91;
    QTest::newRow("97 x 123") << 97 << 123;
    QTest::newRow("301 x 7") << 301 << 7;
    QTest::newRow("7 x 301") << 7 << 301;
    QTest::newRow("599 x 451") << 599 << 451;
}

void TestGrid::matchesPixelByPixelReference()
{
    QFETCH(int, w);
    QFETCH(int, h);
    Surface fast = noisyCanvas(w, h, quint32(w * 1000 + h));
    Surface naive = fast;
    DrawGrid(fast);
    naiveGridPass(naive, kWhite, kGridColour);
    QCOMPARE(differences(fast.image(), naive.image()), 0);
    EraseGrid(fast);
    naiveGridPass(naive, kGridColour, kWhite);
    QCOMPARE(differences(fast.image(), naive.image()), 0);
}

void TestGrid::repairCoversItsExtentsOnly_data()
{
    QTest::addColumn<QPoint>("cursor");
    QTest::addColumn<QPoint>("origin"); // the grid lines at or before the cursor
    QTest::addColumn<int>("dots");
    QTest::newRow("inside: 5 x 61 + 4 x 46") << QPoint(60, 90) << QPoint(60, 90) << 489;
    QTest::newRow("on a cell") << QPoint(65, 119) << QPoint(60, 90) << 489;
    QTest::newRow("10-px offset") << QPoint(40, 10) << QPoint(30, 0) << 5 * 60 + 3 * 46;
    QTest::newRow("origin: no edge lines") << QPoint(0, 0) << QPoint(0, 0) << 4 * 60 + 3 * 45;
    QTest::newRow("negative") << QPoint(-40, -10) << QPoint(-30, 0) << 3 * 60 + 3 * 30;
    QTest::newRow("far negative") << QPoint(-200, -200) << QPoint(-180, -180) << 0;
    QTest::newRow("bottom right edge") << QPoint(330, 240) << QPoint(330, 240) << 4 * 16;
}

void TestGrid::repairCoversItsExtentsOnly()
{
    QFETCH(QPoint, cursor);
    QFETCH(QPoint, origin);
    QFETCH(int, dots);
    Surface s(361, 271);
    RepairGridAtCursor(s, cursor.x(), cursor.y(), true);
    int n = 0;
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x) {
            const bool dot = s.Point(x, y) == kGridColour;
            QCOMPARE(dot, inRepair(x, y, origin.x(), origin.y()));
            n += dot;
        }
    }
    QCOMPARE(n, dots);
}

void TestGrid::repairOffRemovesOnlyGridColour()
{
    Surface s = noisyCanvas(300, 250, 5);
    DrawGrid(s);
    const Surface before = s;
    RepairGridAtCursor(s, 40, 10, false);
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x) {
            const VbColor was = before.Point(x, y);
            const bool cleared = inRepair(x, y, 30, 0) && was == kGridColour;
            QCOMPARE(s.Point(x, y), cleared ? kWhite : was);
        }
    }
}

QTEST_GUILESS_MAIN(TestGrid)
#include "tst_grid.moc"

#include "canvasfixtures.h"
#include "grid.h"
#include "stamping.h"
#include "undoring.h"

#include <QTest>

#include <vector>

using namespace tessellon;
using namespace fixtures;

namespace {

// A recorded stamp as the window makes one: snapshot, stamp, snapshot.
void recordedOverlay(UndoRing& ring, Surface& canvas, const QImage& tile, QPoint cursor)
{
    ring.PushUndo(canvas, cursor, tile.size());
    StampOverlay(canvas, tile, cursor);
    ring.PushRedo(canvas);
}

// `into` with the rectangle `r` taken from `from`, both pictures of the same size.
QImage withRect(QImage into, const QImage& from, const QRect& r)
{
    const QRect part = r.intersected(into.rect());
    for (int y = part.top(); y <= part.bottom(); ++y)
        for (int x = part.left(); x <= part.right(); ++x)
            into.setPixel(x, y, from.pixel(x, y));
    return into;
}

} // namespace

class TestUndoRing : public QObject
{
    Q_OBJECT
private slots:
    void startUpDoesNothingButRepair();
    void sevenStampsFiveUndosThenRedos();
    void wrapToSlotFiveAfterTwoUndos();
    void undoneRecordFurtherAlongStaysRedoable();
    void wholeLargeRectangleRestored_data();
    void wholeLargeRectangleRestored();
    void undoAfterGridSwitchedOff_data();
    void undoAfterGridSwitchedOff();
    void recordWithoutStampMovesCursorOnly();
    void snapshotOutsideCanvasIsWhite();
    void afterImageNeverStoredRedoesWhite();
};

void TestUndoRing::startUpDoesNothingButRepair()
{
    UndoRing ring;
    Surface canvas(300, 200);
    QPoint cursor(60, 60);
    QVERIFY(!ring.Undo(canvas, cursor, false));
    QVERIFY(!ring.Redo(canvas, cursor, false));
    QCOMPARE(differences(canvas.image(), Surface(300, 200).image()), 0);
    QCOMPARE(cursor, QPoint(60, 60));
    // The repair runs even when nothing is undone.
    QVERIFY(!ring.Undo(canvas, cursor, true));
    QCOMPARE(canvas.Point(60, 61), kGridColour);
    QCOMPARE(canvas.Point(180, 179), kGridColour);
    QCOMPARE(canvas.Point(240, 61), kWhite);
}

void TestUndoRing::sevenStampsFiveUndosThenRedos()
{
    UndoRing ring;
    Surface canvas(400, 120);
    std::vector<QImage> states{canvas.image().copy()};
    std::vector<QPoint> at{QPoint()};
    for (int k = 1; k <= 7; ++k) {
        at.push_back(QPoint(40 * k, 10 + 5 * k));
        recordedOverlay(ring, canvas, lineTile(31, 31, k), at.back());
        states.push_back(canvas.image().copy());
    }
    QPoint cursor(0, 0);
    for (int k = 7; k >= 3; --k) {
        QVERIFY(ring.Undo(canvas, cursor, false));
        QCOMPARE(cursor, at[k]);
        QCOMPARE(differences(canvas.image(), states[k - 1]), 0);
    }
    QVERIFY(!ring.Undo(canvas, cursor, false));
    QCOMPARE(cursor, at[3]);
    QCOMPARE(differences(canvas.image(), states[2]), 0);
    for (int k = 3; k <= 7; ++k) {
        QVERIFY(ring.Redo(canvas, cursor, false));
        QCOMPARE(cursor, at[k]);
        QCOMPARE(differences(canvas.image(), states[k]), 0);
    }
    QVERIFY(!ring.Redo(canvas, cursor, false));
    QCOMPARE(differences(canvas.image(), states[7]), 0);
}

void TestUndoRing::wrapToSlotFiveAfterTwoUndos()
{
    UndoRing ring;
    Surface canvas(200, 200);
    const QImage blank = canvas.image().copy();
    recordedOverlay(ring, canvas, lineTile(31, 31, 1), QPoint(30, 30));
    const QImage afterFirst = canvas.image().copy();
    recordedOverlay(ring, canvas, lineTile(61, 61, 2), QPoint(50, 70));
    QPoint cursor;
    QVERIFY(ring.Undo(canvas, cursor, false));
    QVERIFY(ring.Undo(canvas, cursor, false));
    QCOMPARE(ring.position(), qint16(5));
    QCOMPARE(differences(canvas.image(), blank), 0);
    QVERIFY(!ring.Undo(canvas, cursor, false)); // slot 5 was never written
    QCOMPARE(cursor, QPoint(30, 30));
    QVERIFY(ring.Redo(canvas, cursor, false));
    QCOMPARE(differences(canvas.image(), afterFirst), 0);
    QCOMPARE(cursor, QPoint(30, 30));
}

void TestUndoRing::undoneRecordFurtherAlongStaysRedoable()
{
    UndoRing ring;
    Surface canvas(300, 200);
    recordedOverlay(ring, canvas, lineTile(31, 31, 1), QPoint(30, 30));  // A
    recordedOverlay(ring, canvas, lineTile(31, 31, 2), QPoint(90, 30));  // B
    recordedOverlay(ring, canvas, lineTile(61, 61, 3), QPoint(100, 40)); // C
    const QImage afterC = canvas.image().copy();
    QPoint cursor;
    QVERIFY(ring.Undo(canvas, cursor, false));
    QVERIFY(ring.Undo(canvas, cursor, false));
    recordedOverlay(ring, canvas, lineTile(61, 61, 4), QPoint(120, 60)); // D, in B's slot
    QCOMPARE(ring.record(2).Left, qint16(120));
    QCOMPARE(ring.record(3).State, kUndoInactive);
    const QImage expected = withRect(canvas.image().copy(), afterC, QRect(100, 40, 61, 61));
    QVERIFY(ring.Redo(canvas, cursor, false));
    QCOMPARE(cursor, QPoint(100, 40));
    QCOMPARE(differences(canvas.image(), expected), 0);
    QVERIFY(!ring.Redo(canvas, cursor, false)); // slot 4 was never written
}

void TestUndoRing::wholeLargeRectangleRestored_data()
{
    QTest::addColumn<QPoint>("cursor");
    QTest::newRow("inside") << QPoint(30, 40);
    QTest::newRow("past the bottom right edge") << QPoint(150, 130);
    QTest::newRow("negative") << QPoint(-50, -31);
}

void TestUndoRing::wholeLargeRectangleRestored()
{
    QFETCH(QPoint, cursor);
    UndoRing ring;
    Surface canvas = noisyCanvas(200, 170, 3);
    EraseGrid(canvas); // the repair after the paste must find nothing to clear
    const QImage before = canvas.image().copy();
    const QImage tile = lineTile(121, 91);
    ring.PushUndo(canvas, cursor, tile.size());
    StampReplace(canvas, tile, cursor, false);
    ring.PushRedo(canvas);
    const QImage after = canvas.image().copy();
    QVERIFY(differences(after, before) > 0);
    QPoint c;
    QVERIFY(ring.Undo(canvas, c, false));
    QCOMPARE(differences(canvas.image(), before), 0);
    QVERIFY(ring.Redo(canvas, c, false));
    QCOMPARE(differences(canvas.image(), after), 0);
    QCOMPARE(c, cursor);
}

void TestUndoRing::undoAfterGridSwitchedOff_data()
{
    QTest::addColumn<int>("side");
    QTest::newRow("31: all inside the repair") << 31;
    QTest::newRow("121: reaches past the repair") << 121;
}

// The snapshot holds the dots of the moment; the repair after the paste removes those on
// its lines and leaves the rest of the pasted dots, as the grid check box would find them.
void TestUndoRing::undoAfterGridSwitchedOff()
{
    QFETCH(int, side);
    const QPoint at(40, 10);
    UndoRing ring;
    Surface canvas(300, 250);
    DrawGrid(canvas);
    recordedOverlay(ring, canvas, lineTile(side, side), at);
    EraseGrid(canvas);
    QPoint cursor(200, 200);
    QVERIFY(ring.Undo(canvas, cursor, false));
    const QRect rect(at, QSize(side, side));
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const bool staysDot = rect.contains(x, y) && onGrid(x, y) && !inRepair(x, y, 30, 0);
            QCOMPARE(canvas.Point(x, y), staysDot ? kGridColour : kWhite);
        }
    }
}

void TestUndoRing::recordWithoutStampMovesCursorOnly()
{
    UndoRing ring;
    Surface canvas = noisyCanvas(120, 100, 9);
    EraseGrid(canvas);
    const QImage before = canvas.image().copy();
    ring.PushUndo(canvas, QPoint(20, 30), QSize(31, 31));
    ring.PushRedo(canvas);
    QPoint cursor(90, 60);
    QVERIFY(ring.Undo(canvas, cursor, false));
    QCOMPARE(cursor, QPoint(20, 30));
    QCOMPARE(differences(canvas.image(), before), 0);
}

// What lay outside the canvas is kept as white, the colour new canvas area gets, not what
// an older snapshot left in the reused slot.
void TestUndoRing::snapshotOutsideCanvasIsWhite()
{
    UndoRing ring;
    Surface canvas(100, 100);
    canvas.fillRect(QRect(0, 0, 100, 100), kBlack);
    QPoint cursor;
    recordedOverlay(ring, canvas, lineTile(61, 61), QPoint(10, 10)); // slot 1 fills black
    QVERIFY(ring.Undo(canvas, cursor, false));
    recordedOverlay(ring, canvas, lineTile(61, 61), QPoint(-20, 70)); // slot 1 again
    QCOMPARE(ring.position(), qint16(1));
    canvas.setSize(100, 160);
    canvas.fillRect(QRect(0, 0, 100, 160), 0x00123456);
    QVERIFY(ring.Undo(canvas, cursor, false));
    QCOMPARE(canvas.Point(0, 70), kBlack);
    QCOMPARE(canvas.Point(40, 99), kBlack);
    QCOMPARE(canvas.Point(0, 100), kWhite);
    QCOMPARE(canvas.Point(40, 130), kWhite);
    QCOMPARE(canvas.Point(41, 130), 0x00123456);
    QCOMPARE(canvas.Point(0, 131), 0x00123456);
}

void TestUndoRing::afterImageNeverStoredRedoesWhite()
{
    UndoRing ring;
    Surface canvas(100, 100);
    canvas.fillRect(QRect(0, 0, 100, 100), 0x00123456);
    ring.PushUndo(canvas, QPoint(10, 20), QSize(31, 11)); // no PushRedo: its buffer is blank
    QPoint cursor;
    QVERIFY(ring.Undo(canvas, cursor, false));
    QVERIFY(ring.Redo(canvas, cursor, false));
    QCOMPARE(canvas.Point(10, 20), kWhite);
    QCOMPARE(canvas.Point(40, 30), kWhite);
    QCOMPARE(canvas.Point(41, 30), 0x00123456);
    QCOMPARE(canvas.Point(40, 31), 0x00123456);
}

QTEST_GUILESS_MAIN(TestUndoRing)
#include "tst_undoring.moc"

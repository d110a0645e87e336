// The zoomed-out view of a 5999 x 5999 map, driven with real events on the shown window:
// Ctrl + wheel steps, the darkest pixel of each block, a click that jumps back to 1:1, and
// input that returns to 1:1 before it does anything.
#include "availablememory.h"
#include "cursorshape.h"
#include "frmtessellon.h"
#include "picturebox.h"
#include "scrollbar.h"
#include "windowfixture.h"
#include "zoomview.h"

#include <QWheelEvent>

using namespace tessellon;

namespace {

constexpr int kSide = 5999;
constexpr int kLine = 3011;      // a 1-pixel black line down the map, inside an 8-pixel block
const QPoint kPointer(300, 200); // in the view frame

// Notches of Ctrl + wheel over `over`, the pointer at kPointer in the view frame.
void ctrlWheel(QWidget* over, int notches)
{
    const QPointF global = over->parentWidget()->mapToGlobal(QPointF(kPointer));
    for (int i = 0; i < std::abs(notches); ++i) {
        QWheelEvent e(over->mapFromGlobal(global), global, QPoint(),
                      QPoint(0, notches < 0 ? 120 : -120), Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(over, &e);
    }
}

QPoint bars(frmTessellon& w)
{
    return {w.HScroll->Value(), w.VScroll->Value()};
}

// Where map point `p` shows in the zoomed view.
QPoint shownAt(frmTessellon& w, QPointF p)
{
    return QPoint(5, 5) - bars(w) + (p * w.Zoom->scale()).toPoint();
}

// The colours of the shown map that are not white along one row low in the view, clear of
// the cursor and the outline.
QList<QRgb> markedPixels(frmTessellon& w)
{
    const QImage shot = w.Zoom->box()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int end = std::min(shownAt(w, {kSide, 0}).x(), shot.width());
    QList<QRgb> marked;
    for (int x = std::max(0, shownAt(w, {}).x()); x < end; ++x)
        if (const QRgb p = shot.pixel(x, shot.height() - 20) & 0xFFFFFF; p != 0xFFFFFF) marked << p;
    return marked;
}

} // namespace

class TestZoom : public QObject
{
    Q_OBJECT
private slots:
    void zoom_data();
    void zoom();
};

void TestZoom::zoom_data()
{
    QTest::addColumn<int>("out"); // Ctrl + wheel notches toward the user
    QTest::addColumn<QString>("then");
    QTest::addColumn<int>("step"); // the view's step afterwards, 0 at 1:1
    QTest::newRow("at 1:1 toward in does nothing") << -1 << "" << 0;
    QTest::newRow("1/2") << 1 << "" << 1;
    QTest::newRow("1/8") << 3 << "" << 3;
    QTest::newRow("whole map, then no further") << 6 << "whole" << 4;
    QTest::newRow("1/2: the line black, no grid") << 1 << "line" << 1;
    QTest::newRow("1/8: the line black") << 3 << "line" << 3;
    QTest::newRow("whole map: the line black") << 4 << "line" << 4;
    QTest::newRow("back in keeps the point") << 1 << "in" << 0;
    QTest::newRow("a click jumps there") << 4 << "click" << 0;
    QTest::newRow("a key returns first") << 2 << "key" << 0;
    QTest::newRow("a button returns first") << 2 << "button" << 0;
    QTest::newRow("a stamp at 1:1 shows zoomed out") << 1 << "stamp" << 1;
    QTest::newRow("no memory: nothing") << 1 << "memory" << 0;
}

void TestZoom::zoom()
{
    QFETCH(int, out);
    QFETCH(QString, then);
    QFETCH(int, step);
    WindowFixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    QVERIFY(w.setCanvasSize(kSide, kSide));
    w.UpdateScrollRanges();
    w.DrawGrid();
    w.Canvas.fillRect(QRect(kLine, 0, 1, kSide), kBlack);
    w.Zoom->damage(QRect(kLine, 0, 1, kSide));
    w.HScroll->setValueFromCode(3000);
    w.VScroll->setValueFromCode(3000);
    w.shpCursor->move(3000, 3000); // in view
    const QPoint before = bars(w);
    const QPointF under = QPointF(kPointer - w.picCanvas->pos());
    if (then == "memory") setAvailableMemoryForTesting(1 << 20);
    ctrlWheel(w.picCanvas, out);
    setAvailableMemoryForTesting(-1);
    if (then == "whole") {
        const QRect shown(shownAt(w, {}), shownAt(w, {kSide, kSide}));
        QVERIFY(w.picScrollContainer->rect().contains(shown));
    } else if (then == "line") {
        QCOMPARE(markedPixels(w), QList<QRgb>{0});
    } else if (then == "in") {
        ctrlWheel(w.Zoom->box(), -out);
        QVERIFY((QPointF(kPointer - w.picCanvas->pos()) - under).manhattanLength() <= 2);
    } else if (then == "click") {
        QTest::mouseClick(w.Zoom->box(), Qt::LeftButton, {}, shownAt(w, {3105, 1515}));
        QCOMPARE(w.cursorPos(), QPoint(3090, 1500));
        QVERIFY(w.picScrollContainer->rect().contains(w.picCanvas->pos() + w.cursorPos()));
    } else if (then == "key") {
        f.type({Qt::Key_D});
        QCOMPARE(bars(w), before);
        QCOMPARE(w.cursorPos(), QPoint(3030, 3000));
    } else if (then == "button") {
        QTest::mouseClick(w.chkGrid, Qt::LeftButton);
        QVERIFY(!w.gridOn());
    } else if (then == "stamp") {
        const int row = int((w.Zoom->box()->height() - 20 - shownAt(w, {}).y()) / w.Zoom->scale());
        w.Zoom->leave();
        w.shpCursor->move(3300, row - 12); // the tile's lines cross that row
        w.StampOverlay(99);
        ctrlWheel(w.picCanvas, out);
        QVERIFY(markedPixels(w).count(0) > 1); // black beside the line: the tile
    }
    QCOMPARE(w.Zoom->step(), step);
    QCOMPARE(w.Zoom->box()->isVisible(), step != 0);
}

QTEST_MAIN(TestZoom)
#include "tst_zoom.moc"

// The view on large canvases: how it follows the cursor keys, and the wheel over the
// canvas, its frame and handles, driven with real events on the shown window.
#include "cursorshape.h"
#include "frmtessellon.h"
#include "picturebox.h"
#include "scrollbar.h"
#include "vbbuttons.h"
#include "windowfixture.h"

#include <QWheelEvent>

#include <algorithm>

using namespace tessellon;

class TestView : public QObject
{
    Q_OBJECT
private slots:
    void followKeepsTheCursorInView_data();
    void followKeepsTheCursorInView();
    void wheelScrollsTheView_data();
    void wheelScrollsTheView();
};

void TestView::followKeepsTheCursorInView_data()
{
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("stepFits"); // a fifth of the canvas fits in the view
    QTest::newRow("5999 high, step 30") << true << 30 << false;
    QTest::newRow("5999 high, step 10") << true << 10 << false;
    QTest::newRow("5999 wide, step 30") << false << 30 << false;
    QTest::newRow("high, the step fits") << true << 30 << true;
    QTest::newRow("wide, the step fits") << false << 30 << true;
}

// Down (right) from the top (left) end to the far one and back, each press checked.
void TestView::followKeepsTheCursorInView()
{
    QFETCH(bool, vertical);
    QFETCH(int, step);
    QFETCH(bool, stepFits);
    WindowFixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    const QSize frame = w.picScrollContainer->size();
    const int view = vertical ? frame.height() : frame.width();
    const int along = stepFits ? 5 * (view - 60) : 5999;
    w.setCanvasSize(vertical ? 300 : along, vertical ? along : 300);
    w.UpdateScrollRanges();
    if (step == 10) f.type({Qt::Key_9});
    ScrollBar* bar = vertical ? w.VScroll : w.HScroll;
    const int large = bar->LargeChange();
    const auto offset = [&] {
        return vertical ? w.picCanvas->y() + w.shpCursor->y() : w.picCanvas->x() + w.shpCursor->x();
    };
    const int presses = along / step - 2; // short of growing, which would change the steps
    int moves = 0;
    for (bool forward : {true, false}) {
        const int key =
            vertical ? (forward ? Qt::Key_S : Qt::Key_W) : (forward ? Qt::Key_D : Qt::Key_A);
        for (int i = 0; i < presses; ++i) {
            const int before = bar->Value();
            f.type({key});
            // the cursor shows, clear of the band next to the edge where the view follows
            QVERIFY2(offset() >= 0 && offset() < view - 20,
                     qPrintable(QStringLiteral("press %1: cursor at %2").arg(i).arg(offset())));
            if (bar->Value() == before) continue;
            ++moves;
            if (stepFits)
                QCOMPARE(bar->Value(), forward ? std::min(before + large, bar->Max())
                                               : std::max(before - large, 1));
        }
    }
    QVERIFY(moves >= 4);
}

void TestView::wheelScrollsTheView_data()
{
    QTest::addColumn<QString>("over");
    QTest::addColumn<QPoint>("angle");
    QTest::addColumn<QPoint>("pixels");
    QTest::addColumn<Qt::KeyboardModifiers>("mods");
    QTest::addColumn<QPoint>("from"); // bar values before: horizontal, vertical
    QTest::addColumn<QPoint>("to");
    const Qt::KeyboardModifiers none, shift(Qt::ShiftModifier);
    const QPoint mid(1000, 1000);
    QTest::newRow("notch down, canvas")
        << "picCanvas" << QPoint(0, -120) << QPoint() << none << mid << QPoint(1000, 1090);
    QTest::newRow("two notches up, frame")
        << "picScrollContainer" << QPoint(0, 240) << QPoint() << none << mid << QPoint(1000, 820);
    QTest::newRow("Shift, handle")
        << "picResizer(8)" << QPoint(0, -120) << QPoint() << shift << mid << QPoint(1090, 1000);
    QTest::newRow("sideways wheel")
        << "picCanvas" << QPoint(120, 0) << QPoint() << none << mid << QPoint(910, 1000);
    QTest::newRow("touchpad pixels")
        << "picCanvas" << QPoint(-16, -32) << QPoint(-7, -13) << none << mid << QPoint(1007, 1013);
    QTest::newRow("stops at the top")
        << "picCanvas" << QPoint(0, 120) << QPoint() << none << QPoint(500, 40) << QPoint(500, 1);
    QTest::newRow("stops at the end") << "picCanvas" << QPoint(0, -240) << QPoint() << none
                                      << QPoint(500, 2950) << QPoint(500, 3000);
}

// Real wheel events on the widgets; the bars' Change moves the canvas and the handles and
// hands the focus back.
void TestView::wheelScrollsTheView()
{
    QFETCH(QString, over);
    QFETCH(QPoint, angle);
    QFETCH(QPoint, pixels);
    QFETCH(Qt::KeyboardModifiers, mods);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    WindowFixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    w.setCanvasSize(3000, 3000);
    w.UpdateScrollRanges();
    w.HScroll->setValueFromCode(from.x());
    w.VScroll->setValueFromCode(from.y());
    w.chkGrid->setFocus(); // anywhere but the focus holder
    auto* target = w.findChild<QWidget*>(over);
    QVERIFY(target);
    const QPointF at(2, 2);
    QWheelEvent e(at, target->mapToGlobal(at), pixels, angle, Qt::NoButton, mods, Qt::NoScrollPhase,
                  false);
    QApplication::sendEvent(target, &e);
    QCOMPARE(QPoint(w.HScroll->Value(), w.VScroll->Value()), to);
    QCOMPARE(w.picCanvas->pos(), QPoint(5, 5) - to);
    QCOMPARE(w.picResizer[1]->pos(), w.picCanvas->pos() - QPoint(5, 5));
    QCOMPARE(QApplication::focusWidget(), w.cmdFob);
}

QTEST_MAIN(TestView)
#include "tst_view.moc"

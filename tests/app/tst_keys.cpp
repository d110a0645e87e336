// The drawing keys, cursor placement by mouse and the view that follows the cursor, driven
// with real key and mouse events on the shown window.
#define QTEST_QPA_MOUSE_HANDLING // mouse events enter at the window, with the implicit grab

#include "cursorshape.h"
#include "frmtessellon.h"
#include "grid.h"
#include "palettelayout.h"
#include "picturebox.h"
#include "scrollbar.h"
#include "stampcheck.h"
#include "tilecatalogue.h"
#include "tilevariants.h"
#include "undoring.h"
#include "vbbuttons.h"
#include "windowfixture.h"

#include <QApplication>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>

using namespace tessellon;

namespace {

using Fixture = WindowFixture;

// A hot-spot of the shown page whose tile has visible lines.
qint16 someHotSpot()
{
    for (const HotSpotSpec& h : hotSpots())
        if (h.hotSpot > 0 && hotSpotFrame(h.hotSpot) == kPageStandard) return h.hotSpot;
    return 0;
}

// The thumb of a scroll bar, in the bar's coordinates.
QRect thumbOf(const ScrollBar* bar)
{
    QStyleOptionSlider opt;
    opt.initFrom(bar);
    opt.subControls = QStyle::SC_All;
    opt.orientation = bar->orientation();
    if (bar->orientation() == Qt::Horizontal) opt.state |= QStyle::State_Horizontal;
    opt.minimum = bar->minimum();
    opt.maximum = bar->maximum();
    opt.sliderPosition = bar->sliderPosition();
    opt.sliderValue = bar->value();
    opt.singleStep = bar->singleStep();
    opt.pageStep = bar->pageStep();
    opt.upsideDown = bar->invertedAppearance();
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider,
                                        bar);
}

} // namespace

class TestKeys : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void movementKeys_data();
    void movementKeys();
    void growsAtTheEdges_data();
    void growsAtTheEdges();
    void growsAtBothEdgesAtOnce();
    void followsDown_data();
    void followsDown();
    void scrollMinimumPutsTheCanvasAtFour();
    void thumbDragKeepsFocusUntilCommitted();
    void viewHome_data();
    void viewHome();
    void sharedKeyGoesToTheFirstAction_data();
    void sharedKeyGoesToTheFirstAction();
    void repeatStampsByOption_data();
    void repeatStampsByOption();
    void repeatBeforeAnyStampDoesNothing();
    void focusedHotSpotLaysALine();
    void focusedHotSpotGoesNegative();
    void canvasClickSnaps_data();
    void canvasClickSnaps();
    void minimiseAndRestoreKeepTheCanvas();
    void canvasStopsAt16Bits_data();
    void canvasStopsAt16Bits();
};

// Without the art every stamp is of a null image and the stamp checks would pass on nothing.
void TestKeys::initTestCase()
{
    requireAllTiles();
}

void TestKeys::movementKeys_data()
{
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QRect>("cursor");
    QTest::addColumn<int>("step");
    using K = QList<int>;
    QTest::newRow("D S") << K{Qt::Key_D, Qt::Key_S} << QRect(30, 30, 32, 32) << 30;
    QTest::newRow("D D A") << K{Qt::Key_D, Qt::Key_D, Qt::Key_A} << QRect(30, 0, 32, 32) << 30;
    QTest::newRow("S S W") << K{Qt::Key_S, Qt::Key_S, Qt::Key_W} << QRect(0, 30, 32, 32) << 30;
    QTest::newRow("9 D S") << K{Qt::Key_9, Qt::Key_D, Qt::Key_S} << QRect(10, 10, 10, 10) << 10;
    QTest::newRow("9 D S 0 keeps the place")
        << K{Qt::Key_9, Qt::Key_D, Qt::Key_S, Qt::Key_0} << QRect(10, 10, 30, 30) << 30;
    QTest::newRow("offset kept in 3 x 3")
        << K{Qt::Key_9, Qt::Key_D, Qt::Key_0, Qt::Key_D, Qt::Key_D} << QRect(70, 0, 30, 30) << 30;
    QTest::newRow("Up at Top 20 refused")
        << K{Qt::Key_9, Qt::Key_S, Qt::Key_S, Qt::Key_0, Qt::Key_W} << QRect(0, 20, 30, 30) << 30;
    QTest::newRow("Left at 0 refused") << K{Qt::Key_A} << QRect(0, 0, 32, 32) << 30;
    QTest::newRow("Shift ignored") << K{Qt::Key_D, Qt::Key_D} << QRect(60, 0, 32, 32) << 30;
}

void TestKeys::movementKeys()
{
    QFETCH(QList<int>, keys);
    QFETCH(QRect, cursor);
    QFETCH(int, step);
    Fixture f;
    QVERIFY(f.show());
    const bool shift = QByteArray(QTest::currentDataTag()).startsWith("Shift");
    for (int k : keys) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(k),
                        shift ? Qt::ShiftModifier : Qt::NoModifier);
        QCOMPARE(QApplication::focusWidget(), f.window.cmdFob);
    }
    QCOMPARE(f.window.shpCursor->geometry(), cursor);
    QCOMPARE(f.window.CursorStep, qint16(step));
    QCOMPARE(f.window.optScaleMove[0]->isChecked(), step == 10);
}

void TestKeys::growsAtTheEdges_data()
{
    QTest::addColumn<bool>("right");
    QTest::newRow("right edge") << true;
    QTest::newRow("bottom edge") << false;
}

void TestKeys::growsAtTheEdges()
{
    QFETCH(bool, right);
    Fixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    const QSize old = w.Canvas.size();
    // the last cell whose next step still lies inside the canvas
    const int along = right ? old.width() : old.height();
    const int start = 30 * ((along - 61) / 30);
    w.shpCursor->move(right ? QPoint(start, 0) : QPoint(0, start));
    f.type({right ? Qt::Key_D : Qt::Key_S});
    QCOMPARE(w.Canvas.size(), old); // one step from the edge is not yet within one step
    f.type({right ? Qt::Key_D : Qt::Key_S});
    const int grown = start + 60 + 31;
    QCOMPARE(w.Canvas.size(), right ? QSize(grown, old.height()) : QSize(old.width(), grown));
    QCOMPARE(w.picCanvas->size(), w.Canvas.size());
    ScrollBar* bar = right ? w.HScroll : w.VScroll;
    QCOMPARE(bar->Max(), grown);
    QCOMPARE(bar->LargeChange(), int(std::nearbyint(grown / 5.0)));
    QCOMPARE(bar->SmallChange(), int(std::nearbyint(grown / 15.0)));
    const QPoint corner = w.picCanvas->pos() + QPoint(w.Canvas.width(), w.Canvas.height());
    QCOMPARE(w.picResizer[8]->pos(), corner);
    // the grid covers the new strip
    int dots = 0;
    for (int y = 0; y < w.Canvas.height(); ++y)
        for (int x = 0; x < w.Canvas.width(); ++x) {
            if ((right ? x : y) < along || !isGridPosition(x, y)) continue;
            QVERIFY2(rgbAt(w.Canvas, x, y) == kGridRgb,
                     qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            ++dots;
        }
    QVERIFY(dots > 0);
}

void TestKeys::growsAtBothEdgesAtOnce()
{
    Fixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    const QSize old = w.Canvas.size();
    w.Canvas.fillRect(QRect(100, 100, 50, 20), 0x00FF0000);
    const QImage before = w.Canvas.image().copy();
    const QPoint corner(30 * ((old.width() - 1) / 30), 30 * ((old.height() - 1) / 30));
    w.shpCursor->move(corner);
    f.type({Qt::Key_F2});
    QCOMPARE(w.Canvas.size(), QSize(corner.x() + 31, corner.y() + 31));
    QCOMPARE(w.HScroll->Max(), corner.x() + 31);
    QCOMPARE(w.VScroll->Max(), corner.y() + 31);
    QCOMPARE(w.Canvas.image().copy(QRect(QPoint(), old)), before);
    for (int y = 0; y < w.Canvas.height(); ++y)
        for (int x = 0; x < w.Canvas.width(); ++x) {
            if ((x < old.width() && y < old.height())) continue;
            const QRgb want = isGridPosition(x, y) ? kGridRgb : 0xFFFFFF;
            QVERIFY2(rgbAt(w.Canvas, x, y) == want,
                     qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        }
}

void TestKeys::followsDown_data()
{
    QTest::addColumn<int>("aboveEdge");
    QTest::addColumn<bool>("scrolls");
    QTest::newRow("19 px above the lower edge") << 19 << true;
    QTest::newRow("20 px above") << 20 << true;
    QTest::newRow("21 px above") << 21 << false;
}

void TestKeys::followsDown()
{
    QFETCH(int, aboveEdge);
    QFETCH(bool, scrolls);
    Fixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    const int frameH = w.picScrollContainer->height();
    w.shpCursor->move(0, frameH - aboveEdge - w.picCanvas->y());
    QCOMPARE(w.VScroll->Value(), 1);
    f.type({Qt::Key_F2}); // bound to nothing: only the view follows
    // one large step of the 369-pixel range the bar took at start: 369 / 5 = 73.8
    const int expected = scrolls ? 1 + 74 : 1;
    QCOMPARE(w.VScroll->Value(), expected);
    QCOMPARE(w.picCanvas->y(), scrolls ? 5 - expected : 5);
    QCOMPARE(w.HScroll->Value(), 1);
    QCOMPARE(QApplication::focusWidget(), w.cmdFob);
}

void TestKeys::scrollMinimumPutsTheCanvasAtFour()
{
    Fixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    ScrollBar* bar = w.HScroll;
    const QPoint addArrow(bar->width() - 4, bar->height() / 2);
    const QPoint subArrow(3, bar->height() / 2);
    w.picTile(someHotSpot())->setFocus();
    QTest::mouseClick(bar, Qt::LeftButton, {}, addArrow);
    QCOMPARE(bar->Value(), 1 + 48); // the small step of 727 pixels: 48.47
    QCOMPARE(w.picCanvas->x(), 5 - bar->Value());
    QCOMPARE(QApplication::focusWidget(), w.cmdFob);
    QTest::mouseClick(bar, Qt::LeftButton, {}, subArrow);
    QCOMPARE(bar->Value(), 1);
    QCOMPARE(w.picCanvas->x(), 4);
    QCOMPARE(w.picResizer[1]->pos(), QPoint(4 - 5, w.picCanvas->y() - 5));
}

void TestKeys::thumbDragKeepsFocusUntilCommitted()
{
    Fixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    for (ScrollBar* bar : {w.HScroll, w.VScroll}) {
        const bool horizontal = bar == w.HScroll;
        PictureBox* spot = w.picTile(someHotSpot());
        spot->setFocus();
        const QPoint grip = thumbOf(bar).center();
        const QPoint delta = horizontal ? QPoint(60, 0) : QPoint(0, 40);
        QTest::mousePress(bar, Qt::LeftButton, {}, grip);
        QTest::mouseMove(bar, grip + delta / 2);
        QTest::mouseMove(bar, grip + delta);
        QVERIFY(bar->Value() > 1);
        const int canvasAt = horizontal ? w.picCanvas->x() : w.picCanvas->y();
        QCOMPARE(canvasAt, 5 - bar->Value());
        QCOMPARE(QApplication::focusWidget(), spot); // Scroll leaves the focus alone
        QTest::mouseRelease(bar, Qt::LeftButton, {}, grip + delta);
        QCOMPARE(QApplication::focusWidget(), w.cmdFob); // the committed Change returns it
        QCOMPARE(horizontal ? w.picCanvas->x() : w.picCanvas->y(), 5 - bar->Value());
    }
}

void TestKeys::viewHome_data()
{
    QTest::addColumn<Qt::KeyboardModifiers>("mods");
    QTest::addColumn<bool>("home");
    QTest::newRow("Shift+Home") << Qt::KeyboardModifiers(Qt::ShiftModifier) << true;
    QTest::newRow("Home") << Qt::KeyboardModifiers() << false;
    QTest::newRow("Ctrl+Shift+Home")
        << Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::ControlModifier) << false;
}

void TestKeys::viewHome()
{
    QFETCH(Qt::KeyboardModifiers, mods);
    QFETCH(bool, home);
    Fixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    w.VScroll->setValueFromCode(100);
    w.HScroll->setValueFromCode(120);
    w.shpCursor->move(300, 210);
    f.type({Qt::Key_Home}, mods);
    QCOMPARE(w.shpCursor->pos(), home ? QPoint(0, 0) : QPoint(300, 210));
    QCOMPARE(w.VScroll->Value(), home ? 1 : 100);
    QCOMPARE(w.HScroll->Value(), home ? 1 : 120);
    QCOMPARE(w.picCanvas->pos(), home ? QPoint(4, 4) : QPoint(5 - 120, 5 - 100));
    QCOMPARE(QApplication::focusWidget(), w.cmdFob);
}

void TestKeys::sharedKeyGoesToTheFirstAction_data()
{
    QTest::addColumn<int>("first");  // KeyCodes entry tested earlier
    QTest::addColumn<int>("second"); // entry given the same key
    QTest::addColumn<QPoint>("cursor");
    QTest::addColumn<qint16>("undoPosition");
    // from (60, 60), after one recorded stamp there
    QTest::newRow("Up before Repeat") << 1 << 7 << QPoint(60, 30) << qint16(1);
    QTest::newRow("Right before Left") << 3 << 2 << QPoint(90, 60) << qint16(1);
    QTest::newRow("Down before Undo") << 4 << 5 << QPoint(60, 90) << qint16(1);
    QTest::newRow("Repeat before Erase") << 7 << 8 << QPoint(60, 60) << qint16(1);
}

void TestKeys::sharedKeyGoesToTheFirstAction()
{
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(QPoint, cursor);
    QFETCH(qint16, undoPosition);
    Fixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    w.shpCursor->move(60, 60);
    const qint16 h = someHotSpot();
    QTest::mouseMove(w.picTile(h));
    QTest::mouseClick(w.picTile(h), Qt::LeftButton);
    const QImage afterStamp = w.Canvas.image().copy(QRect(60, 30, 31, 91));
    w.KeyCodes[second] = w.KeyCodes[first];
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(w.KeyCodes[first]));
    QCOMPARE(w.shpCursor->pos(), cursor);
    QCOMPARE(w.Ring->position(), undoPosition);
    QCOMPARE(w.Canvas.image().copy(QRect(60, 30, 31, 91)), afterStamp);
}

void TestKeys::repeatStampsByOption_data()
{
    QTest::addColumn<bool>("leftOverlays");
    QTest::newRow("Left overlays") << true;
    QTest::newRow("Right replaces") << false;
}

void TestKeys::repeatStampsByOption()
{
    QFETCH(bool, leftOverlays);
    Fixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    w.chkGrid->setValue(0);
    if (!leftOverlays) QTest::mouseClick(w.optDefaultOverlay[0], Qt::LeftButton);
    const qint16 h = someHotSpot();
    const qint16 tile = TileForHotSpot(h);
    w.shpCursor->move(30, 30);
    const QImage beforeFirst = w.Canvas.image().copy(QRect({30, 30}, tileSize(tile)));
    QTest::mouseMove(w.picTile(h));
    QTest::mouseClick(w.picTile(h), Qt::RightButton); // the other mode, to tell them apart
    f.type({Qt::Key_D, Qt::Key_D});
    const QRect under(QPoint(90, 30), tileSize(tile));
    paintPattern(w.Canvas, under);
    const QImage before = w.Canvas.image().copy(under);
    f.type({Qt::Key_R});
    QCOMPARE(w.Ring->position(), qint16(1)); // Repeat records nothing
    QCOMPARE(w.shpCursor->pos(), QPoint(90, 30));
    QVERIFY(matchesStamp(before, w.Canvas, TileCatalogue::instance().image(tile), {90, 30},
                         leftOverlays ? Mode::Overlay : Mode::Replace));
    // Undo takes back the recorded stamp, not the repeated one, and goes there
    f.type({Qt::Key_Z});
    QCOMPARE(w.shpCursor->pos(), QPoint(30, 30));
    QCOMPARE(w.Canvas.image().copy(QRect({30, 30}, tileSize(tile))), beforeFirst);
    QVERIFY(w.Canvas.image().copy(under) != before);
}

void TestKeys::repeatBeforeAnyStampDoesNothing()
{
    Fixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    w.shpCursor->move(60, 60);
    for (bool left : {true, false}) {
        w.optDefaultOverlay[left ? 1 : 0]->select();
        const QImage before = w.Canvas.image().copy();
        f.type({Qt::Key_R});
        QCOMPARE(w.Canvas.image(), before);
        QCOMPARE(w.Ring->position(), qint16(0));
        QCOMPARE(w.CurrentTile, qint16(0));
    }
}

void TestKeys::focusedHotSpotLaysALine()
{
    Fixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    w.chkGrid->setValue(0);
    w.optDefaultOverlay[0]->select(); // the keys of a hot-spot overlay whatever the option
    const qint16 h = someHotSpot();
    const qint16 tile = TileForHotSpot(h);
    // three steps would pass the right edge: the canvas must not follow these keys
    const QSize size = w.Canvas.size();
    const int x0 = 30 * ((size.width() - 61) / 30);
    w.shpCursor->move(x0, 60);
    const QRect line(x0, 60, size.width() - x0, 31);
    paintPattern(w.Canvas, line);
    QImage expected = w.Canvas.image().copy(line);
    w.picTile(h)->setFocus();
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(w.picTile(h), Qt::Key_D);
    QCOMPARE(QApplication::focusWidget(), w.picTile(h));
    QCOMPARE(w.shpCursor->pos(), QPoint(x0 + 90, 60));
    QCOMPARE(w.Canvas.size(), size);
    QCOMPARE(w.HScroll->Value(), 1);
    QCOMPARE(w.Ring->position(), qint16(3));
    for (int i = 1; i <= 3; ++i) {
        QCOMPARE(w.Ring->record(i).Left, qint16(x0 + 30 * (i - 1)));
        QCOMPARE(w.Ring->record(i).State, kUndoActive);
    }
    QCOMPARE(w.CurrentTile, tile);
    const QImage& img = TileCatalogue::instance().image(tile);
    for (int i = 0; i < 3; ++i)
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width() && 30 * i + x < expected.width(); ++x)
                expected.setPixel(30 * i + x, y, expected.pixel(30 * i + x, y) & img.pixel(x, y));
    QCOMPARE(w.Canvas.image().copy(line), expected);
}

void TestKeys::focusedHotSpotGoesNegative()
{
    Fixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    const qint16 h = someHotSpot();
    w.shpCursor->move(60, 0);
    w.picTile(h)->setFocus();
    QTest::keyClick(w.picTile(h), Qt::Key_W);
    QCOMPARE(w.shpCursor->pos(), QPoint(60, -30));
    QCOMPARE(w.Ring->record(1).Top, qint16(0));
    QTest::keyClick(w.picTile(h), Qt::Key_A);
    QTest::keyClick(w.picTile(h), Qt::Key_A);
    QTest::keyClick(w.picTile(h), Qt::Key_A);
    QCOMPARE(w.shpCursor->pos(), QPoint(-30, -30));
    QCOMPARE(w.Ring->position(), qint16(4));
    QTest::keyClick(w.picTile(h), Qt::Key_F2); // no movement key: nothing at all
    QCOMPARE(w.Ring->position(), qint16(4));
}

void TestKeys::canvasClickSnaps_data()
{
    QTest::addColumn<bool>("fine");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QPoint>("cursor");
    QTest::newRow("step 30, left") << false << Qt::LeftButton << QPoint(30, 90);
    QTest::newRow("step 30, right") << false << Qt::RightButton << QPoint(30, 90);
    QTest::newRow("step 10, left") << true << Qt::LeftButton << QPoint(40, 90);
    QTest::newRow("step 10, right") << true << Qt::RightButton << QPoint(40, 90);
}

void TestKeys::canvasClickSnaps()
{
    QFETCH(bool, fine);
    QFETCH(Qt::MouseButton, button);
    QFETCH(QPoint, cursor);
    Fixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    if (fine) QTest::mouseClick(w.optScaleMove[0], Qt::LeftButton);
    w.picTile(someHotSpot())->setFocus();
    const QImage before = w.Canvas.image().copy();
    QTest::mouseClick(w.picCanvas, button, {}, {47, 95});
    QCOMPARE(w.shpCursor->pos(), cursor);
    QCOMPARE(QApplication::focusWidget(), w.cmdFob);
    QCOMPARE(w.Canvas.image(), before); // the mouse never stamps on the canvas
}

void TestKeys::minimiseAndRestoreKeepTheCanvas()
{
    Fixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    w.VScroll->setValueFromCode(40);
    w.setCanvasSize(1200, 700);
    w.UpdateScrollRanges();
    const QRect canvas = w.picCanvas->geometry();
    const QSize bitmap = w.Canvas.size();
    w.showMinimized();
    QTRY_VERIFY(w.isMinimized());
    QCOMPARE(w.picCanvas->geometry(), canvas);
    w.showNormal();
    QTRY_VERIFY(!w.isMinimized());
    QCOMPARE(w.picCanvas->geometry(), canvas);
    QCOMPARE(w.Canvas.size(), bitmap);
    QCOMPARE(w.picScrollContainer->size(), QSize(w.width() - 25, w.height() - 190));
}

void TestKeys::canvasStopsAt16Bits_data()
{
    QTest::addColumn<bool>("right");
    QTest::addColumn<bool>("fine");
    QTest::newRow("right, step 30") << true << false;
    QTest::newRow("right, step 10") << true << true;
    QTest::newRow("down, step 30") << false << false;
    QTest::newRow("down, step 10") << false << true;
}

void TestKeys::canvasStopsAt16Bits()
{
    QFETCH(bool, right);
    QFETCH(bool, fine);
    Fixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    constexpr int kStart = 32640;
    w.setCanvasSize(right ? kStart : 300, right ? 300 : kStart);
    w.UpdateScrollRanges();
    w.shpCursor->move(right ? QPoint(kStart - 120, 0) : QPoint(0, kStart - 120));
    if (fine) f.type({Qt::Key_9});
    for (int i = 0; i < 30; ++i) {
        f.type({right ? Qt::Key_D : Qt::Key_S});
        const int pos = right ? w.shpCursor->x() : w.shpCursor->y();
        const int side = right ? w.Canvas.width() : w.Canvas.height();
        QVERIFY(pos >= 0 && pos <= 32767);
        QVERIFY(side <= 32767);
        ScrollBar* bar = right ? w.HScroll : w.VScroll;
        QVERIFY(bar->Value() >= 1 && bar->Value() <= bar->Max());
    }
    QCOMPARE(right ? w.Canvas.width() : w.Canvas.height(), 32767);
    QCOMPARE((right ? w.HScroll : w.VScroll)->Max(), 32767);
    // the cursor stopped where one more step would leave the 16-bit range
    const int pos = right ? w.shpCursor->x() : w.shpCursor->y();
    QVERIFY(pos + w.CursorStep > 32767);
    // a stamp there is cut at the edge, without a crash
    const qint16 h = someHotSpot();
    QTest::mouseMove(w.picTile(h));
    QTest::mouseClick(w.picTile(h), Qt::LeftButton);
    QCOMPARE(w.Ring->position(), qint16(1));
}

QTEST_MAIN(TestKeys)
#include "tst_keys.moc"

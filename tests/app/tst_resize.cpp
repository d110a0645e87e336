#include "availablememory.h"
#include "cursorshape.h"
#include "grid.h"
#include "picturebox.h"
#include "scrollbar.h"
#include "stampcheck.h"
#include "vbbuttons.h"
#include "windowfixture.h"

using namespace tessellon;

class TestResize : public QObject
{
    Q_OBJECT
private slots:
    void typedSizes_data();
    void typedSizes();
    void typedResizeBoxesAndView();
    void dragHandles_data();
    void dragHandles();
    void dragStopsAtOnePixel();
    void gridOnlyOnRelease();
    void shrinkBelowTheScrollValue();
    void shrinkAfterGrowth();
    void memoryShortLeavesTheCanvas_data();
    void memoryShortLeavesTheCanvas();
    void loadedMapGrowsInPlace();
    void cleanup() { setAvailableMemoryForTesting(-1); }
};

void TestResize::shrinkBelowTheScrollValue()
{
    // the bar's value is clamped into the smaller range, and the canvas follows it
    WindowFixture f;
    QVERIFY(f.show());
    f.window.setCanvasSize(1200, 300);
    f.window.UpdateScrollRanges();
    f.window.HScroll->setValueFromCode(1000);
    QCOMPARE(f.window.picCanvas->x(), 5 - 1000);
    f.window.ResizingCanvas = true;
    f.window.picResizer_MouseMove(5, -800, 0);
    QCOMPARE(f.window.Canvas.width(), 400);
    QCOMPARE(f.window.HScroll->Value(), 400);
    QCOMPARE(f.window.picCanvas->x(), 5 - 400);
}

// Growth by keys, a drag that shrinks and a typed size that grows again: what the shrink
// cut off stays white, the rest keeps its pixels, and the grid covers the gained area.
void TestResize::shrinkAfterGrowth()
{
    WindowFixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    w.setCanvasSize(1500, 1400);
    w.DrawGrid();
    paintPattern(w.Canvas, QRect(1300, 1200, 200, 200));
    w.shpCursor->move(1440, 1320);
    f.type({Qt::Key_D, Qt::Key_S, Qt::Key_D, Qt::Key_S});
    QCOMPARE(w.Canvas.size(), QSize(1531, 1411));
    const QRect kept(0, 0, 1400, 1300);
    const QImage before = w.Canvas.image().copy(kept);
    w.picResizer_MouseDown(8, 1);
    w.picResizer_MouseMove(8, -131, -111);
    w.picResizer_MouseUp();
    QCOMPARE(w.Canvas.size(), kept.size());
    f.dialogs->inputs = {QStringLiteral("1600"), QStringLiteral("1500")};
    w.picResizer_MouseDown(8, 2);
    Surface expected(1600, 1500);
    expected.paintPicture(before, 0, 0);
    DrawGrid(expected);
    QCOMPARE(w.Canvas.image(), expected.image());
}

void TestResize::typedSizes_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("width");
    QTest::newRow("800") << "800" << 800;
    QTest::newRow("5999 accepted") << "5999" << 5999;
    QTest::newRow("1 accepted") << "1" << 1;
    QTest::newRow("0 refused") << "0" << 300;
    QTest::newRow("6000 refused") << "6000" << 300;
    QTest::newRow("7000 refused") << "7000" << 300;
    QTest::newRow("-5 refused") << "-5" << 300;
    QTest::newRow("not a number") << "wide" << 300;
    QTest::newRow("cancel") << "" << 300;
    QTest::newRow("beyond 16 bits") << "70000" << 300;
    QTest::newRow("12.5 to even") << "12.5" << 12;
    QTest::newRow("13.5 to even") << "13.5" << 14;
    QTest::newRow("blanks around") << " 640 " << 640;
}

void TestResize::typedSizes()
{
    QFETCH(QString, reply);
    QFETCH(int, width);
    WindowFixture f;
    QVERIFY(f.show());
    f.window.setCanvasSize(300, 200);
    f.dialogs->inputs = {reply, reply};
    f.window.picResizer_MouseDown(3, 2);
    QCOMPARE(f.window.Canvas.width(), width);
    QCOMPARE(f.window.Canvas.height(), width == 300 ? 200 : width);
    QCOMPARE(f.dialogs->unanswered, 0);
    QCOMPARE(f.dialogs->asked.size(), size_t(2)); // never a message
    QVERIFY(!f.window.ResizingCanvas);
}

void TestResize::typedResizeBoxesAndView()
{
    WindowFixture f;
    QVERIFY(f.show());
    f.window.setCanvasSize(1200, 900);
    f.window.UpdateScrollRanges();
    f.window.HScroll->setValueFromCode(400);
    f.window.VScroll->setValueFromCode(300);
    f.dialogs->inputs = {QString(), QStringLiteral("600")}; // width cancelled, height follows
    QTest::mouseClick(f.window.picResizer[1], Qt::RightButton);
    QCOMPARE(f.dialogs->asked.size(), size_t(2));
    QCOMPARE(f.dialogs->asked[0].title, QStringLiteral("Change Canvas Size"));
    QCOMPARE(f.dialogs->asked[0].text, QStringLiteral("Enter new width (0 to 6000):"));
    QCOMPARE(f.dialogs->asked[0].defaultText, QStringLiteral("1200"));
    QCOMPARE(f.dialogs->asked[1].text, QStringLiteral("Enter new height (0 to 6000):"));
    QCOMPARE(f.dialogs->asked[1].defaultText, QStringLiteral("900"));
    QCOMPARE(f.window.Canvas.size(), QSize(1200, 600));
    // the view is back at the top-left and the handles ring the new outline
    QCOMPARE(f.window.HScroll->Value(), 1);
    QCOMPARE(f.window.VScroll->Value(), 1);
    QCOMPARE(f.window.picCanvas->pos(), QPoint(4, 4));
    QCOMPARE(f.window.picResizer[8]->pos(), QPoint(4 + 1200, 4 + 600));
    QCOMPARE(f.window.VScroll->Max(), 600);
    // with the grid on, the typed resize draws it over the gained area
    f.dialogs->inputs = {QStringLiteral("1500"), QString()};
    f.window.picResizer_MouseDown(8, 2);
    QCOMPARE(f.window.Canvas.Point(1470, 1), kGridColour);
}

void TestResize::dragHandles_data()
{
    QTest::addColumn<int>("handle");
    QTest::addColumn<QSize>("size");
    QTest::newRow("1 marks only") << 1 << QSize(400, 300);
    QTest::newRow("2 marks only") << 2 << QSize(400, 300);
    QTest::newRow("3 marks only") << 3 << QSize(400, 300);
    QTest::newRow("4 marks only") << 4 << QSize(400, 300);
    QTest::newRow("5 width") << 5 << QSize(437, 300);
    QTest::newRow("6 marks only") << 6 << QSize(400, 300);
    QTest::newRow("7 height") << 7 << QSize(400, 322);
    QTest::newRow("8 both") << 8 << QSize(437, 322);
}

void TestResize::dragHandles()
{
    QFETCH(int, handle);
    QFETCH(QSize, size);
    WindowFixture f;
    QVERIFY(f.show());
    f.window.setCanvasSize(400, 300);
    f.window.PlaceResizeHandles();
    // the middle handles at 5 + 200 - 2.5 and 5 + 150 - 2.5: halves go to the even neighbour
    QCOMPARE(f.window.picResizer[2]->pos(), QPoint(202, -1));
    QCOMPARE(f.window.picResizer[4]->pos(), QPoint(-1, 152));
    PictureBox* h = f.window.picResizer[handle];
    QTest::mousePress(h, Qt::LeftButton, {}, QPoint(2, 2));
    QVERIFY(f.window.ResizingCanvas);
    // the pointer 37 px right and 22 px down of the handle's top-left
    QMouseEvent move(QEvent::MouseMove, QPointF(37, 22), h->mapToGlobal(QPointF(37, 22)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(h, &move);
    QCOMPARE(f.window.Canvas.size(), size);
    QCOMPARE(f.window.picCanvas->size(), size);
    // the handles and the ranges follow at once, whatever the handle
    QCOMPARE(f.window.picResizer[8]->pos(),
             f.window.picCanvas->pos() + QPoint(size.width(), size.height()));
    QCOMPARE(f.window.HScroll->Max(), size.width());
    QCOMPARE(f.window.VScroll->Max(), size.height());
    QTest::mouseRelease(h, Qt::LeftButton, {}, QPoint(37, 22));
    QVERIFY(!f.window.ResizingCanvas);
    // moves without a press change nothing
    QCoreApplication::sendEvent(h, &move);
    QCOMPARE(f.window.Canvas.size(), size);
}

void TestResize::dragStopsAtOnePixel()
{
    WindowFixture f;
    QVERIFY(f.show());
    f.window.setCanvasSize(40, 30);
    f.window.ResizingCanvas = true;
    f.window.picResizer_MouseMove(5, -39, 0);
    QCOMPARE(f.window.Canvas.width(), 1);
    f.window.picResizer_MouseMove(5, -5, 0); // would reach -4: refused
    QCOMPARE(f.window.Canvas.width(), 1);
    f.window.picResizer_MouseMove(8, 2.5, -29.5); // 3.5 -> 4, 0.5 -> 0: height refused
    QCOMPARE(f.window.Canvas.size(), QSize(4, 30));
    f.window.picResizer_MouseMove(7, 0, -29.4); // 0.6 -> 1
    QCOMPARE(f.window.Canvas.size(), QSize(4, 1));
}

void TestResize::gridOnlyOnRelease()
{
    WindowFixture f;
    QVERIFY(f.show());
    f.window.setCanvasSize(100, 100);
    f.window.DrawGrid();
    f.window.picResizer_MouseDown(8, 1);
    f.window.picResizer_MouseMove(8, 100, 100);
    QCOMPARE(f.window.Canvas.size(), QSize(200, 200));
    QCOMPARE(f.window.Canvas.Point(150, 1), kWhite);     // gained area: no grid yet
    QCOMPARE(f.window.Canvas.Point(30, 1), kGridColour); // kept area keeps its dots
    f.window.picResizer_MouseUp();
    QCOMPARE(f.window.Canvas.Point(150, 1), kGridColour);
    QCOMPARE(f.window.Canvas.Point(1, 180), kGridColour);
    // with the grid off the release draws nothing
    f.window.chkGrid->setValue(0);
    f.window.picResizer_MouseDown(5, 1);
    f.window.picResizer_MouseMove(5, 60, 0);
    f.window.picResizer_MouseUp();
    QCOMPARE(f.window.Canvas.Point(240, 1), kWhite);
}

void TestResize::memoryShortLeavesTheCanvas_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("message"); // the box shown, "" for none
    QTest::newRow("growth by a key") << "key"
                                     << "";
    QTest::newRow("typed resize") << "typed"
                                  << "";
    QTest::newRow("handle drag") << "drag"
                                 << "";
    QTest::newRow("load") << "load"
                          << "Unable to load file, please ensure name is correct and the file "
                             "is a valid bitmap.";
    QTest::newRow("drop") << "drop"
                          << "File format not supported, unable to load.";
}

// Whatever would commit more than the memory left is refused before it touches anything:
// the canvas keeps its size and pixels, and the next step works once memory is back.
void TestResize::memoryShortLeavesTheCanvas()
{
    QFETCH(QString, action);
    QFETCH(QString, message);
    WindowFixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    QVERIFY(w.setCanvasSize(1200, 900)); // large enough for a block of its own
    w.UpdateScrollRanges();
    w.chkGrid->setValue(0); // no grid drawn over gained area on the handle's release
    w.Canvas.fillRect(QRect(10, 10, 5, 5), kBlack);
    const QImage before = w.Canvas.image().copy();
    const QString picture = f.path(QStringLiteral("big.bmp"));
    QVERIFY(QImage(300, 300, QImage::Format_RGB32).save(picture, "BMP"));
    w.shpCursor->move(0, 870);
    setAvailableMemoryForTesting(64 << 10); // a 300 x 300 picture or 22 new rows need more
    const auto act = [&] {
        if (action == "key") {
            f.type({Qt::Key_S});
        } else if (action == "typed") {
            f.dialogs->inputs = {QStringLiteral("3000"), QStringLiteral("2000")};
            w.picResizer_MouseDown(8, 2);
        } else if (action == "drag") {
            w.picResizer_MouseDown(8, 1);
            w.picResizer_MouseMove(8, 37, 22);
            w.picResizer_MouseUp();
        } else if (action == "load") {
            f.dialogs->inputs = {QStringLiteral("big")};
            w.cmdLoad_Click();
        } else {
            w.LoadDroppedFile(picture);
        }
    };
    act();
    QCOMPARE(w.Canvas.image(), before);
    QCOMPARE(w.picCanvas->size(), before.size());
    QCOMPARE(w.HScroll->Max(), 1200);
    const bool boxed = !f.dialogs->asked.empty() && f.dialogs->asked.back().kind == "MsgBox";
    QCOMPARE(boxed ? f.dialogs->asked.back().text : QString(), message);
    setAvailableMemoryForTesting(-1);
    f.dialogs->asked.clear();
    act();
    QVERIFY(w.Canvas.size() != before.size());
    QVERIFY(f.dialogs->asked.empty() || f.dialogs->asked.back().kind != "MsgBox");
}

// A large loaded map lives in memory that can grow: the first growth copies nothing.
void TestResize::loadedMapGrowsInPlace()
{
    WindowFixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    const QString picture = f.path(QStringLiteral("large.bmp"));
    QImage map(1500, 1400, QImage::Format_RGB32);
    map.fill(Qt::white);
    QVERIFY(map.save(picture, "BMP"));
    w.LoadDroppedFile(picture);
    QCOMPARE(w.Canvas.size(), map.size());
    const uchar* bits = w.Canvas.image().constBits();
    w.shpCursor->move(0, 1380);
    f.type({Qt::Key_S});
    QVERIFY(w.Canvas.height() > map.height());
    QCOMPARE(w.Canvas.image().constBits(), bits);
}

QTEST_MAIN(TestResize)
#include "tst_resize.moc"

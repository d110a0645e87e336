#include "cursorshape.h"
#include "frame.h"
#include "frmtessellon.h"
#include "grid.h"
#include "keynames.h"
#include "palettelayout.h"
#include "picturebox.h"
#include "scrollbar.h"
#include "textbox.h"
#include "tilecatalogue.h"
#include "vbbuttons.h"
#include "windowfixture.h"

#include <QLabel>
#include <QPaintEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace tessellon;

using Fixture = WindowFixture;

class TestWindow : public QObject
{
    Q_OBJECT
private slots:
    void controlsStandWhereTheDescriptionPutsThem_data();
    void controlsStandWhereTheDescriptionPutsThem();
    void windowItself();
    void pagesAreStackedAndHidden();
    void startUpState();
    void startUpOptionClicksChangeNothing();
    void basePanelsShowTheirOwnTiles();
    void latePagesLookAsIfMadeAtStart_data();
    void latePagesLookAsIfMadeAtStart();
    void hotSpotsKeepTheirTabOrder();
    void hiddenControls();
    void firstLayoutFitsTheCanvas();
    void closingAsksNothing();
    void captionsShareOneFont();
    void focusHolderIsFirstInTabOrder();
    void sizeHandlingRestoresTheMinimum();
    void replaceRepaintsWhatItChanged_data();
    void replaceRepaintsWhatItChanged();
};

void TestWindow::controlsStandWhereTheDescriptionPutsThem_data()
{
    // Expected places in pixels (twips / 15, rounded), captions and tool tips.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("toolTip");
    auto row = [](const char* name, QRect r, const char* caption = "", const char* tip = "") {
        QTest::newRow(name) << QString::fromLatin1(name) << r << QString::fromLatin1(caption)
                            << QString::fromLatin1(tip);
    };
    row("fraOptions", {4, 0, 289, 25});
    row("Label(2)", {8, 8, 41, 15}, "Overlay:",
        "Mouse button for overlay (other button will replace).");
    row("optDefaultOverlay(1)", {49, 8, 41, 15}, "Left",
        "Left Mouse overlays tile, Right mouse replaces tile.");
    row("optDefaultOverlay(0)", {91, 8, 47, 15}, "Right",
        "Right mouse overlays, Left mouse replaces tile.");
    row("Label(1)", {155, 8, 33, 15}, "Scale:",
        "Cursor Movement Scale (when using keyboard, cursor moves either 1 unit or 3 units per "
        "key press).");
    row("Picture1", {187, 8, 97, 15});
    row("optScaleMove(0)", {0, 0, 49, 15}, "1 x 1");
    row("optScaleMove(1)", {48, 0, 49, 15}, "3 x 3");
    row("fraSelectTileSet(4)", {296, 0, 433, 25});
    row("optTileSets(0)", {8, 8, 65, 15}, "Standard");
    row("optTileSets(1)", {80, 8, 57, 15}, "Large");
    row("optTileSets(2)", {139, 8, 161, 15}, "Rooms / Cave / Misc");
    row("optTileSets(3)", {336, 8, 89, 15}, "Key Bindings", "Assign movement and drawing keys.");
    row("fraCommands", {732, 0, 169, 73});
    row("cmdUndo", {8, 16, 49, 25}, "Undo");
    row("cmdRedo", {8, 40, 49, 25}, "Redo");
    row("cmdLoad", {64, 16, 49, 25}, "Load");
    row("cmdSave", {64, 40, 49, 25}, "Save");
    row("cmdClear", {121, 40, 41, 25}, "Clear");
    row("chkGrid", {120, 20, 40, 17}, "Grid", "Grid Overlay (not part of image)");
    row("fraTileSet(0)", {296, 16, 433, 153});
    row("fraTileSet(10)", {4, 16, 289, 153});
    row("fraTileSet(9)", {732, 72, 169, 97});
    row("picErase(1)", {136, 72, 17, 17});
    row("picErase(2)", {128, 32, 33, 33});
    row("lblErase", {128, 16, 33, 17}, "Erase");
    row("shpCursor", {0, 0, 32, 32});
    row("cmdFob", {-100, -16, 57, 33}, "Fob");
}

void TestWindow::controlsStandWhereTheDescriptionPutsThem()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    QFETCH(QString, toolTip);
    Fixture f;
    auto* w = f.window.findChild<QWidget*>(name);
    QVERIFY2(w, qPrintable(name));
    QCOMPARE(w->geometry(), geometry);
    QCOMPARE(w->toolTip(), toolTip);
    if (auto* b = qobject_cast<QAbstractButton*>(w)) QCOMPARE(b->text(), caption);
    if (auto* l = qobject_cast<QLabel*>(w)) QCOMPARE(l->text(), caption);
}

void TestWindow::windowItself()
{
    Fixture f;
    QCOMPARE(f.window.windowTitle(), QStringLiteral("Tessellon"));
    QCOMPARE(f.window.size(), QSize(904, 579));
    QVERIFY(f.window.acceptDrops());
    QVERIFY(!f.window.windowIcon().isNull());
    QCOMPARE(f.window.palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(f.window.TwipsPerPixel, qint16(15));
    // cmdLoad, cmdSave and cmdClear are no tab stops; Undo and Redo are
    QVERIFY(!(f.window.cmdLoad->focusPolicy() & Qt::TabFocus));
    QVERIFY(!(f.window.cmdClear->focusPolicy() & Qt::TabFocus));
    QVERIFY(f.window.cmdUndo->focusPolicy() & Qt::TabFocus);
    QCOMPARE(f.window.picScrollContainer->BackColor(), 0x00808080);
    QCOMPARE(f.window.picScrollContainer->pos(), QPoint(5, 170));
    QCOMPARE(f.window.picCanvas->pos(), QPoint(5, 5));
    QCOMPARE(f.window.picCanvas->cursor().shape(), Qt::CrossCursor);
    for (int i = 1; i <= 8; ++i) {
        QCOMPARE(f.window.picResizer[i]->size(), QSize(5, 5));
        QCOMPARE(f.window.picResizer[i]->BackColor(), 0x00C0C0C0);
    }
    QCOMPARE(f.window.picResizer[5]->cursor().shape(), Qt::SizeHorCursor);
    QCOMPARE(f.window.picResizer[7]->cursor().shape(), Qt::SizeVerCursor);
    QCOMPARE(f.window.picResizer[8]->cursor().shape(), Qt::SizeFDiagCursor);
    QCOMPARE(f.window.picResizer[1]->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(f.window.picErase[1]->cursor().shape(), Qt::CrossCursor);
}

void TestWindow::pagesAreStackedAndHidden()
{
    Fixture f;
    f.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    for (int i = 1; i <= 3; ++i) {
        QCOMPARE(f.window.fraTileSet[i]->geometry(), f.window.fraTileSet[0]->geometry());
        QVERIFY(!f.window.fraTileSet[i]->isVisible());
    }
    QVERIFY(f.window.fraTileSet[0]->isVisible());
    QVERIFY(f.window.fraTileSet[9]->isVisible());
    QVERIFY(f.window.fraTileSet[10]->isVisible());
    QVERIFY(f.window.optTileSets[0]->isChecked());
}

void TestWindow::startUpState()
{
    Fixture f;
    frmTessellon& w = f.window;
    QVERIFY(w.FormLoaded);
    QVERIFY(w.optScaleMove[1]->isChecked());
    QVERIFY(!w.optScaleMove[0]->isChecked());
    QVERIFY(w.optDefaultOverlay[1]->isChecked());
    QCOMPARE(w.CursorStep, qint16(30));
    QCOMPARE(w.shpCursor->geometry(), QRect(0, 0, 32, 32));
    QCOMPARE(w.CurrentTile, qint16(0));
    QCOMPARE(w.CurrentTileSet, qint16(0));
    QCOMPARE(w.PreviewTile, qint16(0));
    QCOMPARE(w.HoveredHotSpot, qint16(0));
    QVERIFY(w.LoadFileName.isEmpty() && w.SaveFileName.isEmpty());
    QCOMPARE(w.Canvas.size(), QSize(727, 369));
    QVERIFY(w.tmrFlashCursor->isActive());
    QCOMPARE(w.tmrFlashCursor->interval(), 400);
    QCOMPARE(w.tmrDrawInitialGrid->interval(), 50);
}

void TestWindow::startUpOptionClicksChangeNothing()
{
    // Start-up selects "3 x 3" before FormLoaded: had the click applied the scale, the
    // cursor would be 30 x 30 instead of its description size.
    Fixture f;
    QCOMPARE(f.window.shpCursor->size(), QSize(32, 32));
    // once loaded, a click does apply and returns focus
    f.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    f.window.optScaleMove[0]->select();
    QCOMPARE(f.window.CursorStep, qint16(10));
    QCOMPARE(f.window.shpCursor->size(), QSize(10, 10));
    QCOMPARE(QApplication::focusWidget(), f.window.cmdFob);
}

void TestWindow::basePanelsShowTheirOwnTiles()
{
    Fixture f;
    const TileCatalogue& tiles = TileCatalogue::instance();
    for (int i = 1; i <= 47; ++i) {
        // the own tile comes from the layout table, not from the panel under test
        const qint16 own = basePanels()[std::size_t(i)].ownTile;
        PictureBox* p = f.window.picBaseTile(i);
        QVERIFY2(tiles.has(own), qPrintable(QString::number(i)));
        QCOMPARE(p->Tag.toInt(), int(own));
        QCOMPARE(p->Picture(), tiles.image(own));
    }
    QVERIFY(f.window.picBaseTile(0)->Picture().isNull());
}

void TestWindow::hiddenControls()
{
    Fixture f;
    f.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    QVERIFY(!f.window.fraMisc->isVisible());
    for (int i = 1; i <= 5; ++i) {
        QCOMPARE(f.window.picUndo[i]->size(), QSize(121, 121));
        QCOMPARE(f.window.picRedo[i]->size(), QSize(121, 121));
    }
    // the focus holder lies outside the client area and is never seen
    QVERIFY(!f.window.rect().intersects(f.window.cmdFob->geometry()));
    for (int i = 1; i <= 13; ++i) {
        QVERIFY(f.window.txtKeyBindings(i)->isReadOnly());
        QCOMPARE(f.window.txtKeyBindings(i)->size(), QSize(33, 25));
    }
    QCOMPARE(f.window.lblCustomize(9)->text(), QStringLiteral("Tab 1"));
    QCOMPARE(f.window.lblCustomize(0)->text(),
             QStringLiteral("To change a key binding, click the box containing the current "
                            "binding once, then press the new key to bind."));
}

void TestWindow::firstLayoutFitsTheCanvas()
{
    Fixture f;
    f.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    frmTessellon& w = f.window;
    QVERIFY(w.FirstLayoutDone);
    // frame = client - 10 - bar width, client - 174 - bar height; canvas = frame - 12
    QCOMPARE(w.picScrollContainer->size(), QSize(904 - 10 - 15, 579 - 174 - 16));
    QCOMPARE(w.Canvas.size(), QSize(904 - 25 - 12, 579 - 190 - 12));
    QCOMPARE(w.picCanvas->size(), w.Canvas.size());
    QCOMPARE(w.picCanvas->pos(), QPoint(5, 5));
    QCOMPARE(w.VScroll->geometry(), QRect(5 + 879 + 1, 170, 15, 389));
    QCOMPARE(w.HScroll->geometry(), QRect(5, 170 + 389 + 1, 879, 16));
    QCOMPARE(w.HScroll->Value(), 1);
    QCOMPARE(w.VScroll->Value(), 1);
    // the bars' ranges were taken from the description size, before the fit
    QCOMPARE(w.HScroll->Max(), 727);
    QCOMPARE(w.VScroll->Max(), 369);
    QCOMPARE(w.HScroll->LargeChange(), 145); // 727 / 5 = 145.4
    QCOMPARE(w.VScroll->SmallChange(), 25);  // 369 / 15 = 24.6
    // handle 8 outside the bottom-right corner, handle 2 centred above the top edge
    QCOMPARE(w.picResizer[8]->pos(), QPoint(5 + 867, 5 + 377));
    QCOMPARE(w.picResizer[2]->pos(), QPoint(436, -1)); // 5 + 433.5 - 2.5
    // a later resize moves the bars but keeps the canvas
    w.resize(1000, 700);
    QCOMPARE(w.Canvas.size(), QSize(867, 377));
    QCOMPARE(w.picScrollContainer->size(), QSize(1000 - 25, 700 - 190));
}

void TestWindow::closingAsksNothing()
{
    Fixture f;
    f.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    QVERIFY(f.window.close());
    QVERIFY(f.dialogs->asked.empty());
}

void TestWindow::latePagesLookAsIfMadeAtStart_data()
{
    QTest::addColumn<int>("page");
    QTest::newRow("Large") << int(kPageLarge);
    QTest::newRow("Rooms / Cave / Misc") << int(kPageRooms);
    QTest::newRow("Key Bindings") << int(kPageKeyBindings);
}

void TestWindow::latePagesLookAsIfMadeAtStart()
{
    QFETCH(int, page);
    Fixture f;
    Frame* frame = f.window.fraTileSet[std::size_t(page)];
    QVERIFY(frame->findChildren<QWidget*>().isEmpty()); // start-up made nothing of it
    f.window.optTileSets[std::size_t(page)]->click();
    const QList<QWidget*> made = frame->findChildren<QWidget*>();
    QVERIFY(!made.isEmpty());
    const int captionSize = f.window.Label[1]->fontInfo().pixelSize();
    for (QWidget* w : made) {
        QVERIFY2(w->testAttribute(Qt::WA_NoMousePropagation), qPrintable(w->objectName()));
        if (auto* t = qobject_cast<TextBox*>(w))
            QCOMPARE(t->text(), KeyName(f.window.KeyCodes[std::size_t(t->Index())]));
        if (auto* l = qobject_cast<QLabel*>(w)) {
            l->ensurePolished();
            QCOMPARE(l->fontInfo().pixelSize(), captionSize);
        }
        auto* p = qobject_cast<PictureBox*>(w);
        if (p && p->objectName().startsWith(QLatin1String("picBaseTile")))
            QCOMPARE(p->Picture(), TileCatalogue::instance().image(qint16(p->Tag.toInt())));
    }
}

void TestWindow::hotSpotsKeepTheirTabOrder()
{
    Fixture f;
    // made out of order, each page's hot-spots still fall in between the others by number
    f.window.SelectTileSet(kPageRooms);
    f.window.SelectTileSet(kPageLarge);
    QList<int> order;
    for (QWidget* w = f.window.nextInFocusChain(); w != &f.window; w = w->nextInFocusChain())
        if (w->objectName().startsWith(QLatin1String("picTile(")))
            order << static_cast<PictureBox*>(w)->Index();
    QCOMPARE(order.size(), int(hotSpots().size()));
    QVERIFY(std::is_sorted(order.begin(), order.end()));
}

void TestWindow::captionsShareOneFont()
{
    Fixture f;
    f.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    // polished, as drawn: a label with a style sheet of its own must keep the window's font
    const QFontInfo captions = f.window.Label[1]->fontInfo();
    for (QLabel* l : f.window.findChildren<QLabel*>()) {
        QCOMPARE(l->fontInfo().family(), captions.family());
        l->ensurePolished(); // the binding page's labels are hidden
        QVERIFY2(l->fontInfo().pixelSize() == captions.pixelSize(), qPrintable(l->objectName()));
    }
}

void TestWindow::focusHolderIsFirstInTabOrder()
{
    Fixture f;
    QWidget* w = f.window.nextInFocusChain();
    while (w != &f.window && !(w->focusPolicy() & Qt::TabFocus))
        w = w->nextInFocusChain();
    QCOMPARE(w, f.window.cmdFob);
}

void TestWindow::sizeHandlingRestoresTheMinimum()
{
    Fixture f;
    frmTessellon& w = f.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.resize(904, 249); // the smallest window, through Qt's own limit
    const QSize smallest = w.size();
    const QRect frame = w.picScrollContainer->geometry(), bar = w.HScroll->geometry();
    w.resize(1000, 700);
    // a platform without a window manager applies any size it is asked for
    w.windowHandle()->resize(700, 200);
    QTRY_COMPARE(w.size(), smallest);
    QTest::qWait(50); // nothing shrinks it again
    QCOMPARE(w.size(), smallest);
    QCOMPARE(w.windowHandle()->size(), smallest);
    QCOMPARE(w.picScrollContainer->geometry(), frame);
    QCOMPARE(w.HScroll->geometry(), bar);
}

void TestWindow::replaceRepaintsWhatItChanged_data()
{
    QTest::addColumn<QPoint>("cursor");
    QTest::newRow("on the grid") << QPoint(30, 60);
    QTest::newRow("off the grid") << QPoint(40, 10);
    QTest::newRow("negative, off the grid") << QPoint(-10, -20); // the grid line is after it
    QTest::newRow("negative, far") << QPoint(-95, -40);
}

// Pixels the replace changes outside the tile: grid dots that the repair takes off, since the
// canvas holds a grid while the check box is off.
void TestWindow::replaceRepaintsWhatItChanged()
{
    QFETCH(QPoint, cursor);
    Fixture f;
    frmTessellon& w = f.window;
    QVERIFY(f.show());
    w.chkGrid->setValue(0);
    DrawGrid(w.Canvas);
    w.picCanvas->update();
    QTest::qWait(20);
    const QImage before = w.Canvas.image().copy();
    QRegion painted;
    struct PaintRecorder : QObject
    {
        QRegion* region;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint) *region += static_cast<QPaintEvent*>(e)->region();
            return false;
        }
    } recorder;
    recorder.region = &painted;
    w.picCanvas->installEventFilter(&recorder);
    w.shpCursor->move(cursor);
    w.StampReplace(43);
    QTest::qWait(20);
    int changed = 0;
    const QImage after = w.Canvas.image();
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (after.pixel(x, y) != before.pixel(x, y)) {
                ++changed;
                QVERIFY2(painted.contains(QPoint(x, y)),
                         qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            }
    QVERIFY(changed > 0);
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"

// The palette in use, driven through the window system as the user's mouse would: hover
// previews and their reset, press colours and release stamps, pages and the erase buttons.
#define QTEST_QPA_MOUSE_HANDLING // mouse events enter at the window, with the implicit grab

#include "cursorshape.h"
#include "frame.h"
#include "frmtessellon.h"
#include "grid.h"
#include "palettelayout.h"
#include "picturebox.h"
#include "scrollbar.h"
#include "tilecatalogue.h"
#include "tilevariants.h"
#include "undoring.h"
#include "vbbuttons.h"
#include "stampcheck.h"
#include "windowfixture.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace tessellon;

namespace {

constexpr VbColor kLightGreen = 0x0080FF80;
constexpr VbColor kGreen = 0x00008000;
constexpr VbColor kDarkRed = 0x000000C0;
constexpr VbColor kLightRed = 0x008080FF;
constexpr VbColor kRed = 0x000000FF;
constexpr QRgb kWhiteRgb = 0xFFFFFF;

using Fixture = WindowFixture;

// The first hot-spot whose Tag names `panel` and whose tile differs from the panel's own.
qint16 hotSpotOf(qint16 panel, int skip = 0)
{
    const qint16 own = basePanels()[panel].ownTile;
    for (const HotSpotSpec& h : hotSpots())
        if (h.hotSpot > 0 && h.panel == panel && TileForHotSpot(h.hotSpot) != own && skip-- == 0)
            return h.hotSpot;
    return 0;
}

// A point where `w` itself is the topmost widget: none of its children, and no other
// control lying over it.
QPoint bareSpot(QWidget* w)
{
    QWidget* top = w->window();
    for (int y = 3; y < w->height() - 3; y += 2)
        for (int x = 3; x < w->width() - 3; x += 2) {
            QWidget* at = top->childAt(w->mapTo(top, QPoint(x, y)));
            if (at == w || (!at && w == top)) return {x, y};
        }
    return {-1, -1};
}

void moveTo(QWidget* w, QPoint p)
{
    QTest::mouseMove(w, p);
}

void moveTo(QWidget* w)
{
    moveTo(w, w->rect().center());
}

} // namespace

class TestPalette : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void hoverPreviewsOnTheTaggedPanel_data();
    void hoverPreviewsOnTheTaggedPanel();
    void hoverMovesStraightToAnotherGroup();
    void resetSurfacesClearTheHover_data();
    void resetSurfacesClearTheHover();
    void otherSurfacesKeepTheHover_data();
    void otherSurfacesKeepTheHover();
    void pressedHotSpotIgnoresMoves();
    void releaseStampsByButtonAndOption_data();
    void releaseStampsByButtonAndOption();
    void basePanelStampsThePreview_data();
    void basePanelStampsThePreview();
    void basePanelWithoutPreviewDoesNothing();
    void pageSwitchShowsBeforeHiding();
    void choosingTheShownPageDoesNothing();
    void eraseWithEveryButton_data();
    void eraseWithEveryButton();
    void releaseBelongsToThePressedControl_data();
    void releaseBelongsToThePressedControl();
};

// Without the art every picture is null and the stamp checks would pass on nothing.
void TestPalette::initTestCase()
{
    requireAllTiles();
}

void TestPalette::hoverPreviewsOnTheTaggedPanel_data()
{
    QTest::addColumn<int>("hotSpot");
    QTest::addColumn<int>("panel");
    // 199 to 202 stand at the corners of panel 10 but belong to panel 6's group
    for (int h = 199; h <= 202; ++h)
        QTest::addRow("%d", h) << h << 6;
    QTest::newRow("page 0") << int(hotSpotOf(27)) << 27;
    QTest::newRow("left panel") << int(hotSpotOf(44)) << 44;
    QTest::newRow("right panel") << int(hotSpotOf(40)) << 40;
}

void TestPalette::hoverPreviewsOnTheTaggedPanel()
{
    QFETCH(int, hotSpot);
    QFETCH(int, panel);
    Fixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    const qint16 frame = hotSpotFrame(qint16(hotSpot));
    if (frame <= kPageKeyBindings) w.SelectTileSet(frame);
    QVERIFY(w.picTile(hotSpot)->isVisible());
    const QImage anchorBefore = w.picBaseTile(10)->Picture();

    moveTo(w.picTile(hotSpot));
    const qint16 tile = TileForHotSpot(qint16(hotSpot));
    QCOMPARE(w.HoveredHotSpot, qint16(hotSpot));
    QCOMPARE(w.PreviewTile, tile);
    QCOMPARE(w.picTile(hotSpot)->BackColor(), kLightGreen);
    QCOMPARE(w.picBaseTile(panel)->Picture(), TileCatalogue::instance().image(tile));
    if (panel == 6) QCOMPARE(w.picBaseTile(10)->Picture(), anchorBefore);
}

void TestPalette::hoverMovesStraightToAnotherGroup()
{
    Fixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    const qint16 a = hotSpotOf(27), b = hotSpotOf(28);
    moveTo(w.picTile(a));
    moveTo(w.picTile(b));
    QCOMPARE(w.picTile(a)->BackColor(), kWhite);
    QCOMPARE(w.picTile(b)->BackColor(), kLightGreen);
    QCOMPARE(w.HoveredHotSpot, b);
    QCOMPARE(w.PreviewTile, TileForHotSpot(b));
    const TileCatalogue& tiles = TileCatalogue::instance();
    QCOMPARE(w.picBaseTile(27)->Picture(), tiles.image(basePanels()[27].ownTile));
    QCOMPARE(w.picBaseTile(28)->Picture(), tiles.image(TileForHotSpot(b)));
    // a neighbour in the same group: the first whitens, the panel previews the second
    const qint16 c = hotSpotOf(28, 1);
    moveTo(w.picTile(c));
    QCOMPARE(w.picTile(b)->BackColor(), kWhite);
    QCOMPARE(w.picBaseTile(28)->Picture(), tiles.image(TileForHotSpot(c)));
}

enum class Place {
    WindowBackground,
    PageBackground,
    LeftPanel,
    RightPanel,
    Canvas,
    Deactivation,
    PageButtons,
    OptionFrame,
    CommandFrame,
    ViewFrame,
    HScrollBar,
    VScrollBar,
    OwnBasePanel,
    OtherBasePanel,
};
Q_DECLARE_METATYPE(Place)

namespace {

struct Spot
{
    QWidget* widget;
    QPoint at;
};

// Where the pointer goes for `place`; deactivation has no spot.
Spot spotOf(frmTessellon& w, Place place)
{
    auto centre = [](QWidget* x) { return Spot{x, x->rect().center()}; };
    switch (place) {
    case Place::WindowBackground:
        return {&w, bareSpot(&w)};
    case Place::PageBackground:
        return {w.fraTileSet[0], bareSpot(w.fraTileSet[0])};
    case Place::LeftPanel:
        return {w.fraTileSet[10], bareSpot(w.fraTileSet[10])};
    case Place::RightPanel:
        return {w.fraTileSet[9], bareSpot(w.fraTileSet[9])};
    case Place::Canvas:
        return {w.picCanvas, {200, 200}};
    case Place::Deactivation:
        return {nullptr, {}};
    case Place::PageButtons:
        return {w.fraSelectTileSet, bareSpot(w.fraSelectTileSet)};
    case Place::OptionFrame:
        return {w.fraOptions, bareSpot(w.fraOptions)};
    case Place::CommandFrame:
        return {w.fraCommands, bareSpot(w.fraCommands)};
    case Place::ViewFrame:
        return {w.picScrollContainer, bareSpot(w.picScrollContainer)};
    case Place::HScrollBar:
        return centre(w.HScroll);
    case Place::VScrollBar:
        return centre(w.VScroll);
    case Place::OwnBasePanel:
        return centre(w.picBaseTile(27));
    case Place::OtherBasePanel:
        return centre(w.picBaseTile(28));
    }
    return {nullptr, {}};
}

// Moves the pointer onto `place`, or takes the activation away from the window.
void goTo(frmTessellon& w, Place place, QWidget& other)
{
    const Spot s = spotOf(w, place);
    if (s.widget) return moveTo(s.widget, s.at);
    other.resize(50, 50);
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
}

} // namespace

void TestPalette::resetSurfacesClearTheHover_data()
{
    QTest::addColumn<Place>("place");
    QTest::newRow("window background") << Place::WindowBackground;
    QTest::newRow("page background") << Place::PageBackground;
    QTest::newRow("left panel") << Place::LeftPanel;
    QTest::newRow("right panel") << Place::RightPanel;
    QTest::newRow("canvas") << Place::Canvas;
    QTest::newRow("window deactivated") << Place::Deactivation;
}

void TestPalette::resetSurfacesClearTheHover()
{
    QFETCH(Place, place);
    Fixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    const qint16 h = hotSpotOf(27);
    moveTo(w.picTile(h));
    QCOMPARE(w.HoveredHotSpot, h);
    QWidget other;
    goTo(w, place, other);
    QCOMPARE(w.HoveredHotSpot, qint16(0));
    QCOMPARE(w.picTile(h)->BackColor(), kWhite);
    QCOMPARE(w.PreviewTile, TileForHotSpot(h)); // the preview is kept for a base panel click
    QCOMPARE(w.picBaseTile(27)->Picture(),
             TileCatalogue::instance().image(basePanels()[27].ownTile));
}

void TestPalette::otherSurfacesKeepTheHover_data()
{
    QTest::addColumn<Place>("place");
    QTest::newRow("page buttons") << Place::PageButtons;
    QTest::newRow("option frame") << Place::OptionFrame;
    QTest::newRow("command frame") << Place::CommandFrame;
    QTest::newRow("view frame") << Place::ViewFrame;
    QTest::newRow("horizontal bar") << Place::HScrollBar;
    QTest::newRow("vertical bar") << Place::VScrollBar;
    QTest::newRow("own base panel") << Place::OwnBasePanel;
    QTest::newRow("other base panel") << Place::OtherBasePanel;
}

void TestPalette::otherSurfacesKeepTheHover()
{
    QFETCH(Place, place);
    Fixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    const qint16 h = hotSpotOf(27);
    moveTo(w.picTile(h));
    const QImage preview = w.picBaseTile(27)->Picture();
    QWidget other;
    goTo(w, place, other);
    QCOMPARE(w.HoveredHotSpot, h);
    QCOMPARE(w.picTile(h)->BackColor(), kLightGreen);
    QCOMPARE(w.picBaseTile(27)->Picture(), preview);
    // the next reset surface still clears it
    goTo(w, Place::PageBackground, other);
    QCOMPARE(w.picTile(h)->BackColor(), kWhite);
}

void TestPalette::pressedHotSpotIgnoresMoves()
{
    Fixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    const qint16 h = hotSpotOf(27);
    moveTo(w.picTile(h));
    QTest::mousePress(w.picTile(h), Qt::LeftButton, {}, {4, 4});
    QCOMPARE(w.picTile(h)->BackColor(), kGreen);
    QTest::mouseMove(w.picTile(h), {6, 6});
    QCOMPARE(w.picTile(h)->BackColor(), kGreen);
    QTest::mouseRelease(w.picTile(h), Qt::LeftButton, {}, {6, 6});
    QCOMPARE(w.picTile(h)->BackColor(), kLightGreen);
}

void TestPalette::releaseStampsByButtonAndOption_data()
{
    QTest::addColumn<bool>("leftOverlays");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<bool>("onPanel");
    struct Row
    {
        const char* name;
        bool leftOverlays;
        Qt::MouseButton button;
        Mode mode;
    };
    const Row rows[] = {
        {"Left option, left", true, Qt::LeftButton, Mode::Overlay},
        {"Left option, right", true, Qt::RightButton, Mode::Replace},
        {"Left option, middle", true, Qt::MiddleButton, Mode::None},
        {"Right option, left", false, Qt::LeftButton, Mode::Replace},
        {"Right option, right", false, Qt::RightButton, Mode::Overlay},
        {"Right option, middle", false, Qt::MiddleButton, Mode::None},
    };
    for (bool onPanel : {false, true})
        for (const Row& r : rows)
            QTest::addRow("%s, %s", onPanel ? "base panel" : "hot-spot", r.name)
                << r.leftOverlays << r.button << r.mode << onPanel;
}

void TestPalette::releaseStampsByButtonAndOption()
{
    QFETCH(bool, leftOverlays);
    QFETCH(Qt::MouseButton, button);
    QFETCH(Mode, mode);
    QFETCH(bool, onPanel);
    Fixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    QTest::mouseClick(w.chkGrid, Qt::LeftButton); // grid off: replace is then a plain copy
    QCOMPARE(w.chkGrid->Value(), 0);
    if (!leftOverlays) QTest::mouseClick(w.optDefaultOverlay[0], Qt::LeftButton);
    QCOMPARE(w.optDefaultOverlay[1]->isChecked(), leftOverlays);

    const qint16 h = hotSpotOf(27);
    const qint16 tile = TileForHotSpot(h);
    const QPoint at(60, 90);
    w.shpCursor->move(at);
    const QRect under(at, tileSize(tile));
    paintPattern(w.Canvas, under);
    const QImage before = w.Canvas.image().copy(under);

    moveTo(w.picTile(h));
    PictureBox* target = onPanel ? w.picBaseTile(27) : w.picTile(h);
    if (onPanel) moveTo(target);
    const VbColor idle = target->BackColor();
    QTest::mousePress(target, button, {}, {5, 5});
    const VbColor pressed = mode == Mode::Overlay   ? kGreen
                            : mode == Mode::Replace ? kDarkRed
                                                    : idle;
    QCOMPARE(target->BackColor(), pressed);
    if (onPanel) QVERIFY(target->Picture().isNull());
    QTest::mouseRelease(target, button, {}, {5, 5});

    QCOMPARE(w.CurrentTile, tile);
    QCOMPARE(target->BackColor(), onPanel ? kWhite : kLightGreen);
    QCOMPARE(QApplication::focusWidget(), w.cmdFob);
    QCOMPARE(w.Ring->position(), qint16(1));
    const UndoRecord& r = w.Ring->record(1);
    QCOMPARE(r.State, kUndoActive);
    QCOMPARE(QRect(r.Left, r.Top, r.Width, r.Height), under);
    const QImage& img = TileCatalogue::instance().image(tile);
    QVERIFY(matchesStamp(before, w.Canvas, img, at, mode));
    if (onPanel) QCOMPARE(target->Picture(), img);
}

void TestPalette::basePanelStampsThePreview_data()
{
    QTest::addColumn<int>("panel");
    QTest::addColumn<bool>("viaBackground");
    QTest::newRow("own group, straight on") << 27 << false;
    QTest::newRow("other group, over the page background") << 28 << true;
    QTest::newRow("left panel, over the window background") << 44 << true;
}

void TestPalette::basePanelStampsThePreview()
{
    QFETCH(int, panel);
    QFETCH(bool, viaBackground);
    Fixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    const qint16 h = hotSpotOf(27);
    const qint16 tile = TileForHotSpot(h);
    w.shpCursor->move(30, 30);
    const QImage before = w.Canvas.image().copy(QRect({30, 30}, tileSize(tile)));
    moveTo(w.picTile(h));
    if (viaBackground) moveTo(&w, bareSpot(&w));
    QTest::mouseClick(w.picBaseTile(panel), Qt::LeftButton, {}, {10, 10});
    QCOMPARE(w.CurrentTile, tile);
    QCOMPARE(w.Ring->position(), qint16(1));
    QCOMPARE(w.Ring->record(1).Width, qint16(tileSize(tile).width()));
    const QImage& img = TileCatalogue::instance().image(tile);
    QCOMPARE(w.picBaseTile(panel)->Picture(), img);
    QVERIFY(matchesStamp(before, w.Canvas, img, {30, 30}, Mode::Overlay));
}

void TestPalette::basePanelWithoutPreviewDoesNothing()
{
    Fixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    const QImage before = w.Canvas.image().copy();
    const QImage own = w.picBaseTile(27)->Picture();
    for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
        QTest::mouseClick(w.picBaseTile(27), b, {}, {10, 10});
    QCOMPARE(w.PreviewTile, qint16(0));
    QCOMPARE(w.CurrentTile, qint16(0));
    QCOMPARE(w.Ring->position(), qint16(0));
    QCOMPARE(w.Canvas.image(), before);
    QCOMPARE(w.picBaseTile(27)->BackColor(), kWhite);
    QCOMPARE(w.picBaseTile(27)->Picture(), own);
}

namespace {

// Records the order in which watched frames are shown and hidden.
class ShowLog : public QObject
{
public:
    QStringList events;
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Show || e->type() == QEvent::Hide)
            events << QStringLiteral("%1 %2").arg(e->type() == QEvent::Show ? "show" : "hide",
                                                  o->objectName());
        return false;
    }
};

} // namespace

void TestPalette::pageSwitchShowsBeforeHiding()
{
    Fixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    ShowLog log;
    for (int i = 0; i <= 3; ++i)
        w.fraTileSet[i]->installEventFilter(&log);
    w.picTile(hotSpotOf(27))->setFocus();
    QTest::mouseClick(w.optTileSets[2], Qt::LeftButton);
    QCOMPARE(log.events, QStringList({"show fraTileSet(2)", "hide fraTileSet(0)"}));
    QCOMPARE(w.CurrentTileSet, qint16(2));
    QCOMPARE(QApplication::focusWidget(), w.cmdFob);
    // the Tab keys choose pages too; exactly one page shows after each switch
    for (auto [key, page] : {std::pair{Qt::Key_1, 0}, {Qt::Key_2, 1}, {Qt::Key_3, 2}}) {
        QTest::keyClick(w.cmdFob, key);
        QCOMPARE(w.CurrentTileSet, qint16(page));
        for (int i = 0; i <= 3; ++i)
            QCOMPARE(w.fraTileSet[i]->isVisible(), i == page);
    }
}

void TestPalette::choosingTheShownPageDoesNothing()
{
    Fixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    ShowLog log;
    for (int i = 0; i <= 3; ++i)
        w.fraTileSet[i]->installEventFilter(&log);
    PictureBox* spot = w.picTile(hotSpotOf(27));
    spot->setFocus();
    QCOMPARE(QApplication::focusWidget(), spot);
    w.SelectTileSet(0);
    QVERIFY(log.events.isEmpty());
    QCOMPARE(QApplication::focusWidget(), spot); // focus not moved
    QVERIFY(w.fraTileSet[0]->isVisible());
    // a mouse release on a page button still hands the focus back, as on every page button
    QTest::mouseClick(w.optTileSets[0], Qt::LeftButton);
    QVERIFY(log.events.isEmpty());
    QCOMPARE(w.CurrentTileSet, qint16(0));
    QCOMPARE(QApplication::focusWidget(), w.cmdFob);
}

void TestPalette::eraseWithEveryButton_data()
{
    QTest::addColumn<int>("eraser");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<int>("side");
    for (auto [b, name] : {std::pair{Qt::LeftButton, "left"},
                           {Qt::RightButton, "right"},
                           {Qt::MiddleButton, "middle"}}) {
        QTest::addRow("3 x 3, %s", name) << 2 << b << 31;
        QTest::addRow("1 x 1, %s", name) << 1 << b << 11;
    }
}

void TestPalette::eraseWithEveryButton()
{
    QFETCH(int, eraser);
    QFETCH(Qt::MouseButton, button);
    QFETCH(int, side);
    Fixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    QCOMPARE(w.chkGrid->Value(), 1);
    // a recorded stamp first, so that an erase that recorded would show
    const qint16 h = hotSpotOf(27);
    moveTo(w.picTile(h));
    QTest::mouseClick(w.picTile(h), Qt::LeftButton, {}, {4, 4});
    const UndoRecord recorded = w.Ring->record(1);
    w.Canvas.fillRect(QRect(20, 20, 60, 60), 0x00000000); // black all around the square
    w.shpCursor->move(30, 30);

    PictureBox* e = w.picErase[eraser];
    moveTo(e);
    QCOMPARE(e->BackColor(), kLightRed);
    QCOMPARE(w.HoveredEraseButton, qint16(eraser));
    QTest::mousePress(e, button, {}, {5, 5});
    QCOMPARE(e->BackColor(), kRed);
    QTest::mouseRelease(e, button, {}, {5, 5});
    QCOMPARE(e->BackColor(), kLightRed);
    QCOMPARE(QApplication::focusWidget(), w.cmdFob);

    for (int y = 20; y < 80; ++y)
        for (int x = 20; x < 80; ++x) {
            const bool inside = x >= 30 && x < 30 + side && y >= 30 && y < 30 + side;
            const QRgb want = !inside ? 0 : isGridPosition(x, y) ? kGridRgb : kWhiteRgb;
            QVERIFY2(rgbAt(w.Canvas, x, y) == want,
                     qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        }
    QCOMPARE(w.Ring->position(), qint16(1));
    QCOMPARE(w.Ring->record(2).State, QString());
    QCOMPARE(w.Ring->record(1).Left, recorded.Left);
    QCOMPARE(w.CurrentTile, TileForHotSpot(h));
    // leaving over the panel's background whitens the button
    moveTo(w.fraTileSet[9], bareSpot(w.fraTileSet[9]));
    QCOMPARE(e->BackColor(), kWhite);
    QCOMPARE(w.HoveredEraseButton, qint16(0));
}

void TestPalette::releaseBelongsToThePressedControl_data()
{
    QTest::addColumn<Place>("releaseOver");
    QTest::newRow("page background") << Place::PageBackground;
    QTest::newRow("another base panel") << Place::OtherBasePanel;
    QTest::newRow("canvas") << Place::Canvas;
    QTest::newRow("window background") << Place::WindowBackground;
}

void TestPalette::releaseBelongsToThePressedControl()
{
    QFETCH(Place, releaseOver);
    Fixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    const qint16 h = hotSpotOf(27);
    const qint16 tile = TileForHotSpot(h);
    w.shpCursor->move(90, 60);
    const QImage before = w.Canvas.image().copy(QRect({90, 60}, tileSize(tile)));
    moveTo(w.picTile(h));
    QTest::mousePress(w.picTile(h), Qt::LeftButton, {}, {4, 4});
    QWidget other;
    goTo(w, releaseOver, other); // with the button held: the moves belong to the hot-spot
    QCOMPARE(w.HoveredHotSpot, h);
    const Spot s = spotOf(w, releaseOver);
    QTest::mouseRelease(s.widget, Qt::LeftButton, {}, s.at);
    QCOMPARE(w.CurrentTile, tile);
    QCOMPARE(w.picTile(h)->BackColor(), kLightGreen);
    QCOMPARE(w.Ring->position(), qint16(1));
    QCOMPARE(w.shpCursor->pos(), QPoint(90, 60)); // a release over the canvas places nothing
    QVERIFY(matchesStamp(before, w.Canvas, TileCatalogue::instance().image(tile), {90, 60},
                         Mode::Overlay));
}

QTEST_MAIN(TestPalette)
#include "tst_palette.moc"

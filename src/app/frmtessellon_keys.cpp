// The drawing keys received by the focus holder, the keys of a focused hot-spot, cursor
// placement by mouse, keeping the cursor in view, and the wheel over the view.
#include "cursorshape.h"
#include "frmtessellon.h"
#include "keymapper.h"
#include "mapfile.h"
#include "picturebox.h"
#include "scrollbar.h"
#include "tilevariants.h"
#include "vbbuttons.h"
#include "vbconvert.h"
#include "zoomview.h"

#include <QKeyEvent>

namespace tessellon {

namespace {

// Entries of KeyCodes.
enum Entry : int {
    kUp = 1,
    kLeft,
    kRight,
    kDown,
    kUndo,
    kRedo,
    kRepeat,
    kErase,
    kTab1,
    kTab2,
    kTab3,
    k1x1,
    k3x3
};

// The order in which the focus holder tests the bindings: the first match wins.
constexpr int kDispatchOrder[] = {kUp,    kRight, kLeft, kDown, kUndo, kRedo, kRepeat,
                                  kErase, kTab1,  kTab2, kTab3, k1x1,  k3x3};
// The movement keys of a focused hot-spot, in their test order, with their direction.
struct Move
{
    int entry, dx, dy;
};
constexpr Move kHotSpotMoves[] = {{kUp, 0, -1}, {kRight, 1, 0}, {kLeft, -1, 0}, {kDown, 0, 1}};

constexpr int kHomeKey = 36;
constexpr int kShiftOnly = 1;
// Scroll ranges are 16-bit, so neither the canvas nor the cursor may pass this.
constexpr int kMaxCoordinate = kMaxPictureSide;

bool fitsInt16(int v)
{
    return v >= -32768 && v <= kMaxCoordinate;
}

// A follow step moves the view by one large step, one fifth of the canvas. On a canvas
// whose fifth is larger than the view, that step can leave the cursor where the opposite
// follow brings the view straight back, so the cursor never shows. Only there the step
// stops short, where the cursor's cell lies wholly inside the view. `cursor` is the
// cursor's place on the canvas along the bar; a scrolled canvas stands at 5 - value.
constexpr int kScrolledOrigin = 5;
// The view follows down or right once the cursor comes this close to its far edge.
constexpr int kFollowBand = 20;

// Down or right: where the step would leave the cursor before the view's top or left edge,
// only until its cell reaches that edge.
int followForward(const ScrollBar& bar, int cursor)
{
    const int step = std::min(bar.Value() + bar.LargeChange(), bar.Max());
    return std::min(step, kScrolledOrigin + cursor);
}

// Up or left: where the step would leave the cursor in the band by the far edge of a view
// `frame` pixels long, only until its cell shows whole, clear of that band.
int followBack(const ScrollBar& bar, int cursor, int frame, int cell)
{
    const int step = std::max(bar.Value() - bar.LargeChange(), 1);
    if (kScrolledOrigin - step + cursor < frame - kFollowBand) return step;
    return kScrolledOrigin + cursor - (frame - std::max(cell, kFollowBand + 1));
}

} // namespace

bool frmTessellon::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == cmdFob && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        // Tab and Shift+Tab still walk the focus chain, as on any button.
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) return false;
        cmdFob_KeyDown(virtualKeyCode(*k), modifierState(k->modifiers()));
        return true;
    }
    if ((watched == picCanvas || watched == picScrollContainer) && handleDrop(event)) return true;
    return QWidget::eventFilter(watched, event);
}

void frmTessellon::cmdFob_KeyDown(int keyCode, int shift)
{
    int matched = 0;
    if (keyCode != 0) {
        for (int entry : kDispatchOrder) {
            if (KeyCodes[entry] == keyCode) {
                matched = entry;
                break;
            }
        }
    }
    if (matched)
        runBinding(matched);
    else if (keyCode == kHomeKey && shift == kShiftOnly)
        viewHome();
    KeepCursorInView();
    focusFob();
}

void frmTessellon::runBinding(int entry)
{
    const int step = CursorStep;
    const QPoint c = cursorPos();
    switch (entry) {
    case kUp:
        if (c.y() >= step) shpCursor->setTop(c.y() - step);
        break;
    case kRight:
        if (c.x() + step <= kMaxCoordinate) shpCursor->setLeft(c.x() + step);
        break;
    case kLeft:
        if (c.x() >= step) shpCursor->setLeft(c.x() - step);
        break;
    case kDown:
        if (c.y() + step <= kMaxCoordinate) shpCursor->setTop(c.y() + step);
        break;
    case kUndo:
        Undo();
        break;
    case kRedo:
        Redo();
        break;
    case kRepeat:
        Stamp(repeatMode(leftOverlays()), CurrentTile);
        break;
    case kErase: {
        const int button = optScaleMove[0]->isChecked() ? 1 : 2;
        EraseAtCursor(button);
        picErase[button]->setBackColor(kWhite);
        break;
    }
    case kTab1:
        SelectTileSet(0);
        break;
    case kTab2:
        SelectTileSet(1);
        break;
    case kTab3:
        SelectTileSet(2);
        break;
    case k1x1:
        optScaleMove[0]->select();
        break;
    case k3x3:
        optScaleMove[1]->select();
        break;
    default:
        break;
    }
}

void frmTessellon::viewHome()
{
    VScroll->setValueFromCode(1);
    HScroll->setValueFromCode(1);
    shpCursor->move(0, 0);
}

void frmTessellon::picTile_KeyDown(int h, int keyCode)
{
    if (keyCode == 0) return;
    for (const Move& m : kHotSpotMoves) {
        if (KeyCodes[m.entry] != keyCode) continue;
        StampVariantOverlay(qint16(h));
        // no lower limit here: the cursor may go negative, later stamps are cut
        const QPoint next = cursorPos() + QPoint(m.dx, m.dy) * CursorStep;
        if (fitsInt16(next.x()) && fitsInt16(next.y())) shpCursor->move(next);
        return;
    }
}

void frmTessellon::StampVariantOverlay(qint16 hotSpot)
{
    const qint16 t = TileForHotSpot(hotSpot);
    CurrentTile = t;
    PushUndo(t);
    StampOverlay(t);
    PushRedo();
}

void frmTessellon::picCanvas_MouseDown(double x, double y)
{
    const int step = CursorStep;
    const int yi = roundHalfEven(y);
    const int xi = roundHalfEven(x);
    shpCursor->setTop(step * (yi / step));
    shpCursor->setLeft(step * (xi / step));
    KeepCursorInView();
    RepairGridAtCursor();
    focusFob();
}

void frmTessellon::KeepCursorInView()
{
    const QPoint c = cursorPos();
    // 1. and 2. Grow under the cursor, never past the 16-bit limit; both edges in one resize.
    QSize grown = Canvas.size();
    if (c.y() + CursorStep >= grown.height())
        grown.setHeight(std::max(grown.height(), std::min(c.y() + 31, kMaxCoordinate)));
    if (c.x() + CursorStep >= grown.width())
        grown.setWidth(std::max(grown.width(), std::min(c.x() + 31, kMaxCoordinate)));
    // memory that will not hold the new strip leaves the canvas as it is
    const bool grew = grown != Canvas.size() && setCanvasSize(grown.width(), grown.height());
    // 3. to 6. Follow with the ranges as they were before any growth.
    const int frameW = picScrollContainer->width(), frameH = picScrollContainer->height();
    if (picCanvas->y() + c.y() >= frameH - kFollowBand)
        VScroll->setValueFromCode(followForward(*VScroll, c.y()));
    if (picCanvas->x() + c.x() >= frameW - kFollowBand)
        HScroll->setValueFromCode(followForward(*HScroll, c.x()));
    if (picCanvas->y() + c.y() < 0)
        VScroll->setValueFromCode(followBack(*VScroll, c.y(), frameH, CursorStep));
    if (picCanvas->x() + c.x() < 0)
        HScroll->setValueFromCode(followBack(*HScroll, c.x(), frameW, CursorStep));
    // 7.
    if (grew) {
        PlaceResizeHandles();
        UpdateScrollRanges();
        if (gridOn()) DrawGrid();
    }
}

void frmTessellon::wireKeys()
{
    cmdFob->installEventFilter(this);
    connect(picCanvas, &PictureBox::MouseDown, this,
            [this](int, int, int, double x, double y) { picCanvas_MouseDown(x, y); });
    // The wheel moves the bars, so their Change moves the canvas and returns the focus.
    const auto scroll = [this](QPoint d) {
        VScroll->scrollBy(d.y());
        HScroll->scrollBy(d.x());
    };
    for (PictureBox* box : {picScrollContainer, picCanvas, Zoom->box()})
        connect(box, &PictureBox::Wheel, this, scroll);
    for (int i = 1; i <= 8; ++i)
        connect(picResizer[i], &PictureBox::Wheel, this, scroll);
}

} // namespace tessellon

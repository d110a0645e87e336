// Stamping, the undo ring and the grid, as the window's procedures: each reads the cursor
// and the grid check box and hands the pixel work to the canvas model.
#include "cursorshape.h"
#include "frmtessellon.h"
#include "grid.h"
#include "picturebox.h"
#include "stamping.h"
#include "tilecatalogue.h"
#include "undoring.h"
#include "vbbuttons.h"
#include "zoomview.h"

#include <QTimer>

namespace tessellon {

namespace {

const QImage& tileImage(qint16 tile)
{
    return TileCatalogue::instance().image(tile);
}

} // namespace

QPoint frmTessellon::cursorPos() const
{
    return shpCursor->pos();
}

bool frmTessellon::gridOn() const
{
    return chkGrid->Value() == 1;
}

bool frmTessellon::leftOverlays() const
{
    return optDefaultOverlay[1]->isChecked();
}

void frmTessellon::canvasChanged(const QRect& area)
{
    Zoom->damage(area);
    if (area.isNull())
        picCanvas->update();
    else
        picCanvas->update(area);
}

void frmTessellon::StampOverlay(qint16 tile)
{
    const QImage& img = tileImage(tile);
    tessellon::StampOverlay(Canvas, img, cursorPos());
    canvasChanged(QRect(cursorPos(), img.size()));
}

void frmTessellon::StampReplace(qint16 tile)
{
    const QImage& img = tileImage(tile);
    const QPoint c = cursorPos();
    tessellon::StampReplace(Canvas, img, c, gridOn());
    canvasChanged(gridRepairArea(c.x(), c.y()) | QRect(c, img.size()));
}

void frmTessellon::Stamp(StampMode mode, qint16 tile)
{
    if (mode == StampMode::Overlay) StampOverlay(tile);
    if (mode == StampMode::Replace) StampReplace(tile);
}

void frmTessellon::RepairGridAtCursor()
{
    const QPoint c = cursorPos();
    tessellon::RepairGridAtCursor(Canvas, c.x(), c.y(), gridOn());
    canvasChanged(gridRepairArea(c.x(), c.y()));
}

void frmTessellon::PushUndo(qint16 tile)
{
    Ring->PushUndo(Canvas, cursorPos(), tileSize(tile));
    picUndo[Ring->position()]->update();
}

void frmTessellon::PushRedo()
{
    Ring->PushRedo(Canvas);
    picRedo[Ring->position()]->update();
}

void frmTessellon::Undo()
{
    QPoint c = cursorPos();
    Ring->Undo(Canvas, c, gridOn());
    shpCursor->move(c);
    canvasChanged();
}

void frmTessellon::Redo()
{
    QPoint c = cursorPos();
    Ring->Redo(Canvas, c, gridOn());
    shpCursor->move(c);
    canvasChanged();
}

void frmTessellon::cmdUndo_Click()
{
    Undo();
    focusFob();
}

void frmTessellon::cmdRedo_Click()
{
    Redo();
    focusFob();
}

void frmTessellon::DrawGrid()
{
    tessellon::DrawGrid(Canvas);
    picCanvas->update(); // the zoomed-out copies take dots for white: nothing to redo there
}

void frmTessellon::EraseGrid()
{
    tessellon::EraseGrid(Canvas);
    picCanvas->update();
}

void frmTessellon::chkGrid_Click()
{
    if (gridOn())
        DrawGrid();
    else
        EraseGrid();
    focusFob();
}

void frmTessellon::tmrDrawInitialGrid_Timer()
{
    // The grid must cover the fitted canvas: wait for the first layout if it is late.
    if (!FirstLayoutDone) return;
    tmrDrawInitialGrid->stop();
    DrawGrid();
}

} // namespace tessellon

#include "stamping.h"

#include "grid.h"
#include "surface.h"

#include <QImage>

namespace tessellon {

StampMode stampModeFor(int mouseButton, bool leftOverlays)
{
    for (const StampButtonRule& rule : kStampButtonRules) {
        if (rule.button == mouseButton)
            return leftOverlays ? rule.whenLeftOverlays : rule.whenRightOverlays;
    }
    return StampMode::None;
}

StampMode repeatMode(bool leftOverlays)
{
    return stampModeFor(1, leftOverlays);
}

void StampOverlay(Surface& canvas, const QImage& tile, QPoint cursor)
{
    if (tile.isNull()) return;
    canvas.paintPicture(tile, cursor.x(), cursor.y(), RasterOp::SrcAnd);
}

void StampReplace(Surface& canvas, const QImage& tile, QPoint cursor, bool gridOn)
{
    if (tile.isNull()) return;
    canvas.paintPicture(tile, cursor.x(), cursor.y(), RasterOp::SrcCopy);
    RepairGridAtCursor(canvas, cursor.x(), cursor.y(), gridOn);
}

} // namespace tessellon

#include "undoring.h"

#include "grid.h"

namespace tessellon {

// A buffer takes its memory at its first snapshot rather than at start-up; until then it
// reads as white, as a fresh one did.
void UndoRing::snapshot(const Surface& canvas, const UndoRecord& r, Surface& buffer)
{
    if (buffer.width() == 0 && !buffer.setSize(kBufferSide, kBufferSide)) return;
    // Whiten first so that what lay outside the canvas reads as new canvas area would,
    // not as a leftover of an older snapshot, should the canvas grow before the paste.
    buffer.fillRect(QRect(0, 0, r.Width, r.Height), kWhite);
    buffer.paintPicture(canvas.image(), 0, 0, QRect(r.Left, r.Top, r.Width, r.Height));
}

void UndoRing::paste(const Surface& buffer, const UndoRecord& r, Surface& canvas)
{
    if (buffer.width() == 0)
        canvas.fillRect(QRect(r.Left, r.Top, r.Width, r.Height), kWhite);
    else
        canvas.paintPicture(buffer.image(), r.Left, r.Top, QRect(0, 0, r.Width, r.Height));
}

void UndoRing::PushUndo(const Surface& canvas, QPoint cursor, QSize tileSize)
{
    UndoPosition = next(UndoPosition);
    UndoRecord& r = UndoRecords[UndoPosition];
    r.Left = qint16(cursor.x());
    r.Top = qint16(cursor.y());
    r.Width = qint16(tileSize.width());
    r.Height = qint16(tileSize.height());
    r.State = kUndoActive;
    snapshot(canvas, r, picUndo[UndoPosition]);
}

void UndoRing::PushRedo(const Surface& canvas)
{
    if (UndoPosition < 1) return; // no PushUndo yet
    snapshot(canvas, UndoRecords[UndoPosition], picRedo[UndoPosition]);
}

bool UndoRing::Undo(Surface& canvas, QPoint& cursor, bool gridOn)
{
    const qint16 p = UndoPosition;
    UndoRecord& r = UndoRecords[p];
    const bool acts = r.State == kUndoActive;
    if (acts) {
        paste(picUndo[p], r, canvas);
        cursor = QPoint(r.Left, r.Top);
        r.State = kUndoInactive;
        UndoPosition = previous(p);
    }
    RepairGridAtCursor(canvas, cursor.x(), cursor.y(), gridOn);
    return acts;
}

bool UndoRing::Redo(Surface& canvas, QPoint& cursor, bool gridOn)
{
    const qint16 q = next(UndoPosition);
    UndoRecord& r = UndoRecords[q];
    const bool acts = r.State == kUndoInactive;
    if (acts) {
        paste(picRedo[q], r, canvas);
        cursor = QPoint(r.Left, r.Top);
        r.State = kUndoActive;
        UndoPosition = q;
    }
    RepairGridAtCursor(canvas, cursor.x(), cursor.y(), gridOn);
    return acts;
}

} // namespace tessellon

#pragma once

#include "surface.h"

#include <QPoint>
#include <QSize>
#include <QString>

#include <array>

namespace tessellon {

/// One slot of the ring: where the stamp went, the tile's size, and whether it can be
/// undone ("Active"), redone ("Inactive") or was never written (empty). Compared exactly.
struct UndoRecord
{
    qint16 Left = 0;
    qint16 Top = 0;
    qint16 Height = 0;
    qint16 Width = 0;
    QString State;
};

inline const QString kUndoActive = QStringLiteral("Active");
inline const QString kUndoInactive = QStringLiteral("Inactive");

/// The five-slot undo ring with its before (undo) and after (redo) snapshots of the canvas
/// rectangle under each recorded stamp.
///
/// Not a stack: a new record takes the slot after UndoPosition and leaves the others alone,
/// so records undone earlier that lie further along the ring stay redoable. Nothing ever
/// clears the ring; loading or resizing the canvas leaves it as it is.
///
/// Undo and Redo repair the grid themselves, always (also when they do nothing), around the
/// cursor as it is afterwards; the caller passes the grid check box state.
class UndoRing
{
public:
    static constexpr int kSlots = 5;
    static constexpr int kBufferSide = 121; // the largest tile image

    /// Advances the ring and stores the canvas rectangle at `cursor` of the size of the tile
    /// about to be stamped. Parts of the rectangle outside the canvas are stored as white.
    void PushUndo(const Surface& canvas, QPoint cursor, QSize tileSize);
    /// Stores the same rectangle after the stamp; call it with the cursor unchanged.
    void PushRedo(const Surface& canvas);
    /// Pastes back the newest active record and moves the cursor to it. Returns whether it
    /// acted; the grid near the cursor is repaired either way.
    bool Undo(Surface& canvas, QPoint& cursor, bool gridOn);
    /// Re-applies the record after the newest active one if that one was undone.
    bool Redo(Surface& canvas, QPoint& cursor, bool gridOn);

    /// Slot `index`, 1 to 5; 0 is the never-written slot that UndoPosition 0 names.
    const UndoRecord& record(int index) const { return UndoRecords.at(index); }
    qint16 position() const noexcept { return UndoPosition; }
    const Surface& undoBuffer(int index) const { return picUndo.at(index); }
    const Surface& redoBuffer(int index) const { return picRedo.at(index); }

private:
    static qint16 next(qint16 p) noexcept { return p >= kSlots ? 1 : qint16(p + 1); }
    static qint16 previous(qint16 p) noexcept { return p <= 1 ? kSlots : qint16(p - 1); }
    static void snapshot(const Surface& canvas, const UndoRecord& r, Surface& buffer);
    static void paste(const Surface& buffer, const UndoRecord& r, Surface& canvas);

    std::array<UndoRecord, kSlots + 1> UndoRecords{}; // index 0 stays empty
    qint16 UndoPosition = 0;
    std::array<Surface, kSlots + 1> picUndo;
    std::array<Surface, kSlots + 1> picRedo;
};

} // namespace tessellon

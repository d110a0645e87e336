#pragma once

#include "vbcolor.h"

#include <QRect>

namespace tessellon {

class Surface;

/// Grid spacing in canvas pixels; fixed, whatever the tile size or cursor step.
inline constexpr int kGridSpacing = 30;

/// True for the dot positions: x a positive multiple of 30 and y odd, or y a positive
/// multiple of 30 and x odd. The crossings (both even) and the left and top edges never are.
constexpr bool isGridPosition(int x, int y) noexcept
{
    const bool onVertical = x > 0 && x % kGridSpacing == 0 && y % 2 != 0;
    const bool onHorizontal = y > 0 && y % kGridSpacing == 0 && x % 2 != 0;
    return onVertical || onHorizontal;
}

/// Paints the grid colour onto every white grid position. Idempotent; pixels of any other
/// colour are left alone, so tile lines run through the grid unbroken.
void DrawGrid(Surface& canvas);

/// Paints white onto every grid position that holds the grid colour. After DrawGrid it
/// restores the canvas exactly, as long as the drawing had no grid colour on grid positions.
void EraseGrid(Surface& canvas);

/// Brings the dots near the cursor in line with `gridOn`: five vertical lines (61 odd rows
/// each, from the grid line at or before `top`, minus one) and four horizontal lines
/// (46 odd columns each). Reads and writes at most 489 pixels, whatever the canvas size.
/// The caller passes the grid check box state; the model keeps no grid flag.
void RepairGridAtCursor(Surface& canvas, int left, int top, bool gridOn);

/// Every pixel RepairGridAtCursor may read or write for a cursor at (`left`, `top`), before
/// clipping to the canvas. It starts at the grid line at or before the cursor, which for a
/// negative position off the grid lies after it.
QRect gridRepairArea(int left, int top);

} // namespace tessellon

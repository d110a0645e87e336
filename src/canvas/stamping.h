#pragma once

#include <QPoint>

#include <array>

class QImage;

namespace tessellon {

class Surface;

/// How a stamp combines the tile with the canvas.
enum class StampMode {
    None,    // nothing is stamped (e.g. the middle button)
    Overlay, // AND: the tile's lines are added, its white leaves the canvas alone
    Replace, // copy, then the grid around the cursor is repaired
};

/// Which stamp a mouse button makes, for either setting of the overlay option.
struct StampButtonRule
{
    int button; // 1 left, 2 right
    StampMode whenLeftOverlays;
    StampMode whenRightOverlays;
};

inline constexpr std::array<StampButtonRule, 2> kStampButtonRules{{
    {1, StampMode::Overlay, StampMode::Replace},
    {2, StampMode::Replace, StampMode::Overlay},
}};

/// The mode for a mouse button; any button not in the table stamps nothing.
StampMode stampModeFor(int mouseButton, bool leftOverlays);
/// The mode of the Repeat command: whatever the left button does.
StampMode repeatMode(bool leftOverlays);

/// ANDs `tile` onto the canvas with its top-left at `cursor`; clipped at every edge.
/// The grid needs no repair: grey AND white stays grey, a dot under a line turns black.
/// A null tile does nothing.
void StampOverlay(Surface& canvas, const QImage& tile, QPoint cursor);

/// Copies `tile` onto the canvas at `cursor`, then repairs the grid there for `gridOn`
/// (the copy wiped the dots under the tile). A null tile does nothing, not even the repair.
void StampReplace(Surface& canvas, const QImage& tile, QPoint cursor, bool gridOn);

} // namespace tessellon

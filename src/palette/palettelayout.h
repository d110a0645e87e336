#pragma once

#include <QRect>
#include <QtGlobal>

#include <span>

namespace tessellon {

/// Frame numbers of the palette. Pages 0..3 share one place; 9 and 10 are always shown.
/// kMiscFrame is the hidden frame that is never shown.
inline constexpr qint16 kPageStandard = 0;
inline constexpr qint16 kPageLarge = 1;
inline constexpr qint16 kPageRooms = 2;
inline constexpr qint16 kPageKeyBindings = 3;
inline constexpr qint16 kRightPanel = 9;
inline constexpr qint16 kLeftPanel = 10;
inline constexpr qint16 kMiscFrame = -1;

/// One palette frame: its place in the window (pixels) and whether it shows at start.
struct FrameSpec
{
    qint16 frame;
    qint16 x, y, w, h;
    bool shownAtStart;
};

/// One base panel `picBaseTile(panel)`: frame, place inside the frame, border and own tile
/// (0 = none, for panel 0).
struct BasePanelSpec
{
    qint16 panel;
    qint16 frame;
    qint16 x, y, w, h;
    bool border;
    qint16 ownTile;
};

/// One hot-spot `picTile(hotSpot)`: `panel` is its Tag (the base panel it previews on);
/// `anchor` is the base panel whose top-left its offset is measured from (they differ only
/// where a group's hot-spots stand around another panel).
struct HotSpotSpec
{
    qint16 hotSpot;
    qint16 panel;
    qint16 anchor;
    qint16 dx, dy, w, h;
    bool border;
};

/// A thin vertical separator line in a frame, from (x, y1) to (x, y2).
struct SeparatorSpec
{
    qint16 frame;
    qint16 x, y1, y2;
};

std::span<const FrameSpec> paletteFrames() noexcept;
/// Indexed by panel number 0..47.
std::span<const BasePanelSpec> basePanels() noexcept;
/// Indexed by hot-spot number 0..334.
std::span<const HotSpotSpec> hotSpots() noexcept;
std::span<const SeparatorSpec> paletteSeparators() noexcept;

/// The frame that holds hot-spot `hotSpot` (the frame of its anchor panel).
qint16 hotSpotFrame(qint16 hotSpot) noexcept;
/// The hot-spot's rectangle in its frame's coordinates.
QRect hotSpotRect(qint16 hotSpot) noexcept;
/// The base panel's rectangle in its frame's coordinates.
QRect basePanelRect(qint16 panel) noexcept;

} // namespace tessellon

#pragma once

#include <QtGlobal>

namespace tessellon {

/// The highest hot-spot number; hot-spots are numbered 0 (inert) to this.
inline constexpr qint16 kLastHotSpot = 334;

/// The tile image (1..335) that palette hot-spot `hotSpot` (1..334) stands for;
/// 0 for any number outside the table. Constant time, no allocation.
qint16 TileForHotSpot(qint16 hotSpot) noexcept;

} // namespace tessellon

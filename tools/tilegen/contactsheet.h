#pragma once

#include <QImage>

namespace tessellon::tileart {

/// All 335 tile images, enlarged `scale` times, each above its number, on a light background
/// so that white tiles and white margins stay visible. Lines of tiles wrap at `maxWidth`.
QImage contactSheet(int scale = 2, int maxWidth = 1600);

} // namespace tessellon::tileart

#pragma once

#include <QImage>

namespace tessellon {

/// A blank (uninitialised) RGB32 image of w x h pixels. Large images live in buffers that
/// are handed back to a small pool when the last image using them is gone, and reused by
/// the next large image that fits: a canvas growing strip by strip then copies into
/// memory already touched instead of faulting in fresh pages on every key press, which
/// costs far more than the copy. Buffers are allocated with headroom for that reason.
/// Returns a null image when memory runs out.
QImage allocateRgb32(int w, int h);

} // namespace tessellon

#pragma once

#include <QImage>

namespace tessellon {

/// Turns a decoded picture into the canvas format, RGB32 with every alpha 0xFF, putting
/// transparent parts on white, without a second image of the picture's size:
/// - when `decoded` lies in the buffer of `canvas` (an RGB32 image of the same size, each
///   decoded row at the start of a canvas row), its rows are widened in place;
/// - otherwise a 32- or 64-bit `decoded` is converted in its own buffer, and a narrower one
///   row by row into `canvas`.
/// Returns a null image when memory runs out.
QImage toCanvasFormat(QImage decoded, QImage canvas);

} // namespace tessellon

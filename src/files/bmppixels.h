#pragma once

class QIODevice;
class QImage;
class QString;

namespace tessellon {

struct BmpInfo;

/// Reads the uncompressed rows of the bitmap `b` into `image`, an RGB32 image of its size:
/// every pixel is written, opaque (alpha, where the header declares it, put on white). The caller has checked that the file holds all rows.
/// Returns false with a reason when reading fails.
bool readBmpRows(QIODevice& device, const BmpInfo& b, QImage& image, QString* error);

/// Whether the run-length coded pixels at the device's position reach the end of the
/// picture, or its end-of-bitmap mark, before the data ends. Reads without writing.
bool bmpRunsComplete(QIODevice& device, const BmpInfo& b);

/// Decodes the run-length coded pixels at the device's position into `image`, an RGB32
/// image of the bitmap's size. Pixels the runs never reach are white. Returns false when
/// the data ends before the picture does.
bool readBmpRuns(QIODevice& device, const BmpInfo& b, QImage& image);

} // namespace tessellon

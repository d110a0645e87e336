#pragma once

#include "surface.h"

#include <QImage>
#include <QString>

namespace tessellon {

/// The largest width or height of a picture we accept.
constexpr int kMaxPictureSide = 32767;
/// Memory a loaded picture may take as an RGB32 image: 1 GiB, enough for a 16384 x 16384
/// map and far beyond what the editor can draw, while a hostile header cannot make us
/// allocate more.
constexpr qint64 kPictureBudgetBytes = kMaxSurfaceBytes;

/// Whether a picture of `size` is within kMaxPictureSide and kPictureBudgetBytes.
bool pictureFits(QSize size) noexcept;

/// The file of a typed map name: `programDir`, a separator, `bareName` and ".bmp". The
/// name is used as typed; a backslash in it separates directories, as on the platform the
/// maps come from.
QString mapPath(const QString& programDir, const QString& bareName);

/// A read picture, or a null image and a short English reason.
struct PictureResult
{
    QImage image; // Format_RGB32 on success
    QString error;
};

/// Reads any picture Qt's readers know (uncompressed 24- and 32-bit bitmaps by a faster
/// path of our own). Pictures beyond the limits above are refused from their header,
/// before anything is decoded. Transparent parts are put on white, the canvas background.
PictureResult readPicture(const QString& path);

/// Writes `image` as a 24-bit Windows bitmap. The bytes go to a temporary file beside
/// `path` that replaces the target only when complete, so a failed save leaves an old file
/// of that name as it was; then false is returned with a reason in `error` (if given).
bool writeBitmap(const QImage& image, const QString& path, QString* error);

} // namespace tessellon

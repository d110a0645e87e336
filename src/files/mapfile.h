#pragma once

#include "replacefile.h"
#include "surface.h"

#include <QImage>
#include <QString>

#include <memory>

class QIODevice;

namespace tessellon {

class Progress;

/// The largest width or height of a picture we accept.
constexpr int kMaxPictureSide = 32767;
/// Memory a loaded picture may take as an RGB32 image: 1 GiB, enough for a 16384 x 16384
/// map and far beyond what the editor can draw, while a hostile header cannot make us
/// allocate more.
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
constexpr qint64 kPictureBudgetBytes = qint64(64) << 20; // fuzzing: many small runs
#else
constexpr qint64 kPictureBudgetBytes = kMaxSurfaceBytes;
#endif

/// Whether a picture of `size` is within kMaxPictureSide and kPictureBudgetBytes.
bool pictureFits(QSize size) noexcept;

/// The file `name` in `programDir`. The name is used as typed; a backslash in it separates
/// directories, as on the platform the maps come from.
QString fileInDir(const QString& programDir, const QString& name);

/// The file of a typed map name: fileInDir of `bareName` and ".bmp".
QString mapPath(const QString& programDir, const QString& bareName);

/// A read picture, or a null image and a short English reason.
struct PictureResult
{
    QImage image; // Format_RGB32 on success
    QString error;
    /// The block the pixels live in, for the surface to grow them in place (none when small).
    std::shared_ptr<PixelBlock> block;
};

/// Reads the picture in the regular file at `path` (anything else, a FIFO or a device say,
/// is refused without blocking), as readPicture(QIODevice&) does. With `progress`, the read
/// reports how far it has come there, and gives up soon after a stop is requested there.
PictureResult readPicture(const QString& path, Progress* progress = nullptr);

/// Reads a picture from the start of `device`, an open random-access device: a Windows or
/// OS/2 bitmap of any variant (or an OS/2 bitmap array's first one) or a GIF by our own
/// decoders, a PNG by libpng or a JPEG by libjpeg-turbo; everything else is refused. Every
/// pixel of the result comes from the file (or is white where a compressed bitmap or a GIF
/// leaves it unset). A picture beyond the limits above, or a file that is cut short or
/// damaged, is refused with a reason: beyond-limit ones before the picture is allocated,
/// cut-short bitmaps and GIFs too, PNGs and JPEGs while they are decoded. Transparent parts
/// are put on white.
PictureResult readPicture(QIODevice& device);

/// Writes `image` as a 24-bit Windows bitmap through a ReplacingFile (over `calls`), a band
/// of rows at a time: only a complete, synced file replaces the target, so a failed save,
/// a full disk included, leaves an old file of that name as it was; then false is returned
/// with a reason in `error` (if given). A stop requested through `progress` ends the save
/// the same way.
bool writeBitmap(const QImage& image, const QString& path, QString* error,
                 const FileCalls& calls = systemFileCalls(), Progress* progress = nullptr);

/// The formats a map is saved in.
enum class MapFormat { Bmp, Png };

/// Writes `image` as writeBitmap does, in `format`: as a PNG through writePngPixels, with
/// the same replacing of the old file.
bool writeMap(const QImage& image, const QString& path, MapFormat format, QString* error,
              const FileCalls& calls = systemFileCalls(), Progress* progress = nullptr);

} // namespace tessellon

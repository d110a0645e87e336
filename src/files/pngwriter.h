#pragma once

class QIODevice;
class QImage;
class QString;

namespace tessellon {

class Progress;

/// The row filter libpng puts before compression; `All` lets it choose one a row.
enum class PngFilter { None, Sub, Up, Paeth, All };

/// How one kind of PNG is compressed.
struct PngCompression
{
    int level; // zlib's level, 0 (stored) to 9 (smallest); no matter under `rle`
    bool rle;  // zlib's run-length strategy rather than its default one
    PngFilter filter;
};

/// The compression of palette and RGB pictures, chosen with bench_png on a 5999 x 5999 drawn
/// map and on one with a colour wash: of the fastest settings, the smallest. Higher levels
/// make files up to three times smaller in up to twice the time.
struct PngSettings
{
    PngCompression palette = {1, true, PngFilter::Up};
    PngCompression rgb = {3, false, PngFilter::Up};
};

/// Writes `image` to `out` as a PNG: an 8-bit palette one when it holds at most 256
/// colours, else 24-bit RGB; alpha is dropped, as in a bitmap. Every write is checked; a
/// failed one, or an error inside libpng, returns false with a reason in `error` (if given)
/// and the bytes written so far are to be thrown away; so does a stop requested through
/// `progress`, which hears of every band written. Reads nothing but `image`, so it may run
/// off the GUI thread.
bool writePngPixels(QIODevice& out, const QImage& image, const PngSettings& settings,
                    QString* error = nullptr, Progress* progress = nullptr);

} // namespace tessellon

// PNG files through libpng, a band of rows at a time. libpng reports its errors by longjmp,
// so every call into it happens in a function that holds no C++ object with a destructor;
// the bands are made between those calls, in ordinary C++ frames.
#include "pngwriter.h"

#include "bmpformat.h"
#include "progress.h"

#include <QImage>
#include <QIODevice>
#include <QString>

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace tessellon {

namespace {

constexpr size_t kCompressedBytes = 256 * 1024; // bytes handed to each write
constexpr quint32 kNoColour = 0xFFFFFFFF;       // no masked 24-bit colour is this
// The colour scan's share of the bar, in thousandths: about its share of a palette map's
// save, so the bar moves at one pace through both.
constexpr int kScanShare = 150;

// The colours of a picture of at most 256, in order of first sight, each found again by
// an open-addressed table twice their number. Maps come in long runs of one colour, so
// the callers skip a pixel equal to the one before.
class ColourTable
{
public:
    ColourTable() { keys_.fill(kNoColour); }

    /// Adds `c` (24 bits); false at a 257th colour.
    bool add(quint32 c)
    {
        int slot = find(c);
        if (keys_[size_t(slot)] == c) return true;
        if (count_ == 256) return false;
        keys_[size_t(slot)] = c;
        indices_[size_t(slot)] = uchar(count_);
        colours_[size_t(count_++)] = c;
        return true;
    }
    /// The index of a colour that was added.
    uchar index(quint32 c) const { return indices_[size_t(find(c))]; }
    int count() const { return count_; }
    quint32 colour(int i) const { return colours_[size_t(i)]; }

private:
    int find(quint32 c) const
    {
        int slot = int((c * 2654435761u) >> 23); // 9 bits
        while (keys_[size_t(slot)] != c && keys_[size_t(slot)] != kNoColour)
            slot = (slot + 1) & 511;
        return slot;
    }

    std::array<quint32, 512> keys_;
    std::array<uchar, 512> indices_{};
    std::array<quint32, 256> colours_{};
    int count_ = 0;
};

// Calls take(rows, top, n) for bands of RGB32 rows from the top down: RGB32 and ARGB32
// rows read in place, others converted a band at a time, never a second full image.
template <typename Take> bool forEachBand(const QImage& image, int bandRows, Take take)
{
    const bool direct =
        image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32;
    std::vector<const QRgb*> rows(static_cast<size_t>(bandRows));
    for (int top = 0; top < image.height(); top += bandRows) {
        const int n = std::min(bandRows, image.height() - top);
        const QImage band =
            direct ? image
                   : image.copy(0, top, image.width(), n).convertToFormat(QImage::Format_RGB32);
        if (band.isNull()) return false;
        for (int i = 0; i < n; ++i)
            rows[size_t(i)] =
                reinterpret_cast<const QRgb*>(band.constScanLine(direct ? top + i : i));
        if (!take(rows.data(), n)) return false;
    }
    return true;
}

enum class Colours { Few, Many, NoMemory, Stopped };

// Fills `table` with the picture's colours, stopping at a 257th, or when asked to.
Colours collectColours(const QImage& image, int bandRows, ColourTable& table, Progress* progress)
{
    bool many = false, stopped = false;
    int done = 0;
    const bool whole = forEachBand(image, bandRows, [&](const QRgb* const* rows, int n) {
        stopped = progress && progress->stopRequested();
        for (int i = 0; i < n && !many && !stopped; ++i) {
            quint32 last = kNoColour;
            for (int x = 0; x < image.width() && !many; ++x) {
                const quint32 c = rows[i][x] & 0xFFFFFF;
                if (c == last) continue;
                last = c;
                many = !table.add(c);
            }
        }
        if (progress) progress->report(done += n, image.height());
        return !many && !stopped;
    });
    if (stopped) return Colours::Stopped;
    if (many) return Colours::Many;
    return whole ? Colours::Few : Colours::NoMemory;
}

void toIndices(const QRgb* src, uchar* dst, int width, const ColourTable& table)
{
    quint32 last = kNoColour;
    uchar index = 0;
    for (int x = 0; x < width; ++x) {
        const quint32 c = src[x] & 0xFFFFFF;
        if (c != last) {
            last = c;
            index = table.index(c);
        }
        dst[x] = index;
    }
}

// Plain data only: the frames the error longjmp leaves must need no destructor.
struct PngWriteJob
{
    png_structp png = nullptr;
    png_infop info = nullptr;
    QIODevice* device = nullptr;
    bool writeFailed = false;
    char message[160] = {};
};

[[noreturn]] void onError(png_structp png, png_const_charp message)
{
    auto& job = *static_cast<PngWriteJob*>(png_get_error_ptr(png));
    std::strncpy(job.message, message, sizeof job.message - 1);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

void writeBytes(png_structp png, png_bytep data, size_t n)
{
    auto& job = *static_cast<PngWriteJob*>(png_get_io_ptr(png));
    if (job.device->write(reinterpret_cast<const char*>(data), qint64(n)) == qint64(n)) return;
    job.writeFailed = true;
    png_error(png, "write failed");
}

void flushNothing(png_structp) {} // the replacing file syncs once, at its commit

int filterFlags(PngFilter f)
{
    static constexpr std::array<int, 5> flags = {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP,
                                                 PNG_FILTER_PAETH, PNG_ALL_FILTERS};
    return flags[size_t(f)];
}

// The header, the palette (when `palette` has colours) and the compression settings.
bool writeHeader(PngWriteJob& job, int w, int h, const png_color* palette, int colours,
                 const PngSettings& s)
{
    if (setjmp(png_jmpbuf(job.png))) return false;
    png_set_write_fn(job.png, &job, writeBytes, flushNothing);
    png_set_compression_buffer_size(job.png, kCompressedBytes);
    const PngCompression& c = colours > 0 ? s.palette : s.rgb;
    png_set_compression_level(job.png, c.level);
    png_set_compression_strategy(job.png, c.rle ? Z_RLE : Z_DEFAULT_STRATEGY);
    png_set_filter(job.png, PNG_FILTER_TYPE_BASE, filterFlags(c.filter));
    png_set_IHDR(job.png, job.info, png_uint_32(w), png_uint_32(h), 8,
                 colours > 0 ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    if (colours > 0) png_set_PLTE(job.png, job.info, palette, colours);
    png_write_info(job.png, job.info);
    if (colours == 0) { // rows handed over as RGB32 in memory order
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        png_set_bgr(job.png);
        png_set_filler(job.png, 0, PNG_FILLER_AFTER);
#else
        png_set_filler(job.png, 0, PNG_FILLER_BEFORE);
#endif
    }
    return true;
}

bool writeRows(PngWriteJob& job, const void* const* rows, int n)
{
    if (setjmp(png_jmpbuf(job.png))) return false;
    png_write_rows(job.png, const_cast<png_bytepp>(reinterpret_cast<const png_byte* const*>(rows)),
                   png_uint_32(n));
    return true;
}

bool writeEnd(PngWriteJob& job)
{
    if (setjmp(png_jmpbuf(job.png))) return false;
    png_write_end(job.png, job.info);
    return true;
}

class PngWriteStruct
{
public:
    explicit PngWriteStruct(PngWriteJob& job) : job_(job)
    {
        job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &job, onError, onWarning);
        if (job.png) job.info = png_create_info_struct(job.png);
    }
    ~PngWriteStruct() { png_destroy_write_struct(&job_.png, job_.info ? &job_.info : nullptr); }
    PngWriteStruct(const PngWriteStruct&) = delete;
    PngWriteStruct& operator=(const PngWriteStruct&) = delete;

private:
    PngWriteJob& job_;
};

// The rows of every band, as palette indices when `table` has colours.
bool writeAllRows(PngWriteJob& job, const QImage& image, int bandRows, const ColourTable& table,
                  Progress* progress)
{
    const int w = image.width();
    int done = 0;
    std::vector<uchar> indices(table.count() > 0 ? size_t(bandRows) * size_t(w) : 0);
    std::vector<const void*> rows(static_cast<size_t>(bandRows));
    return forEachBand(image, bandRows, [&](const QRgb* const* band, int n) {
        if (progress && progress->stopRequested()) return false;
        for (int i = 0; i < n; ++i) {
            rows[size_t(i)] = band[i];
            if (table.count() == 0) continue;
            uchar* out = indices.data() + size_t(i) * size_t(w);
            toIndices(band[i], out, w, table);
            rows[size_t(i)] = out;
        }
        if (!writeRows(job, rows.data(), n)) return false;
        if (progress) progress->report(done += n, image.height());
        return true;
    });
}

} // namespace

bool writePngPixels(QIODevice& out, const QImage& image, const PngSettings& settings,
                    QString* error, Progress* progress)
{
    const auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    const int bandRows = bmpRowsPerChunk(qint64(image.width()) * 4);
    ColourTable table;
    if (progress) progress->setStage(0, kScanShare);
    const Colours colours = collectColours(image, bandRows, table, progress);
    if (progress) progress->setStage(kScanShare, 1000);
    if (colours == Colours::Stopped) return fail(stoppedReason());
    if (colours == Colours::Many) table = ColourTable(); // written as RGB
    std::vector<png_color> palette(size_t(table.count()));
    for (int i = 0; i < table.count(); ++i)
        palette[size_t(i)] = {png_byte(table.colour(i) >> 16), png_byte(table.colour(i) >> 8),
                              png_byte(table.colour(i))};
    PngWriteJob job;
    job.device = &out;
    const PngWriteStruct owner(job);
    if (colours == Colours::NoMemory || !job.info)
        return fail(QStringLiteral("not enough memory to save the PNG"));
    if (!writeHeader(job, image.width(), image.height(), palette.data(), table.count(), settings) ||
        !writeAllRows(job, image, bandRows, table, progress) || !writeEnd(job)) {
        if (progress && progress->stopRequested()) return fail(stoppedReason());
        if (job.writeFailed) return fail(out.errorString());
        if (job.message[0] == 0) return fail(QStringLiteral("not enough memory to save the PNG"));
        return fail(QStringLiteral("the PNG could not be made: ") +
                    QString::fromLatin1(job.message));
    }
    return true;
}

} // namespace tessellon

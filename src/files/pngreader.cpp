// PNG pictures through libpng, row by row straight into the canvas. libpng reports its
// errors by longjmp, so every call into it happens in a function that holds no C++ object
// with a destructor; the setjmp frames below keep to plain data.
#include "canvasrows.h"
#include "overwhite.h"
#include "picturereaders.h"
#include "progress.h"
#include "watcheddevice.h"

#include <QIODevice>

#include <png.h>

#include <cstring>

namespace tessellon {

namespace {

constexpr png_alloc_size_t kMaxChunkBytes = png_alloc_size_t(8) << 20;
constexpr png_uint_32 kMaxCachedChunks = 256; // ancillary chunks kept, against a flood of them
constexpr png_uint_32 kReadBytes = 64 * 1024;

struct PngJob
{
    png_structp png = nullptr;
    png_infop info = nullptr;
    QIODevice* device = nullptr;
    bool truncated = false;
    bool stopped = false;
    bool alpha = false;
    int passes = 1;
    png_uint_32 width = 0, height = 0;
    char message[160] = {};
};

PngJob& jobOf(png_structp png)
{
    return *static_cast<PngJob*>(png_get_error_ptr(png));
}

[[noreturn]] void onError(png_structp png, png_const_charp message)
{
    PngJob& job = jobOf(png);
    std::strncpy(job.message, message, sizeof job.message - 1);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {} // notes on ancillary chunks; pixels are checked

void readBytes(png_structp png, png_bytep out, size_t n)
{
    PngJob& job = *static_cast<PngJob*>(png_get_io_ptr(png));
    if (job.device->read(reinterpret_cast<char*>(out), qint64(n)) == qint64(n)) return;
    job.truncated = true;
    png_error(png, "the file ends early");
}

// Every colour type becomes 8-bit B, G, R, A in memory: an RGB32/ARGB32 pixel.
bool readHeader(PngJob& job)
{
    if (setjmp(png_jmpbuf(job.png))) return false;
    png_set_user_limits(job.png, kMaxPictureSide, kMaxPictureSide);
    png_set_chunk_malloc_max(job.png, kMaxChunkBytes);
    png_set_chunk_cache_max(job.png, kMaxCachedChunks);
    png_set_read_fn(job.png, &job, readBytes);
    png_set_compression_buffer_size(job.png, kReadBytes); // on reading: the IDAT read size
    png_read_info(job.png, job.info);
    const int type = png_get_color_type(job.png, job.info);
    job.alpha = (type & PNG_COLOR_MASK_ALPHA) || png_get_valid(job.png, job.info, PNG_INFO_tRNS);
    png_set_expand(job.png); // palettes, grey under 8 bits and tRNS
    png_set_scale_16(job.png);
    png_set_gray_to_rgb(job.png);
    png_set_bgr(job.png);
    png_set_filler(job.png, 0xFF, PNG_FILLER_AFTER);
    job.passes = png_set_interlace_handling(job.png);
    png_read_update_info(job.png, job.info);
    job.width = png_get_image_width(job.png, job.info);
    job.height = png_get_image_height(job.png, job.info);
    return png_get_rowbytes(job.png, job.info) == size_t(job.width) * 4;
}

// Interlaced pictures are assembled in the canvas rows themselves, pass by pass, and put on
// white after the last pass; the others row by row. The end chunk must follow the data.
bool readRows(PngJob& job, uchar* const* rows)
{
    if (setjmp(png_jmpbuf(job.png))) return false;
    const int w = int(job.width), h = int(job.height);
    const bool onWhiteNow = job.alpha && job.passes == 1;
    for (int pass = 0; pass < job.passes; ++pass) {
        for (int y = 0; y < h; ++y) {
            if (stopRequested(*job.device)) return job.stopped = true, false;
            png_read_row(job.png, rows[y], nullptr);
            if (onWhiteNow) rowOnWhite(reinterpret_cast<QRgb*>(rows[y]), w);
        }
    }
    for (int y = 0; job.alpha && job.passes > 1 && y < h; ++y)
        rowOnWhite(reinterpret_cast<QRgb*>(rows[y]), w);
    png_read_end(job.png, nullptr);
    return true;
}

class PngReadStruct
{
public:
    explicit PngReadStruct(PngJob& job) : job_(job)
    {
        job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job, onError, onWarning);
        if (job.png) job.info = png_create_info_struct(job.png);
    }
    ~PngReadStruct()
    {
        png_destroy_read_struct(&job_.png, job_.info ? &job_.info : nullptr, nullptr);
    }
    PngReadStruct(const PngReadStruct&) = delete;
    PngReadStruct& operator=(const PngReadStruct&) = delete;

private:
    PngJob& job_;
};

PictureResult failure(const PngJob& job)
{
    if (job.stopped) return refusal(stoppedReason());
    if (job.truncated) return refusal(QStringLiteral("the PNG is truncated"));
    return refusal(QStringLiteral("the PNG is damaged: ") + QString::fromLatin1(job.message));
}

} // namespace

PictureResult readPngFile(QIODevice& device, QSize expectedSize)
{
    PngJob job;
    job.device = &device;
    const PngReadStruct owner(job);
    if (!job.info) return noMemory();
    if (!readHeader(job)) return failure(job);
    const QSize size(int(job.width), int(job.height));
    if (!pictureFits(size)) return refusal(tooLarge(size));
    if (expectedSize.isValid() && size != expectedSize)
        return refusal(QStringLiteral("the embedded picture's size differs from the bitmap's"));
    CanvasRows canvas;
    if (!canvas.allocate(device, size.width(), size.height())) return noMemory();
    if (!readRows(job, canvas.rows.data())) return failure(job);
    return canvas.result();
}

} // namespace tessellon

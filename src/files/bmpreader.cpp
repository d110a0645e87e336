#include "bmpformat.h"
#include "bmpheader.h"
#include "bmppixels.h"
#include "picturereaders.h"
#include "pixelpool.h"
#include "progress.h"
#include "watcheddevice.h"

#include <QIODevice>

namespace tessellon {

namespace {

// The bar's share, in thousandths, of the check of the runs before they are decoded.
constexpr int kRunsWalkShare = 300;

bool runLength(const BmpInfo& b)
{
    return b.compression == kBiRle8 || b.compression == kBiRle4 || b.compression == kOs2Rle24;
}

// A whole PNG or JPEG file as the pixels, of the size the bitmap's header gives.
PictureResult readEmbedded(QIODevice& device, const BmpInfo& b)
{
    // A file may be sought past its end and a buffer may not: both refuse alike here.
    if (b.pixelOffset >= device.size() || !device.seek(b.pixelOffset))
        return refusal(QStringLiteral("the bitmap is truncated"));
    const QSize size(b.width, b.rows);
    return b.compression == kBiPng ? readPngFile(device, size) : readJpegFile(device, size);
}

// Whether the file holds every pixel its headers announce. Uncompressed rows are counted
// from the file size; runs are walked once, without an image, so that a file cut short is
// refused before the canvas exists either way.
bool pixelsPresent(QIODevice& device, const BmpInfo& b)
{
    const qint64 available = device.size() - b.pixelOffset;
    if (!runLength(b)) return available >= bmpRowBytes(b.width, b.bitCount) * b.rows;
    // the runs are read twice: the bar moves through both
    if (Progress* progress = watchedProgress(device)) progress->setStage(0, kRunsWalkShare);
    return available > 0 && device.seek(b.pixelOffset) && bmpRunsComplete(device, b);
}

} // namespace

PictureResult readBitmapFile(QIODevice& device)
{
    BmpInfo b;
    QString error;
    if (!readBmpHeader(device, &b, &error)) return refusal(error);
    const QSize size(b.width, b.rows);
    if (!pictureFits(size)) return refusal(tooLarge(size));
    if (b.compression == kBiPng || b.compression == kBiJpeg) return readEmbedded(device, b);
    // No reference file or documented convention settles which colour its first run has
    // or how its rows end; a guess would show some pictures inverted.
    if (b.compression == kOs2Huffman1D)
        return refusal(QStringLiteral("the bitmap's encoding (OS/2 Huffman 1D) is not supported"));
    if (!pixelsPresent(device, b)) return refusal(QStringLiteral("the bitmap is truncated"));
    Progress* progress = watchedProgress(device);
    if (progress && runLength(b)) progress->setStage(kRunsWalkShare, 1000);
    OwnedPixels canvas = allocateWatchedPixels(device, b.width, b.rows);
    PictureResult r{std::move(canvas.image), QString(), std::move(canvas.block)};
    if (r.image.isNull()) return noMemory();
    if (stopRequested(device)) return refusal(stoppedReason()); // before a whole-canvas fill
    if (runLength(b)) {
        if (!device.seek(b.pixelOffset) || !readBmpRuns(device, b, r.image))
            return refusal(QStringLiteral("the bitmap could not be read"));
    } else if (!readBmpRows(device, b, r.image, &error)) {
        return refusal(error);
    }
    return r;
}

PictureResult readBitmapArray(QIODevice& device)
{
    // The array's entry header, then the first bitmap's own file header: its offsets count
    // from the start of the file, as in a file of one bitmap.
    if (device.size() <= kBmpFileHeaderSize || !device.seek(kBmpFileHeaderSize) ||
        device.peek(2) != "BM")
        return refusal(QStringLiteral("the bitmap array holds no bitmap we read"));
    return readBitmapFile(device);
}

} // namespace tessellon

#include "bmpformat.h"
#include "bmpheader.h"
#include "bmppixels.h"
#include "picturereaders.h"
#include "pixelpool.h"

#include <QIODevice>

namespace tessellon {

namespace {

bool runLength(const BmpInfo& b)
{
    return b.compression == kBiRle8 || b.compression == kBiRle4;
}

// Whether the file holds every pixel its headers announce. Uncompressed rows are counted
// from the file size; runs are walked once, without an image, so that a file cut short is
// refused before the canvas exists either way.
bool pixelsPresent(QIODevice& device, const BmpInfo& b)
{
    const qint64 available = device.size() - b.pixelOffset;
    if (!runLength(b)) return available >= bmpRowBytes(b.width, b.bitCount) * b.rows;
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
    if (!pixelsPresent(device, b)) return refusal(QStringLiteral("the bitmap is truncated"));
    PictureResult r{allocateRgb32(b.width, b.rows), QString()};
    if (r.image.isNull()) return refusal(QStringLiteral("not enough memory for the picture"));
    if (runLength(b)) {
        if (!device.seek(b.pixelOffset) || !readBmpRuns(device, b, r.image))
            return refusal(QStringLiteral("the bitmap could not be read"));
    } else if (!readBmpRows(device, b, r.image, &error)) {
        return refusal(error);
    }
    return r;
}

} // namespace tessellon

#include "bmpformat.h"

#include "bmpheader.h"
#include "littleendian.h"
#include "progress.h"

#include <QImage>
#include <QIODevice>

#include <algorithm>
#include <vector>

namespace tessellon {

namespace {

constexpr quint32 kPixelsPerMetre = 2835; // 72 dots per inch

void rowTo24(const QRgb* src, uchar* dst, int width)
{
    int x = 0;
    for (; x + 4 <= width; x += 4, dst += 12) {
        const quint32 p0 = src[x], p1 = src[x + 1], p2 = src[x + 2], p3 = src[x + 3];
        putLe<quint32>(dst, (p0 & 0xFFFFFF) | (p1 << 24));
        putLe<quint32>(dst + 4, ((p1 >> 8) & 0xFFFF) | (p2 << 16));
        putLe<quint32>(dst + 8, ((p2 >> 16) & 0xFF) | (p3 << 8));
    }
    for (; x < width; ++x, dst += 3) {
        const QRgb c = src[x];
        dst[0] = uchar(qBlue(c));
        dst[1] = uchar(qGreen(c));
        dst[2] = uchar(qRed(c));
    }
}

} // namespace

std::array<char, kBmpHeadersSize> bmp24Headers(int w, int h)
{
    const quint32 imageBytes = quint32(bmpRowBytes(w, 24) * h);
    std::array<char, kBmpHeadersSize> b{};
    b[0] = 'B';
    b[1] = 'M';
    putLe<quint32>(&b[2], kBmpHeadersSize + imageBytes);
    putLe<quint32>(&b[10], kBmpHeadersSize);
    putLe<quint32>(&b[14], kBmpInfoHeaderSize);
    putLe<qint32>(&b[18], w);
    putLe<qint32>(&b[22], h); // positive: bottom-up
    putLe<quint16>(&b[26], 1);
    putLe<quint16>(&b[28], 24);
    putLe<quint32>(&b[30], kBiRgb);
    putLe<quint32>(&b[34], imageBytes);
    putLe<quint32>(&b[38], kPixelsPerMetre);
    putLe<quint32>(&b[42], kPixelsPerMetre);
    return b; // palette sizes at 46 and 50 stay 0
}

bool writeBmp24Pixels(QIODevice& out, const QImage& image, QString* error, Progress* progress)
{
    const int w = image.width();
    const qint64 rowBytes = bmpRowBytes(w, 24);
    const int chunkRows = bmpRowsPerChunk(rowBytes);
    std::vector<char> buf(size_t(chunkRows * rowBytes), 0); // padding bytes stay zero
    // RGB32 and ARGB32 rows are read in place; other formats are converted one band of
    // rows at a time, so no second full image is ever made.
    const bool direct =
        image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32;
    for (int bottom = image.height(); bottom > 0;) {
        if (progress && progress->stopRequested()) {
            if (error) *error = stoppedReason();
            return false;
        }
        const int n = std::min(chunkRows, bottom);
        const int top = bottom - n;
        const QImage band =
            direct ? image : image.copy(0, top, w, n).convertToFormat(QImage::Format_RGB32);
        // Under memory pressure the copy or the conversion is null: no rows to take.
        if (band.isNull()) {
            if (error) *error = QStringLiteral("not enough memory to convert the picture");
            return false;
        }
        const int bandTop = direct ? 0 : top;
        for (int i = 0; i < n; ++i) {
            const int y = bottom - 1 - i;
            rowTo24(reinterpret_cast<const QRgb*>(band.constScanLine(y - bandTop)),
                    reinterpret_cast<uchar*>(buf.data() + i * rowBytes), w);
        }
        if (out.write(buf.data(), n * rowBytes) != n * rowBytes) {
            if (error) *error = out.errorString();
            return false;
        }
        bottom = top;
        if (progress) progress->report(image.height() - bottom, image.height());
    }
    return true;
}

} // namespace tessellon

#include "bmpformat.h"

#include "pixelpool.h"

#include <QImage>
#include <QIODevice>
#include <QString>
#include <QtEndian>

#include <algorithm>
#include <limits>
#include <vector>

namespace tessellon {

namespace {

constexpr quint32 kBiRgb = 0;             // uncompressed
constexpr quint32 kPixelsPerMetre = 2835; // 72 dots per inch
// Rows are moved in chunks of about this many bytes: large writes, a small buffer.
constexpr qint64 kChunkBytes = qint64(1) << 20;

template <typename T> T le(const void* p)
{
    return qFromLittleEndian<T>(p);
}

template <typename T> void putLe(void* p, T v)
{
    qToLittleEndian<T>(v, p);
}

int rowsPerChunk(qint64 rowBytes)
{
    return int(std::max<qint64>(1, kChunkBytes / rowBytes));
}

// Four pixels are three little-endian words: b0 g0 r0 b1 | g1 r1 b2 g2 | r2 b3 g3 r3.
// Whole words instead of single bytes make the conversion several times faster.
void rowFrom24(const uchar* src, QRgb* dst, int width)
{
    constexpr quint32 opaque = 0xFF000000;
    int x = 0;
    for (; x + 4 <= width; x += 4, src += 12) {
        const quint32 w0 = le<quint32>(src), w1 = le<quint32>(src + 4), w2 = le<quint32>(src + 8);
        dst[x] = opaque | (w0 & 0xFFFFFF);
        dst[x + 1] = opaque | (w0 >> 24) | ((w1 & 0xFFFF) << 8);
        dst[x + 2] = opaque | (w1 >> 16) | ((w2 & 0xFF) << 16);
        dst[x + 3] = opaque | (w2 >> 8);
    }
    for (; x < width; ++x, src += 3)
        dst[x] = qRgb(src[2], src[1], src[0]);
}

void rowFrom32(const uchar* src, QRgb* dst, int width)
{
    // The fourth byte of an uncompressed 32-bit pixel is unused; the canvas is opaque.
    for (int x = 0; x < width; ++x, src += 4)
        dst[x] = qRgb(src[2], src[1], src[0]);
}

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

std::optional<BmpHeader> parseFastBmpHeader(const char* data, qint64 size)
{
    if (size < kBmpHeadersSize || data[0] != 'B' || data[1] != 'M') return std::nullopt;
    const quint32 infoSize = le<quint32>(data + 14);
    // BITMAPINFOHEADER and its longer successors start alike; the short OS/2 one does not.
    if (infoSize < kBmpInfoHeaderSize || infoSize > 1024) return std::nullopt;
    BmpHeader h;
    h.pixelOffset = le<quint32>(data + 10);
    h.width = le<qint32>(data + 18);
    h.height = le<qint32>(data + 22);
    const quint16 planes = le<quint16>(data + 26);
    h.bitCount = le<quint16>(data + 28);
    h.compression = le<quint32>(data + 30);
    if (planes != 1 || (h.bitCount != 24 && h.bitCount != 32) || h.compression != kBiRgb)
        return std::nullopt;
    if (h.width <= 0 || h.height == 0 || h.height == std::numeric_limits<qint32>::min())
        return std::nullopt;
    if (h.pixelOffset < kBmpFileHeaderSize + infoSize) return std::nullopt;
    return h;
}

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

bool readFastBmpPixels(QIODevice& file, const BmpHeader& h, QImage* image, QString* error)
{
    const int w = h.width;
    const int rows = h.height < 0 ? -h.height : h.height;
    const qint64 rowBytes = bmpRowBytes(w, h.bitCount);
    if (file.size() - qint64(h.pixelOffset) < rowBytes * rows) {
        *error = QStringLiteral("the bitmap is truncated");
        return false;
    }
    QImage img = allocateRgb32(w, rows);
    if (img.isNull() || !file.seek(h.pixelOffset)) {
        *error = QStringLiteral("not enough memory for the picture");
        return false;
    }
    const int chunkRows = rowsPerChunk(rowBytes);
    std::vector<char> buf(size_t(chunkRows * rowBytes));
    const auto convert = h.bitCount == 24 ? rowFrom24 : rowFrom32;
    for (int done = 0; done < rows;) {
        const int n = std::min(chunkRows, rows - done);
        if (file.read(buf.data(), n * rowBytes) != n * rowBytes) {
            *error = QStringLiteral("the bitmap could not be read: ") + file.errorString();
            return false;
        }
        for (int i = 0; i < n; ++i) {
            const int fileRow = done + i;
            const int y = h.height < 0 ? fileRow : rows - 1 - fileRow;
            convert(reinterpret_cast<const uchar*>(buf.data() + i * rowBytes),
                    reinterpret_cast<QRgb*>(img.scanLine(y)), w);
        }
        done += n;
    }
    *image = std::move(img);
    return true;
}

bool writeBmp24Pixels(QIODevice& out, const QImage& image)
{
    const int w = image.width();
    const qint64 rowBytes = bmpRowBytes(w, 24);
    const int chunkRows = rowsPerChunk(rowBytes);
    std::vector<char> buf(size_t(chunkRows * rowBytes), 0); // padding bytes stay zero
    // RGB32 and ARGB32 rows are read in place; other formats are converted one band of
    // rows at a time, so no second full image is ever made.
    const bool direct =
        image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32;
    for (int bottom = image.height(); bottom > 0;) {
        const int n = std::min(chunkRows, bottom);
        const int top = bottom - n;
        const QImage band =
            direct ? image : image.copy(0, top, w, n).convertToFormat(QImage::Format_RGB32);
        const int bandTop = direct ? 0 : top;
        for (int i = 0; i < n; ++i) {
            const int y = bottom - 1 - i;
            rowTo24(reinterpret_cast<const QRgb*>(band.constScanLine(y - bandTop)),
                    reinterpret_cast<uchar*>(buf.data() + i * rowBytes), w);
        }
        if (out.write(buf.data(), n * rowBytes) != n * rowBytes) return false;
        bottom = top;
    }
    return true;
}

} // namespace tessellon

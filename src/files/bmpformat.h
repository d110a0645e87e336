#pragma once

#include <QtGlobal>

#include <array>
#include <optional>

class QIODevice;
class QImage;
class QString;

namespace tessellon {

/// The fields of a bitmap file's header that the fast reader and the writer need.
struct BmpHeader
{
    qint32 width = 0;
    qint32 height = 0; // negative: rows stored top-down
    quint16 bitCount = 0;
    quint32 compression = 0;
    quint32 pixelOffset = 0;
};

constexpr int kBmpFileHeaderSize = 14;
constexpr int kBmpInfoHeaderSize = 40; // BITMAPINFOHEADER
constexpr int kBmpHeadersSize = kBmpFileHeaderSize + kBmpInfoHeaderSize;

/// Bytes of one stored row: `bitCount` bits a pixel, padded to four bytes.
constexpr qint64 bmpRowBytes(qint64 width, int bitCount)
{
    return (width * bitCount + 31) / 32 * 4;
}

/// The header of a bitmap whose pixels our fast path reads (uncompressed, 24 or 32 bits,
/// one plane), or nothing for everything else, which is left to Qt's reader.
std::optional<BmpHeader> parseFastBmpHeader(const char* data, qint64 size);

/// The two headers of a bottom-up 24-bit bitmap of w x h pixels.
std::array<char, kBmpHeadersSize> bmp24Headers(int w, int h);

/// Reads the rows of a picture with header `h` from `file` into an RGB32 image. Returns
/// false with `error` set when the file is truncated or memory runs out.
bool readFastBmpPixels(QIODevice& file, const BmpHeader& h, QImage* image, QString* error);

/// Writes the rows of `image` bottom-up as 24-bit pixels, converting a band at a time.
bool writeBmp24Pixels(QIODevice& out, const QImage& image);

} // namespace tessellon

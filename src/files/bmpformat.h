#pragma once

#include <QtGlobal>

#include <array>

class QIODevice;
class QImage;
class QString;

namespace tessellon {

class Progress;

constexpr int kBmpFileHeaderSize = 14;
constexpr int kBmpInfoHeaderSize = 40; // BITMAPINFOHEADER
constexpr int kBmpHeadersSize = kBmpFileHeaderSize + kBmpInfoHeaderSize;

/// Bytes of one stored row: `bitCount` bits a pixel, padded to four bytes.
constexpr qint64 bmpRowBytes(qint64 width, int bitCount)
{
    return (width * bitCount + 31) / 32 * 4;
}

/// Rows of `rowBytes` moved at once, reading or writing: about 1 MiB, large transfers
/// through a small buffer, and at least one row.
constexpr int bmpRowsPerChunk(qint64 rowBytes)
{
    constexpr qint64 chunkBytes = qint64(1) << 20;
    return int(rowBytes >= chunkBytes ? 1 : chunkBytes / rowBytes);
}

/// The two headers of a bottom-up 24-bit bitmap of w x h pixels.
std::array<char, kBmpHeadersSize> bmp24Headers(int w, int h);

/// Writes the rows of `image` bottom-up as 24-bit pixels, converting a band at a time.
/// False with a reason in `error` (if given) when a write fails or a band cannot be made,
/// or a stop is requested through `progress`, which hears of every band written.
bool writeBmp24Pixels(QIODevice& out, const QImage& image, QString* error = nullptr,
                      Progress* progress = nullptr);

} // namespace tessellon

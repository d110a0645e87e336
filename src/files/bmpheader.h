#pragma once

#include <QRgb>
#include <QtGlobal>

#include <array>

class QIODevice;
class QString;

namespace tessellon {

constexpr quint32 kBiRgb = 0;            // uncompressed
constexpr quint32 kBiRle8 = 1;           // runs of 8-bit colour indices
constexpr quint32 kBiRle4 = 2;           // runs of 4-bit colour indices
constexpr quint32 kBiBitfields = 3;      // 16- or 32-bit pixels with channel masks
constexpr quint32 kBiJpeg = 4;           // a whole JPEG file as the pixels
constexpr quint32 kBiPng = 5;            // a whole PNG file as the pixels
constexpr quint32 kBiAlphaBitfields = 6; // the same with an alpha mask
// OS/2 gives 3 and 4 other meanings, told apart by the bit count; ours are out of the
// file's range so that nothing mistakes them for the Windows ones.
constexpr quint32 kOs2Huffman1D = 0x10003; // 1 bit a pixel, CCITT modified Huffman rows
constexpr quint32 kOs2Rle24 = 0x10004;     // runs of 24-bit colours

/// Where the channels of a 16- or 32-bit pixel lie; alpha 0: the pixels are opaque.
struct BmpMasks
{
    quint32 red = 0;
    quint32 green = 0;
    quint32 blue = 0;
    quint32 alpha = 0;
};

/// What the headers and the colour table of a bitmap file say, checked for sense.
struct BmpInfo
{
    int width = 0;
    int rows = 0;
    bool topDown = false;
    int bitCount = 0;
    quint32 compression = kBiRgb;
    qint64 pixelOffset = 0; // from the start of the file
    BmpMasks masks;
    /// Opaque colours of the table; indices beyond the file's table are black.
    std::array<QRgb, 256> palette{};
};

/// Reads the headers and colour table of the bitmap at the device's position (the start of
/// the file, or of a bitmap array's first entry): OS/2 core (12 bytes), OS/2 2.x (16 or 64),
/// Windows 3 (40), its 52- and 56-byte successors, V4 (108) and V5 (124). An alpha mask
/// counts only with bit-field encodings. Returns false with a reason for any other header,
/// for an encoding we do not read, for a picture of no pixels and for a file that ends
/// inside the headers.
bool readBmpHeader(QIODevice& device, BmpInfo* info, QString* error);

} // namespace tessellon

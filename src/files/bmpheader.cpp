#include "bmpheader.h"

#include "bmpformat.h"
#include "littleendian.h"

#include <QIODevice>
#include <QString>

#include <algorithm>
#include <bit>
#include <limits>

namespace tessellon {

namespace {

constexpr int kLongestInfoHeader = 124;
constexpr quint32 kInfoHeaderSizes[] = {12, 16, 40, 52, 56, 64, 108, 124};

bool fail(QString* error, const char* why)
{
    *error = QString::fromLatin1(why);
    return false;
}

bool knownHeaderSize(quint32 size)
{
    return std::find(std::begin(kInfoHeaderSizes), std::end(kInfoHeaderSizes), size) !=
           std::end(kInfoHeaderSizes);
}

// Which bit counts each encoding allows.
bool encodingFits(quint32 compression, int bits)
{
    switch (compression) {
    case kBiRgb:
        return bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 || bits == 24 ||
               bits == 32 || bits == 64;
    case kBiRle8:
        return bits == 8;
    case kBiRle4:
        return bits == 4;
    case kBiBitfields:
    case kBiAlphaBitfields:
        return bits == 16 || bits == 32;
    case kBiJpeg:
    case kBiPng:
        return bits == 0;
    case kOs2Huffman1D:
    case kOs2Rle24:
        return true; // the bit count chose them
    default:
        return false;
    }
}

// OS/2 2.x numbers its own encodings past RLE4; the bit count tells them from Windows'.
quint32 encodingOf(quint32 compression, int bits, quint32 headerSize)
{
    // OS/2's numbers 3 and 4 mean other encodings than Windows' bit fields and JPEG
    const bool os2 = headerSize == 16 || headerSize == 64;
    if (os2 && compression == kBiBitfields && bits == 1) return kOs2Huffman1D;
    if (os2 && compression == kBiJpeg && bits == 24) return kOs2Rle24;
    return os2 && compression > kBiRle4 ? ~quint32(0) : compression;
}

// A mask is one unbroken run of bits within the pixel, or empty (that channel reads 0).
bool maskUsable(quint32 mask, int bits)
{
    if (mask == 0) return true;
    if (bits < 32 && (mask >> bits) != 0) return false;
    const quint32 run = mask >> std::countr_zero(mask);
    return (run & (run + 1)) == 0;
}

BmpMasks defaultMasks(int bits)
{
    if (bits == 16) return {0x7C00, 0x03E0, 0x001F}; // five bits a channel
    return {0x00FF0000, 0x0000FF00, 0x000000FF};
}

// Fields of the info header `h` (its first `size` bytes; the rest is zero).
bool parseInfo(const uchar* h, quint32 size, BmpInfo* info, QString* error)
{
    qint64 height = 0;
    if (size == 12) { // OS/2 core: 16-bit sizes, always bottom-up
        info->width = le<quint16>(h + 4);
        height = le<quint16>(h + 6);
        if (le<quint16>(h + 8) != 1) return fail(error, "the bitmap has more than one plane");
        info->bitCount = le<quint16>(h + 10);
    } else {
        info->width = le<qint32>(h + 4);
        height = le<qint32>(h + 8);
        if (le<quint16>(h + 12) != 1) return fail(error, "the bitmap has more than one plane");
        info->bitCount = le<quint16>(h + 14);
        info->compression = encodingOf(le<quint32>(h + 16), info->bitCount, size);
    }
    if (!encodingFits(info->compression, info->bitCount))
        return fail(error, "the bitmap's encoding or colour depth is not supported");
    if (info->width <= 0 || height == 0 || height == std::numeric_limits<qint32>::min())
        return fail(error, "the bitmap has no pixels");
    info->topDown = height < 0;
    info->rows = int(std::min<qint64>(std::abs(height), std::numeric_limits<int>::max()));
    return true;
}

// The masks of a 16- or 32-bit bitmap: defaults, inside longer headers, or after the 40-byte one.
bool readMasks(QIODevice& device, const uchar* h, quint32 size, BmpInfo* info, QString* error)
{
    const bool fields = info->compression == kBiBitfields || info->compression == kBiAlphaBitfields;
    if (!fields) {
        info->masks = defaultMasks(info->bitCount);
        return true;
    }
    uchar after[16] = {};
    const uchar* m = h + kBmpInfoHeaderSize;
    if (size == kBmpInfoHeaderSize) {
        const int n = info->compression == kBiAlphaBitfields ? 16 : 12;
        if (device.read(reinterpret_cast<char*>(after), n) != n)
            return fail(error, "the bitmap is truncated in its colour masks");
        m = after;
    }
    const bool hasAlpha = size >= 56 || info->compression == kBiAlphaBitfields;
    info->masks = {le<quint32>(m), le<quint32>(m + 4), le<quint32>(m + 8),
                   hasAlpha ? le<quint32>(m + 12) : 0};
    for (quint32 mask : {info->masks.red, info->masks.green, info->masks.blue, info->masks.alpha})
        if (!maskUsable(mask, info->bitCount))
            return fail(error, "the bitmap's colour masks are not usable");
    return true;
}

// The colour table of a bitmap of up to 8 bits a pixel, cut short where the pixels begin.
bool readPalette(QIODevice& device, quint32 size, quint32 coloursUsed, BmpInfo* info,
                 QString* error)
{
    const qint64 start = device.pos();
    if (info->pixelOffset != 0 && info->pixelOffset < start)
        return fail(error, "the bitmap's pixels start inside its headers");
    info->palette.fill(qRgb(0, 0, 0));
    if (info->bitCount > 8 || info->bitCount == 0) { // no table, or only one to ignore
        if (info->pixelOffset == 0) info->pixelOffset = start;
        return true;
    }
    const int entryBytes = size == 12 ? 3 : 4;
    qint64 entries = qint64(1) << info->bitCount;
    if (coloursUsed != 0) entries = std::min<qint64>(entries, coloursUsed);
    if (info->pixelOffset != 0)
        entries = std::min<qint64>(entries, (info->pixelOffset - start) / entryBytes);
    else
        info->pixelOffset = start + entries * entryBytes;
    uchar table[256 * 4];
    if (device.read(reinterpret_cast<char*>(table), entries * entryBytes) != entries * entryBytes)
        return fail(error, "the bitmap is truncated in its colour table");
    for (qint64 i = 0; i < entries; ++i) {
        const uchar* e = table + i * entryBytes;
        info->palette[size_t(i)] = qRgb(e[2], e[1], e[0]);
    }
    return true;
}

} // namespace

bool readBmpHeader(QIODevice& device, BmpInfo* info, QString* error)
{
    uchar file[kBmpFileHeaderSize + 4];
    if (device.read(reinterpret_cast<char*>(file), sizeof file) != qint64(sizeof file) ||
        file[0] != 'B' || file[1] != 'M')
        return fail(error, "the bitmap is truncated in its headers");
    const quint32 size = le<quint32>(file + kBmpFileHeaderSize);
    if (!knownHeaderSize(size)) {
        *error = QStringLiteral("the bitmap has an unknown header (%1 bytes)").arg(size);
        return false;
    }
    uchar h[kLongestInfoHeader] = {};
    putLe<quint32>(h, size);
    if (device.read(reinterpret_cast<char*>(h + 4), size - 4) != qint64(size - 4))
        return fail(error, "the bitmap is truncated in its headers");
    *info = BmpInfo();
    info->pixelOffset = le<quint32>(file + 10);
    const quint32 coloursUsed = size >= 36 ? le<quint32>(h + 32) : 0;
    return parseInfo(h, size, info, error) && readMasks(device, h, size, info, error) &&
           readPalette(device, size, coloursUsed, info, error);
}

} // namespace tessellon

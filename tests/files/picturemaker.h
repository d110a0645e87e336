#pragma once
// Hand-made picture files for the reader's tests and the fuzzer's seeds: Windows bitmaps of
// every variant, written byte by byte, with the picture each must read as, and tiny GIF,
// PNG and JPEG files.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <bit>
#include <map>
#include <vector>

namespace picturemaker {

// Colours that catch swapped channels and the grid's near-grey; white first.
constexpr QRgb kPalette[] = {0xFFFFFFFF, 0xFFB4B4B3, 0xFF000000, 0xFFFF0000,
                             0xFF00FF00, 0xFF0000FF, 0xFF123456, 0xFFFEFDFC};
constexpr int kPaletteSize = int(std::size(kPalette));

enum Compression : quint32 {
    Rgb = 0,
    Rle8 = 1,
    Rle4 = 2,
    Bitfields = 3,
    Rle24 = 4, // OS/2, with 24 bits a pixel
    Jpeg = 4,
    Png = 5,
    AlphaBitfields = 6
};

/// One bitmap variant.
struct Bmp
{
    int w = 5;
    int h = 3;
    int bits = 24;
    quint32 compression = Rgb;
    int header = 40; // 12, 16, 40, 52, 56, 64, 108 or 124 bytes
    bool topDown = false;
    int colours = -1; // colour table entries; -1: as many as the pattern uses (8 bits or less)
    std::array<quint32, 3> masks{}; // red, green, blue, with Bitfields
    quint32 alpha = 0; // stored in every 16- and 32-bit pixel, read with bit-field encodings
};

// The alpha of picture pixel (x, y): values whose top four bits a 4-bit mask keeps whole.
constexpr quint32 kAlphas[] = {0x00, 0x30, 0xB0, 0xFF};
inline quint32 alphaAt(int x, int y)
{
    return kAlphas[(x + 2 * y) % 4];
}

/// A bitmap of w x h pixels, `bits` bits each, the other fields as given or by default.
inline Bmp bmp(int w, int h, int bits, quint32 compression = Rgb, int header = 40,
               bool topDown = false)
{
    Bmp b;
    b.w = w;
    b.h = h;
    b.bits = bits;
    b.compression = compression;
    b.header = header;
    b.topDown = topDown;
    return b;
}

inline int tableSize(const Bmp& b)
{
    if (b.colours >= 0) return b.colours;
    if (b.header == 12 && b.bits <= 8) return 1 << b.bits; // the core header's table is full
    return b.bits <= 8 ? std::min(kPaletteSize, 1 << b.bits) : 0;
}

// The palette index of picture pixel (x, y), y from the top.
inline int indexAt(const Bmp& b, int x, int y)
{
    const int n = b.bits <= 8 ? std::min(kPaletteSize, 1 << b.bits) : kPaletteSize;
    return (x * 7 + y * 3 + x * y) % n;
}

// The stored value of an 8-bit channel `v` under `mask`.
inline quint32 toMask(quint32 v, quint32 mask)
{
    if (mask == 0) return 0;
    const int bits = std::popcount(mask);
    const quint32 max = (quint32(1) << bits) - 1;
    const quint32 q = bits >= 8 ? (v * max + 127) / 255 : v >> (8 - bits);
    return (q << std::countr_zero(mask)) & mask;
}

// What a channel of fewer than 8 bits reads as, worked out by hand for the values the
// palette stores: q * 255 / (2^bits - 1), rounded, so that the largest value is 255.
struct Scaled
{
    int bits, stored, read;
};
constexpr Scaled kScaled[] = {{4, 0, 0},    {4, 1, 17},   {4, 3, 51},   {4, 5, 85},  {4, 11, 187},
                              {4, 15, 255}, {5, 0, 0},    {5, 2, 16},   {5, 6, 49},  {5, 10, 82},
                              {5, 22, 181}, {5, 31, 255}, {6, 0, 0},    {6, 4, 16},  {6, 13, 53},
                              {6, 21, 85},  {6, 44, 178}, {6, 45, 182}, {6, 63, 255}};

// What the 8-bit channel `v` stored under `mask` reads as; -1 where the table has no answer.
inline int fromMask(quint32 v, quint32 mask)
{
    if (mask == 0) return 0;
    const int bits = std::popcount(mask);
    if (bits >= 8) return int(v); // stored at full precision, read back as written
    for (const Scaled& s : kScaled)
        if (s.bits == bits && quint32(s.stored) == v >> (8 - bits)) return s.read;
    return -1;
}

inline std::array<quint32, 3> effectiveMasks(const Bmp& b)
{
    if (b.compression == Bitfields || b.compression == AlphaBitfields) return b.masks;
    if (b.bits == 16) return {0x7C00, 0x03E0, 0x001F};
    return {0xFF0000, 0xFF00, 0xFF};
}

/// The picture `b` must read as.
inline QImage expected(const Bmp& b)
{
    QImage img(b.w, b.h, QImage::Format_RGB32);
    const auto m = effectiveMasks(b);
    for (int y = 0; y < b.h; ++y)
        for (int x = 0; x < b.w; ++x) {
            const int i = indexAt(b, x, y);
            QRgb c = kPalette[i];
            if (b.bits <= 8 && i >= tableSize(b)) c = 0xFF000000; // beyond the table: black
            if (b.bits == 16 || b.bits == 32)
                c = qRgb(fromMask(qRed(c), m[0]), fromMask(qGreen(c), m[1]),
                         fromMask(qBlue(c), m[2]));
            const bool fields = b.compression == Bitfields || b.compression == AlphaBitfields;
            if (fields && b.alpha != 0) { // over white, rounded to the nearest
                const int a = fromMask(alphaAt(x, y), b.alpha);
                const auto on = [a](int v) { return qRound((v * a + 255.0 * (255 - a)) / 255); };
                c = qRgb(on(qRed(c)), on(qGreen(c)), on(qBlue(c)));
            }
            img.setPixel(x, y, c);
        }
    return img;
}

template <typename T> void put(QByteArray& out, T v)
{
    uchar raw[sizeof(T)];
    qToLittleEndian<T>(v, raw);
    out.append(reinterpret_cast<const char*>(raw), sizeof raw);
}

/// The CRC-32 of `bytes`, as PNG chunks carry it.
inline quint32 crc32(QByteArrayView bytes)
{
    quint32 c = 0xFFFFFFFF;
    for (char b : bytes) {
        c ^= uchar(b);
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? 0xEDB88320 ^ (c >> 1) : c >> 1;
    }
    return ~c;
}

// One stored row, uncompressed and padded to four bytes.
inline QByteArray plainRow(const Bmp& b, int y)
{
    QByteArray row(int((qint64(b.w) * b.bits + 31) / 32 * 4), '\0');
    auto* p = reinterpret_cast<uchar*>(row.data());
    const auto m = effectiveMasks(b);
    for (int x = 0; x < b.w; ++x) {
        const int i = indexAt(b, x, y);
        const QRgb c = kPalette[i];
        if (b.bits <= 8) {
            const int bit = x * b.bits;
            p[bit / 8] |= uchar(i << (8 - b.bits - bit % 8));
        } else if (b.bits == 24) {
            p[3 * x] = uchar(qBlue(c));
            p[3 * x + 1] = uchar(qGreen(c));
            p[3 * x + 2] = uchar(qRed(c));
        } else {
            const quint32 v = toMask(qRed(c), m[0]) | toMask(qGreen(c), m[1]) |
                              toMask(qBlue(c), m[2]) | toMask(alphaAt(x, y), b.alpha);
            if (b.bits == 16)
                qToLittleEndian<quint16>(quint16(v), p + 2 * x);
            else
                qToLittleEndian<quint32>(v, p + 4 * x);
        }
    }
    return row;
}

inline QByteArray bgr(QRgb c)
{
    const char bytes[] = {char(qBlue(c)), char(qGreen(c)), char(qRed(c))};
    return QByteArray(bytes, 3);
}

// Run-length coded rows: odd rows as literal stretches, even ones as runs of one index;
// an end-of-line after each row but the last, then the end-of-bitmap mark.
inline QByteArray runRows(const Bmp& b)
{
    const bool four = b.bits == 4;
    QByteArray out;
    for (int r = 0; r < b.h; ++r) {
        const int y = b.topDown ? r : b.h - 1 - r;
        int x = 0;
        while (x < b.w) {
            const int left = b.w - x;
            if (r % 2 == 1 && left >= 3) {
                const int n = std::min(left, 255) - (left > 255 && left - 255 < 3 ? 3 : 0);
                out += char(0);
                out += char(n);
                QByteArray bytes;
                for (int i = 0; i < n; ++i) {
                    const int v = indexAt(b, x + i, y);
                    if (b.bits == 24)
                        bytes += bgr(kPalette[v]);
                    else if (!four)
                        bytes += char(v);
                    else if (i % 2 == 0)
                        bytes += char(v << 4);
                    else
                        bytes[bytes.size() - 1] = char(bytes.back() | v);
                }
                if (bytes.size() % 2) bytes += char(0);
                out += bytes;
                x += n;
                continue;
            }
            const int v = indexAt(b, x, y);
            int n = 1;
            while (x + n < b.w && n < 255 && indexAt(b, x + n, y) == v)
                ++n;
            out += char(n);
            out += b.bits == 24 ? bgr(kPalette[v]) : QByteArray(1, char(four ? (v << 4 | v) : v));
            x += n;
        }
        out += QByteArray(r + 1 < b.h ? "\0\0" : "\0\1", 2);
    }
    return out;
}

// The info header, masks after a 40-byte one included, for pixel data of `dataBytes`.
inline QByteArray infoHeader(const Bmp& b, int dataBytes)
{
    const bool fields = b.compression == Bitfields || b.compression == AlphaBitfields;
    const bool alphaAfter = b.compression == AlphaBitfields && b.header == 40;
    QByteArray info;
    put<quint32>(info, quint32(b.header));
    if (b.header == 12) {
        put<quint16>(info, quint16(b.w));
        put<quint16>(info, quint16(b.h));
    } else {
        put<qint32>(info, b.w);
        put<qint32>(info, b.topDown ? -b.h : b.h);
    }
    put<quint16>(info, 1);
    put<quint16>(info, quint16(b.bits));
    if (b.header > 16) {
        for (quint32 v :
             {b.compression, quint32(dataBytes), 2835u, 2835u, quint32(tableSize(b)), 0u})
            put<quint32>(info, v);
        if (fields || b.header > 40)
            for (quint32 m : b.masks)
                put<quint32>(info, fields ? m : 0);
        if (b.header >= 56 || alphaAfter) put<quint32>(info, b.alpha); // written as writers do
    }
    info.resize(b.header + (fields && b.header == 40 ? 12 : 0) + (alphaAfter ? 4 : 0), '\0');
    return info;
}

inline QByteArray colourTable(const Bmp& b)
{
    QByteArray out;
    for (int i = 0; i < tableSize(b); ++i) {
        const QRgb c = kPalette[i % kPaletteSize];
        out += char(qBlue(c));
        out += char(qGreen(c));
        out += char(qRed(c));
        if (b.header != 12) out += char(0);
    }
    return out;
}

/// The bytes of bitmap `b`; `pixels` replaces the pixel data when given.
inline QByteArray bitmap(const Bmp& b, const QByteArray* pixels = nullptr)
{
    QByteArray data;
    if (pixels) {
        data = *pixels;
    } else if (b.compression == Rle8 || b.compression == Rle4 ||
               (b.compression == Rle24 && b.bits == 24)) {
        data = runRows(b);
    } else {
        for (int r = 0; r < b.h; ++r)
            data += plainRow(b, b.topDown ? r : b.h - 1 - r);
    }
    const QByteArray headers = infoHeader(b, int(data.size())) + colourTable(b);
    const int offset = 14 + int(headers.size());
    QByteArray out("BM");
    put<quint32>(out, quint32(offset + data.size()));
    put<quint32>(out, 0);
    put<quint32>(out, quint32(offset));
    return out + headers + data;
}

/// An OS/2 bitmap array whose first entry is `bitmap` (the bytes of a whole bitmap file),
/// followed by a second entry that must not be read.
inline QByteArray bitmapArray(const QByteArray& bitmap)
{
    QByteArray first = bitmap;
    qToLittleEndian<quint32>(qFromLittleEndian<quint32>(first.constData() + 10) + 14,
                             first.data() + 10); // offsets count from the array's start
    QByteArray out("BA");
    put<quint32>(out, 14);
    put<quint32>(out, quint32(14 + first.size())); // the next entry
    put<quint16>(out, 640);
    put<quint16>(out, 480);
    return out + first + QByteArray("BA") + QByteArray(12, '\0') + bitmap;
}

/// An 8-bit 16384 x 16384 bitmap of 1,178 bytes: headers, a full colour table, 100 pixel bytes.
inline QByteArray hugeBitmap()
{
    Bmp huge = bmp(16384, 16384, 8);
    huge.colours = 256;
    const QByteArray hundred(100, '\0');
    return bitmap(huge, &hundred);
}

/// The smallest GIF: a logical screen of w x h, one transparent pixel at its corner.
inline QByteArray tinyGif(int w, int h)
{
    QByteArray g("GIF89a");
    put<quint16>(g, quint16(w));
    put<quint16>(g, quint16(h));
    g += QByteArray::fromHex("800000ffffff00000021f90401000000002c00000000010001000002024401003b");
    return g;
}

/// `indices` as LZW codes of a GIF whose minimum code size is `minSize`, least significant
/// bit first: the longest string the table knows each time, the code size growing with it.
inline QByteArray lzw(const std::vector<uchar>& indices, int minSize)
{
    const int clear = 1 << minSize;
    std::map<std::pair<int, int>, int> table;
    int size = minSize + 1, next = clear + 2, count = 0, w = -1;
    quint32 bits = 0;
    QByteArray out;
    auto write = [&](int code) {
        bits |= quint32(code) << count;
        for (count += size; count >= 8; count -= 8, bits >>= 8)
            out += char(bits & 0xFF);
        if (next >= (1 << size) && size < 12) ++size; // the decoder's table is one behind
    };
    write(clear);
    for (uchar k : indices) {
        const auto known = table.find({w, k});
        if (w < 0 || known != table.end()) {
            w = w < 0 ? k : known->second;
            continue;
        }
        write(w);
        if (next < 4096) table[{w, k}] = next++;
        w = k;
    }
    if (w >= 0) write(w);
    write(clear + 1);
    if (count > 0) out += char(bits & 0xFF);
    return out;
}

/// `picture` (colours of kPalette only) as a GIF with a colour table of 8. `screen`
/// (default: the picture's size) holds the picture at `at`; index `transparent` shows the
/// screen through.
inline QByteArray gif(const QImage& picture, bool interlaced = false, QSize screen = {},
                      QPoint at = {}, int transparent = -1)
{
    if (!screen.isValid()) screen = picture.size();
    QByteArray g("GIF89a");
    put<quint16>(g, quint16(screen.width()));
    put<quint16>(g, quint16(screen.height()));
    g += QByteArray::fromHex("820000"); // a global table of 8 colours
    for (QRgb c : kPalette) {
        g += char(qRed(c));
        g += char(qGreen(c));
        g += char(qBlue(c));
    }
    if (transparent >= 0) g += QByteArray::fromHex("21f904010000") + char(transparent) + '\0';
    g += char(0x2C);
    for (int v : {at.x(), at.y(), picture.width(), picture.height()})
        put<quint16>(g, quint16(v));
    g += char(interlaced ? 0x40 : 0);
    g += char(3); // minimum code size: codes from 4 bits, clear 8, end 9
    std::vector<int> rows;
    for (int pass = 0, start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2}; pass < 4; ++pass)
        for (int y = interlaced  ? start[pass]
                     : pass == 0 ? 0
                                 : picture.height();
             y < picture.height(); y += interlaced ? step[pass] : 1)
            rows.push_back(y);
    std::vector<uchar> indices;
    for (int y : rows)
        for (int x = 0; x < picture.width(); ++x)
            indices.push_back(
                uchar(std::find(std::begin(kPalette), std::end(kPalette), picture.pixel(x, y)) -
                      std::begin(kPalette)));
    const QByteArray codes = lzw(indices, 3);
    for (qsizetype i = 0; i < codes.size(); i += 255) {
        const QByteArray block = codes.mid(i, 255);
        g += char(block.size());
        g += block;
    }
    return g + QByteArray("\0;", 2);
}

/// `image` written by Qt's writer for `format` ("PNG", "JPEG").
inline QByteArray encoded(const QImage& image, const char* format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

/// `image` as a progressive JPEG; empty when Qt's writer cannot make one.
inline QByteArray progressiveJpeg(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPEG");
    writer.setProgressiveScanWrite(true);
    return writer.write(image) ? bytes : QByteArray();
}

/// A small picture of the palette's colours in `format`.
inline QImage patternImage(int w, int h, QImage::Format format = QImage::Format_RGB32)
{
    Bmp b;
    b.w = w;
    b.h = h;
    QImage img = expected(b);
    return img.convertToFormat(format);
}

} // namespace picturemaker

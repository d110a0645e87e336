// Uncompressed bitmap rows: colour-table indices of 1, 2, 4 and 8 bits, 16- and 32-bit
// pixels with channel masks (an alpha mask puts them on white), 24- and 32-bit pixels by a
// faster path, and 64-bit linear-light pixels.
#include "bmpformat.h"
#include "bmpheader.h"
#include "bmppixels.h"
#include "littleendian.h"
#include "overwhite.h"
#include "progress.h"
#include "watcheddevice.h"

#include <QImage>
#include <QIODevice>
#include <QString>

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

namespace tessellon {

namespace {

// One colour channel of a masked pixel, scaled to 8 bits so that its largest value is 255.
class Channel
{
public:
    explicit Channel(quint32 mask) : mask_(mask)
    {
        if (mask == 0) return; // the channel reads 0
        shift_ = std::countr_zero(mask);
        bits_ = std::popcount(mask);
        const int kept = std::min(bits_, 8); // wider channels keep their top 8 bits
        const quint32 max = (quint32(1) << kept) - 1;
        for (quint32 v = 0; v <= max; ++v)
            scale_[v] = uchar((v * 255 + max / 2) / max);
    }
    uchar operator()(quint32 pixel) const
    {
        const quint32 v = (pixel & mask_) >> shift_;
        return scale_[bits_ > 8 ? v >> (bits_ - 8) : v];
    }

private:
    quint32 mask_;
    int shift_ = 0;
    int bits_ = 0;
    std::array<uchar, 256> scale_{};
};

struct RowContext
{
    const BmpInfo& b;
    Channel red, green, blue, alpha;
};

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

void rowFromIndices(const uchar* src, QRgb* dst, int width, const BmpInfo& b)
{
    const int bits = b.bitCount;
    const int perByte = 8 / bits;
    const uchar valueMask = uchar((1 << bits) - 1);
    for (int x = 0; x < width; ++x) {
        const int shift = 8 - bits * (x % perByte + 1); // leftmost pixel in the high bits
        dst[x] = b.palette[(src[x / perByte] >> shift) & valueMask];
    }
}

void rowFromMasked(const uchar* src, QRgb* dst, int width, const RowContext& c)
{
    const bool wide = c.b.bitCount == 32;
    for (int x = 0; x < width; ++x) {
        const quint32 p = wide ? le<quint32>(src + 4 * x) : le<quint16>(src + 2 * x);
        const int a = c.b.masks.alpha != 0 ? c.alpha(p) : 255;
        dst[x] = qRgba(c.red(p), c.green(p), c.blue(p), a); // on white once all rows are in
    }
}

// sRGB's 8-bit value of each linear-light level a 64-bit pixel can hold between 0 and 1.
constexpr int kFixedOne = 1 << 13; // s2.13 fixed point
const std::array<uchar, kFixedOne + 1>& linearToSrgb()
{
    static const auto table = [] {
        std::array<uchar, kFixedOne + 1> t{};
        for (int v = 0; v <= kFixedOne; ++v) {
            const double l = double(v) / kFixedOne;
            const double e = l <= 0.0031308 ? 12.92 * l : 1.055 * std::pow(l, 1 / 2.4) - 0.055;
            t[size_t(v)] = uchar(std::lround(e * 255));
        }
        return t;
    }();
    return table;
}

// B, G, R, A as signed 2.13 fixed-point linear values; out of 0..1 they are clipped.
void rowFrom64(const uchar* src, QRgb* dst, int width)
{
    const auto& srgb = linearToSrgb();
    const auto level = [](const uchar* p) { return std::clamp(int(le<qint16>(p)), 0, kFixedOne); };
    for (int x = 0; x < width; ++x, src += 8) {
        const int a = (level(src + 6) * 255 + kFixedOne / 2) / kFixedOne;
        dst[x] = qRgba(srgb[size_t(level(src + 4))], srgb[size_t(level(src + 2))],
                       srgb[size_t(level(src))], a); // on white once all rows are in
    }
}

bool standardMasks(const BmpMasks& m)
{
    return m.red == 0x00FF0000 && m.green == 0x0000FF00 && m.blue == 0x000000FF && m.alpha == 0;
}

void convertRow(const uchar* src, QRgb* dst, const RowContext& c)
{
    const int w = c.b.width;
    switch (c.b.bitCount) {
    case 24:
        rowFrom24(src, dst, w);
        break;
    case 32:
        if (standardMasks(c.b.masks))
            rowFrom32(src, dst, w);
        else
            rowFromMasked(src, dst, w, c);
        break;
    case 16:
        rowFromMasked(src, dst, w, c);
        break;
    case 64:
        rowFrom64(src, dst, w);
        break;
    default:
        rowFromIndices(src, dst, w, c.b);
    }
}

bool hasAlpha(const BmpInfo& b)
{
    return b.bitCount == 64 || ((b.bitCount == 16 || b.bitCount == 32) && b.masks.alpha != 0);
}

// Pixels with their alpha go onto white, unless every alpha is 0: many writers declare an
// alpha mask and leave it empty, and such a picture is meant opaque, not blank.
// False when stopped on the way.
bool alphaOnWhite(QImage& image, const QIODevice& device)
{
    const int w = image.width(), h = image.height();
    quint32 any = 0;
    for (int y = 0; y < h && !any; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            any |= row[x] & 0xFF000000u;
    }
    for (int y = 0; y < h; ++y) {
        if (stopRequested(device)) return false;
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        if (any) {
            rowOnWhite(row, w);
        } else {
            for (int x = 0; x < w; ++x)
                row[x] |= 0xFF000000u;
        }
    }
    return true;
}

} // namespace

bool readBmpRows(QIODevice& device, const BmpInfo& b, QImage& image, QString* error)
{
    const RowContext context{b, Channel(b.masks.red), Channel(b.masks.green), Channel(b.masks.blue),
                             Channel(b.masks.alpha)};
    const qint64 rowBytes = bmpRowBytes(b.width, b.bitCount);
    const int chunkRows = bmpRowsPerChunk(rowBytes);
    std::vector<uchar> buf(size_t(std::min<qint64>(chunkRows, b.rows) * rowBytes));
    if (!device.seek(b.pixelOffset)) {
        *error = QStringLiteral("the bitmap could not be read: ") + device.errorString();
        return false;
    }
    for (int done = 0; done < b.rows;) {
        const int n = std::min(chunkRows, b.rows - done);
        if (device.read(reinterpret_cast<char*>(buf.data()), n * rowBytes) != n * rowBytes) {
            *error = QStringLiteral("the bitmap could not be read: ") + device.errorString();
            return false;
        }
        for (int i = 0; i < n; ++i) {
            const int fileRow = done + i;
            const int y = b.topDown ? fileRow : b.rows - 1 - fileRow;
            convertRow(buf.data() + i * rowBytes, reinterpret_cast<QRgb*>(image.scanLine(y)),
                       context);
        }
        done += n;
    }
    if (hasAlpha(b) && !alphaOnWhite(image, device)) {
        *error = stoppedReason();
        return false;
    }
    return true;
}

} // namespace tessellon

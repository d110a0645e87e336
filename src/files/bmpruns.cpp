// Run-length coded bitmap rows (RLE8, RLE4 and OS/2's RLE24): runs of one index or colour,
// literal stretches, end-of-line, end-of-bitmap and position jumps.
#include "bmpheader.h"
#include "bmppixels.h"
#include "bytesource.h"

#include <QImage>

#include <algorithm>

namespace tessellon {

namespace {

constexpr uchar kEscape = 0;
constexpr uchar kEndOfLine = 0;
constexpr uchar kEndOfBitmap = 1;
constexpr uchar kDelta = 2;

// Where the runs write: the stored row `y` (0 = first in the file) and column `x`. Pixels
// beyond the picture are dropped; with no image the walk only checks the data.
class RunTarget
{
public:
    RunTarget(const BmpInfo& b, QImage* image) : b_(b), image_(image) {}

    void put(int x, int y, QRgb colour)
    {
        if (!image_ || x >= b_.width || y >= b_.rows) return;
        const int row = b_.topDown ? y : b_.rows - 1 - y;
        reinterpret_cast<QRgb*>(image_->scanLine(row))[x] = colour;
    }
    // The colour of pixel `i` of a run or stretch whose next bytes are `bytes`.
    QRgb colour(const uchar* bytes, int i) const
    {
        if (b_.bitCount == 24) return qRgb(bytes[2], bytes[1], bytes[0]);
        if (b_.bitCount == 8) return b_.palette[bytes[0]];
        return b_.palette[i % 2 == 0 ? bytes[0] >> 4 : bytes[0] & 0x0F];
    }
    // Bytes a run's value or a stretch's pixel takes; a 4-bit one shares a byte.
    int pixelBytes() const { return b_.bitCount == 24 ? 3 : 1; }
    bool fourBit() const { return b_.bitCount == 4; }
    int width() const { return b_.width; }

private:
    const BmpInfo& b_;
    QImage* image_;
};

// A literal stretch of `count` pixels, padded to a whole 16-bit word.
bool literal(ByteSource& in, RunTarget& t, int count, int& x, int y)
{
    const int bytes = t.fourBit() ? (count + 1) / 2 : count * t.pixelBytes();
    uchar pixel[3] = {};
    for (int i = 0; i < count; ++i) {
        if ((!t.fourBit() || i % 2 == 0) && !in.read(pixel, t.pixelBytes())) return false;
        t.put(x, y, t.colour(pixel, i));
        x = std::min(x + 1, t.width()); // bounded, however many stretches a row has
    }
    return bytes % 2 == 0 || in.skip(1);
}

bool walkRuns(ByteSource& in, const BmpInfo& b, QImage* image)
{
    RunTarget t(b, image);
    int x = 0, y = 0;
    uchar n = 0, c = 0;
    while (y < b.rows) {
        if (!in.get(n)) return false;
        if (n != kEscape) {
            uchar value[3] = {};
            if (!in.read(value, t.pixelBytes())) return false;
            const int end = std::min(x + n, b.width); // the rest would be dropped anyway
            for (int i = 0; x < end; ++i)
                t.put(x++, y, t.colour(value, i));
            continue;
        }
        if (!in.get(c)) return false;
        switch (c) {
        case kEndOfLine:
            x = 0;
            ++y;
            break;
        case kEndOfBitmap:
            return true;
        case kDelta: {
            uchar dx = 0, dy = 0;
            if (!in.get(dx) || !in.get(dy)) return false;
            x = std::min(x + dx, b.width);
            y += dy;
            break;
        }
        default:
            if (!literal(in, t, c, x, y)) return false;
        }
    }
    return true; // every row reached, with or without an end mark
}

} // namespace

bool bmpRunsComplete(QIODevice& device, const BmpInfo& b)
{
    ByteSource in(device);
    return walkRuns(in, b, nullptr);
}

bool readBmpRuns(QIODevice& device, const BmpInfo& b, QImage& image)
{
    image.fill(qRgb(255, 255, 255));
    ByteSource in(device);
    return walkRuns(in, b, &image);
}

} // namespace tessellon

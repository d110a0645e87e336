// GIF pictures by a decoder of our own: the file's first image on its logical screen.
// Qt's GIF reader was left because it can fill a crafted file's picture with colours from
// memory.
#include "bytesource.h"
#include "littleendian.h"
#include "picturereaders.h"
#include "pixelpool.h"
#include "progress.h"
#include "watcheddevice.h"

#include <QIODevice>

#include <array>
#include <vector>

namespace tessellon {

namespace {

constexpr int kMaxCodes = 4096; // codes are at most 12 bits
// The bar's share, in thousandths, of the walk over the codes before they are decoded: it
// only skips them.
constexpr int kCodesWalkShare = 100;
constexpr QRgb kWhiteRgb = 0xFFFFFFFF;
constexpr QRgb kBlackRgb = 0xFF000000;

// The first image: where it lies on the screen and how its indices become colours.
struct GifImage
{
    int left = 0, top = 0, width = 0, height = 0;
    bool interlaced = false;
    std::array<QRgb, 256> colours{};
    int colourCount = 0;
    int transparent = -1;
};

bool readColours(ByteSource& in, int count, GifImage& image)
{
    uchar rgb[3 * 256];
    if (!in.read(rgb, 3 * count)) return false;
    for (int i = 0; i < count; ++i)
        image.colours[size_t(i)] = qRgb(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
    image.colourCount = count;
    return true;
}

// The bytes of an image's data sub-blocks as one stream; it ends at the terminator.
class SubBlocks
{
public:
    explicit SubBlocks(ByteSource& in) : in_(in) {}
    bool get(uchar& c)
    {
        while (left_ == 0) {
            uchar n = 0;
            if (ended_ || !in_.get(n) || n == 0) {
                ended_ = true;
                return false;
            }
            left_ = n;
        }
        --left_;
        return in_.get(c);
    }

private:
    ByteSource& in_;
    int left_ = 0;
    bool ended_ = false;
};

// Codes of `size` bits, least significant bit first.
class Codes
{
public:
    explicit Codes(SubBlocks& blocks) : blocks_(blocks) {}
    bool next(int size, int& code)
    {
        for (uchar b = 0; bits_ < size; bits_ += 8) {
            if (!blocks_.get(b)) return false;
            buffer_ |= quint32(b) << bits_;
        }
        code = int(buffer_ & ((1u << size) - 1));
        buffer_ >>= size;
        bits_ -= size;
        return true;
    }

private:
    SubBlocks& blocks_;
    quint32 buffer_ = 0;
    int bits_ = 0;
};

// Puts indices into the canvas in file order, row by row or in the four interlace passes.
// The image lies within the canvas: each pixel decoded is one shown.
class Pixels
{
public:
    Pixels(QImage& canvas, const GifImage& image, const QIODevice& device)
        : canvas_(canvas), image_(image), device_(device)
    {
    }
    bool full() const { return y_ >= image_.height; }
    /// Asked after every row: the codes of one read can fill a large part of the canvas.
    bool stopped() const { return stopped_; }
    void put(uchar index)
    {
        QRgb c = index < image_.colourCount ? image_.colours[index] : kBlackRgb;
        if (index == image_.transparent) c = kWhiteRgb;
        reinterpret_cast<QRgb*>(canvas_.scanLine(image_.top + y_))[image_.left + x_] = c;
        if (++x_ < image_.width) return;
        x_ = 0;
        nextRow();
    }

private:
    void nextRow()
    {
        static constexpr int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
        stopped_ = stopRequested(device_);
        if (!image_.interlaced) {
            ++y_;
            return;
        }
        y_ += step[pass_];
        while (y_ >= image_.height && pass_ < 3)
            y_ = start[++pass_];
    }

    QImage& canvas_;
    const GifImage& image_;
    const QIODevice& device_;
    int x_ = 0, y_ = 0, pass_ = 0;
    bool stopped_ = false;
};

// LZW: whether the codes yield every pixel of the image before they end.
bool decodeCodes(SubBlocks& blocks, int minSize, Pixels& out)
{
    if (minSize < 2 || minSize > 8) return false;
    const int clear = 1 << minSize, end = clear + 1;
    std::vector<quint16> prefix(kMaxCodes);
    std::vector<uchar> suffix(kMaxCodes), first(kMaxCodes), stack(kMaxCodes + 1);
    for (int i = 0; i < clear; ++i)
        suffix[size_t(i)] = first[size_t(i)] = uchar(i);
    Codes codes(blocks);
    int size = minSize + 1, next = end + 1, prev = -1, code = 0;
    while (!out.full() && !out.stopped() && codes.next(size, code)) {
        if (code == clear) {
            size = minSize + 1;
            next = end + 1;
            prev = -1;
            continue;
        }
        if (code == end || code > next || (prev < 0 && code >= clear)) break;
        int sp = 0, c = code;
        if (prev >= 0 && code == next) { // the string of prev and its own first index
            stack[size_t(sp++)] = first[size_t(prev)];
            c = prev;
        }
        for (; c >= clear; c = prefix[size_t(c)])
            stack[size_t(sp++)] = suffix[size_t(c)];
        stack[size_t(sp++)] = uchar(c);
        if (prev >= 0 && next < kMaxCodes) {
            prefix[size_t(next)] = quint16(prev);
            suffix[size_t(next)] = uchar(c);
            first[size_t(next)] = first[size_t(prev)];
            if (++next == (1 << size) && size < 12) ++size;
        }
        while (sp > 0 && !out.full())
            out.put(stack[size_t(--sp)]);
        prev = code;
    }
    return out.full();
}

// Extensions up to the first image; a graphic control block may name a transparent index.
bool findImage(ByteSource& in, GifImage& image)
{
    for (uchar kind = 0, label = 0, n = 0;;) {
        if (!in.get(kind)) return false;
        if (kind == 0x2C) return true;
        if (kind != 0x21 || !in.get(label)) return false;
        uchar block[255];
        for (bool firstBlock = true; in.get(n) && n != 0; firstBlock = false) {
            if (!in.read(block, n)) return false;
            if (firstBlock && label == 0xF9 && n >= 4)
                image.transparent = block[0] & 1 ? block[3] : -1;
        }
        if (n != 0) return false;
    }
}

// Everything before the first image's codes: the logical screen, the colour tables, the
// blocks before the image and its descriptor, up to the minimum code size.
bool readHeaders(ByteSource& in, QSize& screen, GifImage& image, uchar& minSize)
{
    uchar head[13];
    if (!in.read(head, 13)) return false;
    screen = QSize(le<quint16>(head + 6), le<quint16>(head + 8));
    if ((head[10] & 0x80) && !readColours(in, 2 << (head[10] & 7), image)) return false;
    uchar d[9];
    if (!findImage(in, image) || !in.read(d, 9)) return false;
    image.left = le<quint16>(d);
    image.top = le<quint16>(d + 2);
    image.width = le<quint16>(d + 4);
    image.height = le<quint16>(d + 6);
    image.interlaced = d[8] & 0x40;
    if ((d[8] & 0x80) && !readColours(in, 2 << (d[8] & 7), image)) return false;
    return in.get(minSize);
}

// Whether the data sub-blocks reach their terminator before the file ends.
bool subBlocksComplete(ByteSource& in)
{
    for (uchar n = 0;;) {
        if (!in.get(n)) return false;
        if (n == 0) return true;
        if (!in.skip(n)) return false;
    }
}

} // namespace

PictureResult readGifFile(QIODevice& device)
{
    if (!device.seek(0)) return refusal(QStringLiteral("the GIF could not be read"));
    ByteSource in(device);
    QSize screen;
    GifImage image;
    uchar minSize = 0;
    if (!readHeaders(in, screen, image, minSize))
        return refusal(QStringLiteral("the picture is truncated or damaged"));
    // The codes are walked once without a picture, so that a file cut short is refused
    // before the canvas exists; then read again from where they start.
    const qint64 codesStart = in.pos();
    Progress* progress = watchedProgress(device); // the codes are read twice: the bar through both
    if (progress) progress->setStage(0, kCodesWalkShare);
    if (!subBlocksComplete(in))
        return refusal(QStringLiteral("the picture is truncated or damaged"));
    if (!pictureFits(screen)) return refusal(tooLarge(screen));
    if (image.colourCount == 0 || image.width == 0 || image.height == 0)
        return refusal(QStringLiteral("the GIF holds no picture"));
    // Pixels past the screen would be decoded only to be thrown away, and a 1 x 1 screen
    // may carry a 65535 x 65535 image: such a file is taken as damaged.
    if (image.left + image.width > screen.width() || image.top + image.height > screen.height())
        return refusal(QStringLiteral("the GIF's image lies outside its screen"));
    if (progress) progress->setStage(kCodesWalkShare, 1000);
    OwnedPixels owned = allocateWatchedPixels(device, screen.width(), screen.height());
    QImage& canvas = owned.image;
    if (canvas.isNull()) return noMemory();
    if (stopRequested(device)) return refusal(stoppedReason()); // before a whole-canvas fill
    canvas.fill(kWhiteRgb); // the screen around the image, as transparent parts are: white
    if (!device.seek(codesStart)) return refusal(QStringLiteral("the GIF could not be read"));
    ByteSource codes(device);
    SubBlocks blocks(codes);
    Pixels pixels(canvas, image, device);
    if (!decodeCodes(blocks, minSize, pixels))
        return refusal(QStringLiteral("the GIF's pixel data is damaged or incomplete"));
    return {std::move(canvas), QString(), std::move(owned.block)};
}

} // namespace tessellon

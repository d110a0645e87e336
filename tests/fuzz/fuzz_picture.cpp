// Fuzz target for the picture reader behind Load and drops: arbitrary bytes as a picture
// file, read twice, with the invariants the reader promises checked each time. Started
// with PICTURE_SEEDS set, it first writes small files of every bitmap variant, of PNGs and
// JPEGs of every kind the readers take, and of GIF there, for use as a seed corpus.
#include "encodermaker.h"
#include "mapfile.h"
#include "picturemaker.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace tessellon;
using picturemaker::Bmp;

namespace {

void require(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

void checkResult(const PictureResult& r)
{
    if (r.image.isNull()) {
        require(!r.error.isEmpty(), "a refusal without a reason");
        return;
    }
    require(r.error.isEmpty(), "a picture with a reason for refusing it");
    require(r.image.format() == QImage::Format_RGB32, "not the canvas format");
    require(pictureFits(r.image.size()), "beyond the budget");
    for (int y = 0; y < r.image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(r.image.constScanLine(y));
        for (int x = 0; x < r.image.width(); ++x)
            require(qAlpha(row[x]) == 0xFF, "a pixel that is not opaque");
    }
}

// Memory handed back dirty, so that a second read taking it shows any pixel that came
// from memory instead of the file (the run turns the sanitizer's quarantine and fill off).
void dirtyHeap(qsizetype pictureBytes)
{
    std::vector<qsizetype> sizes;
    for (qsizetype n = 16; n <= 1 << 20; n *= 2)
        sizes.push_back(n);
    if (pictureBytes > 0) sizes.push_back(pictureBytes);
    std::vector<void*> blocks;
    for (qsizetype n : sizes) {
        void* p = std::malloc(size_t(n));
        if (p) std::memset(p, 0xA5, size_t(n));
        blocks.push_back(p);
    }
    for (void* p : blocks)
        std::free(p);
}

bool same(const PictureResult& a, const PictureResult& b)
{
    return a.image == b.image && a.error == b.error;
}

QString scratchPath()
{
    static const QString path = [] {
        QByteArray pattern = QFile::encodeName(QDir::tempPath()) + "/fuzz_picture.XXXXXX";
        const char* dir = mkdtemp(pattern.data());
        require(dir != nullptr, "no scratch directory");
        return QFile::decodeName(dir) + QStringLiteral("/picture.bmp");
    }();
    return path;
}

std::vector<QByteArray> bitmapSeeds()
{
    using namespace picturemaker;
    std::vector<QByteArray> out;
    const int headers[] = {12, 16, 40, 52, 56, 64, 108, 124};
    for (int bits : {1, 4, 8, 24})
        for (int header : headers)
            out.push_back(bitmap(bmp(5, 3, bits, Rgb, header, header == 124)));
    for (quint32 c : {quint32(Rle8), quint32(Rle4)})
        out.push_back(bitmap(bmp(6, 4, c == Rle8 ? 8 : 4, c)));
    for (int bits : {16, 32})
        for (int header : {40, 56, 108, 124}) {
            Bmp b = bmp(4, 2, bits, Bitfields, header);
            b.masks = bits == 16 ? std::array<quint32, 3>{0xF800, 0x07E0, 0x001F}
                                 : std::array<quint32, 3>{0xFF0000, 0xFF00, 0xFF};
            out.push_back(bitmap(b));
            b.compression = Rgb;
            out.push_back(bitmap(b));
        }
    for (int header : {40, 56, 124}) { // alpha masks
        Bmp b = bmp(4, 2, 32, header == 40 ? AlphaBitfields : Bitfields, header);
        b.masks = {0xFF0000, 0xFF00, 0xFF};
        b.alpha = 0xFF000000;
        out.push_back(bitmap(b));
    }
    out.push_back(bitmap(bmp(7, 3, 2)));
    out.push_back(bitmap(bmp(7, 4, 24, Rle24, 64)));
    out.push_back(bitmapArray(bitmap(bmp(5, 3, 8, Rgb, 12))));
    const QByteArray sixtyFour(32, '\x10');
    out.push_back(bitmap(bmp(4, 1, 64), &sixtyFour));
    return out;
}

// PNGs of every colour type, depth, interlacing and tRNS; JPEGs of every coding; and
// bitmaps carrying one of each.
std::vector<QByteArray> encoderSeeds()
{
    using namespace encodermaker;
    std::vector<QByteArray> out;
    for (const Png& p : everyPng())
        out.push_back(png(p));
    for (const auto& coding : everyJpeg())
        out.push_back(jpeg(coding.second));
    picturemaker::Bmp b = picturemaker::bmp(9, 7, 0, picturemaker::Png);
    b.colours = 0;
    const QByteArray inner = png({});
    out.push_back(picturemaker::bitmap(b, &inner));
    return out;
}

std::vector<QByteArray> otherSeeds()
{
    using namespace picturemaker;
    std::vector<QByteArray> out;
    const QImage small = patternImage(6, 4);
    out.push_back(encoded(small, "PNG"));
    out.push_back(encoded(small.convertToFormat(QImage::Format_Indexed8), "PNG"));
    out.push_back(encoded(small.convertToFormat(QImage::Format_Grayscale8), "PNG"));
    out.push_back(encoded(small.convertToFormat(QImage::Format_ARGB32), "PNG"));
    out.push_back(encoded(small, "JPEG"));
    out.push_back(progressiveJpeg(small));
    out.push_back(tinyGif(6, 4));
    out.push_back(gif(small, true));
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const QByteArray dir = qgetenv("PICTURE_SEEDS");
    if (dir.isEmpty()) return 0;
    QDir().mkpath(QFile::decodeName(dir));
    int i = 0;
    std::vector<QByteArray> all = bitmapSeeds();
    for (const QByteArray& other : otherSeeds())
        all.push_back(other);
    for (const QByteArray& made : encoderSeeds())
        all.push_back(made);
    for (const QByteArray& seed : all) {
        QFile f(QFile::decodeName(dir) + QStringLiteral("/seed-%1").arg(i++, 3, 10, QChar('0')));
        require(f.open(QIODevice::WriteOnly) && f.write(seed) == seed.size(), "seed written");
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char*>(data), qsizetype(size));
    require(buffer.open(QIODevice::ReadOnly), "buffer opened");
    const PictureResult first = readPicture(buffer);
    checkResult(first);
    // Pictures of 2 MiB or more get pages of their own from the pixel pool instead.
    dirtyHeap(std::min<qsizetype>(qsizetype(first.image.width()) * first.image.height() * 4,
                                  qsizetype(2) << 20));
    require(same(readPicture(buffer), first), "two reads of the same bytes differ");

    if (size % 8 == 0) { // the path Load and drops take, on a share of the inputs
        QFile file(scratchPath());
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "scratch file");
        file.write(buffer.data());
        file.close();
        require(same(readPicture(scratchPath()), first), "the file reads unlike the bytes");
    }
    return 0;
}

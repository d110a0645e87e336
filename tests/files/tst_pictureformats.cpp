// Every kind of picture the reader takes beside the classic bitmaps, each file made by the
// format's own encoder (or by hand) from values set here and checked against what those
// values must read as: PNGs of each colour type and depth, JPEGs of each coding, bitmaps
// with alpha, 2 and 64 bits a pixel, RLE24, embedded PNG and JPEG, and bitmap arrays.
#include "encodermaker.h"
#include "picturemaker.h"
#include "readcheck.h"

#include <QtEndian>
#include <QTest>

using namespace tessellon;
using namespace readcheck;

namespace {

QImage jpegPicture(const encodermaker::Jpeg& j)
{
    using namespace encodermaker;
    QImage img(kJpegSide, kJpegSide, QImage::Format_RGB32);
    for (int y = 0; y < kJpegSide; ++y)
        for (int x = 0; x < kJpegSide; ++x)
            img.setPixel(x, y, jpegExpected(j, x / kJpegBlock, y / kJpegBlock));
    return img;
}

// A 4 x 1 bitmap of 64-bit pixels: B, G, R, A as s2.13 linear values, and their sRGB
// values worked out by hand (out of range clipped, alpha on white).
QByteArray bitmap64()
{
    const qint16 pixels[4][4] = {{0, 1753, 8192, 8192},
                                 {-100, 10000, 4096, 8192},
                                 {8192, 8192, 8192, 0},
                                 {1000, 1000, 1000, 4096}};
    QByteArray data;
    for (const auto& p : pixels)
        for (qint16 v : p)
            picturemaker::put<qint16>(data, v);
    picturemaker::Bmp b = picturemaker::bmp(4, 1, 64);
    return picturemaker::bitmap(b, &data);
}

QImage row(std::initializer_list<QRgb> pixels)
{
    QImage img(int(pixels.size()), 1, QImage::Format_RGB32);
    int x = 0;
    for (QRgb p : pixels)
        img.setPixel(x++, 0, p);
    return img;
}

picturemaker::Bmp withAlpha(int bits, std::array<quint32, 3> masks, quint32 alpha, int header,
                            quint32 compression = picturemaker::Bitfields)
{
    picturemaker::Bmp b = picturemaker::bmp(6, 3, bits, compression, header);
    b.masks = masks;
    b.alpha = alpha;
    return b;
}

// A bitmap whose pixels are a whole PNG or JPEG of `size`.
QByteArray embedding(const QByteArray& picture, quint32 compression, QSize size, int header = 40)
{
    picturemaker::Bmp b = picturemaker::bmp(size.width(), size.height(), 0, compression, header);
    b.colours = 0;
    return picturemaker::bitmap(b, &picture);
}

// `jpeg` with an APP2 segment right after its start: a colour profile no one can parse.
QByteArray withBrokenProfile(QByteArray jpeg)
{
    QByteArray app2("\xFF\xE2\x00\x16ICC_PROFILE\0\x01\x01garbage", 24);
    return jpeg.insert(2, app2);
}

// `jpeg` with its first scan (header and data up to the next marker) repeated `times`.
QByteArray repeatedFirstScan(const QByteArray& jpeg, int times)
{
    const qsizetype start = jpeg.indexOf("\xFF\xDA");
    qsizetype end = start + 2;
    while (!(jpeg[end] == char(0xFF) && jpeg[end + 1] != 0 && uchar(jpeg[end + 1]) < 0xD0))
        ++end;
    const QByteArray scan = jpeg.mid(start, end - start);
    QByteArray out = jpeg.left(end);
    for (int i = 0; i < times; ++i)
        out += scan;
    return out + jpeg.mid(end);
}

} // namespace

class TestPictureFormats : public QObject
{
    Q_OBJECT
private slots:
    void readsAsItsValuesSay_data();
    void readsAsItsValuesSay();
    void refusesDamaged_data();
    void refusesDamaged();
};

void TestPictureFormats::readsAsItsValuesSay_data()
{
    using namespace picturemaker;
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QImage>("expected");
    QTest::addColumn<int>("tolerance"); // lossy coding
    for (const encodermaker::Png& p : encodermaker::everyPng())
        QTest::newRow(encodermaker::name(p).constData())
            << encodermaker::png(p) << encodermaker::expected(p) << 0;
    for (const auto& [name, j] : encodermaker::everyJpeg())
        QTest::newRow((QByteArray("JPEG ") + name).constData())
            << encodermaker::jpeg(j) << jpegPicture(j) << 3;
    QTest::newRow("JPEG, unreadable colour profile")
        << withBrokenProfile(encodermaker::jpeg({})) << jpegPicture({}) << 3;
    const auto addBmp = [](const char* name, const Bmp& b) {
        QTest::newRow(name) << bitmap(b) << expected(b) << 0;
    };
    addBmp("bitmap 2-bit", bmp(7, 3, 2));
    addBmp("bitmap 2-bit top-down, V5", bmp(9, 2, 2, Rgb, 124, true));
    const std::array<quint32, 3> bgr = {0xFF0000, 0xFF00, 0xFF}, x444 = {0x0F00, 0x00F0, 0x000F};
    addBmp("bitmap 32-bit alpha mask, V5", withAlpha(32, bgr, 0xFF000000, 124));
    addBmp("bitmap 32-bit alpha mask, V4", withAlpha(32, bgr, 0xFF000000, 108));
    addBmp("bitmap 32-bit alpha mask, 56 bytes", withAlpha(32, bgr, 0xFF000000, 56));
    addBmp("bitmap 32-bit BI_ALPHABITFIELDS", withAlpha(32, bgr, 0xFF000000, 40, AlphaBitfields));
    addBmp("bitmap 16-bit 4-4-4-4, V5", withAlpha(16, x444, 0xF000, 124));
    addBmp("bitmap 16-bit 4-4-4-4 BI_ALPHABITFIELDS",
           withAlpha(16, x444, 0xF000, 40, AlphaBitfields));
    // a fourth byte in BI_RGB pixels is padding, whatever the header's alpha mask says
    addBmp("bitmap 32-bit BI_RGB, fourth byte set, V5", withAlpha(32, bgr, 0xFF000000, 124, Rgb));
    addBmp("bitmap OS/2 RLE24", bmp(7, 4, 24, Rle24, 64));
    addBmp("bitmap OS/2 RLE24, stretches over 255", bmp(300, 2, 24, Rle24, 64));
    const QByteArray noAlpha = QByteArray::fromHex("0a141e00c8643200"); // B G R A, alpha 0
    Bmp emptyAlpha = withAlpha(32, bgr, 0xFF000000, 124);
    emptyAlpha.w = 2;
    emptyAlpha.h = 1;
    QTest::newRow("bitmap 32-bit alpha mask, every alpha 0: opaque")
        << bitmap(emptyAlpha, &noAlpha)
        << row({qRgb(30, 20, 10), qRgb(50, 100, 200)}) << 0;
    QTest::newRow("bitmap 64-bit")
        << bitmap64()
        << row({qRgb(255, 127, 0), qRgb(188, 255, 0), qRgb(255, 255, 255), qRgb(176, 176, 176)})
        << 0;
    const Bmp core = bmp(5, 3, 8, Rgb, 12);
    QTest::newRow("bitmap array") << bitmapArray(bitmap(core)) << expected(core) << 0;
    encodermaker::Png rgba;
    rgba.type = 6;
    QTest::newRow("bitmap holding a PNG")
        << embedding(encodermaker::png(rgba), Png, {rgba.w, rgba.h}, 124)
        << encodermaker::expected(rgba) << 0;
    QTest::newRow("bitmap holding a JPEG")
        << embedding(encodermaker::jpeg({}), Jpeg,
                     {encodermaker::kJpegSide, encodermaker::kJpegSide})
        << jpegPicture({}) << 3;
}

void TestPictureFormats::readsAsItsValuesSay()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QImage, expected);
    QFETCH(int, tolerance);
    verifyRead(bytes, expected, tolerance);
}

// A PNG whose zlib checksum is wrong under a chunk CRC made to match, as a faulty writer
// leaves it: the reference decoder refuses it.
QByteArray badZlibChecksum(QByteArray png)
{
    const qsizetype type = png.indexOf("IDAT");
    const qsizetype length = qFromBigEndian<quint32>(png.constData() + type - 4);
    const qsizetype crcAt = type + 4 + length;
    png[crcAt - 1] = char(png[crcAt - 1] ^ 0x01); // the Adler-32's last byte
    quint32 crc = 0xFFFFFFFFu;
    for (qsizetype i = type; i < crcAt; ++i) {
        crc ^= uchar(png[i]);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    qToBigEndian<quint32>(~crc, png.data() + crcAt);
    return png;
}

void TestPictureFormats::refusesDamaged_data()
{
    using namespace picturemaker;
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason"); // part of the reason
    const QByteArray png = encodermaker::png({});
    const QByteArray jpeg = encodermaker::jpeg({});
    QByteArray badCrc = png;
    const qsizetype idat = badCrc.indexOf("IDAT");
    badCrc[idat + 6] = char(badCrc[idat + 6] ^ 0x40);
    QByteArray badData = jpeg;
    badData.replace(badData.indexOf("\xFF\xDA") + 20, 4, "\x13\x37\xFF\xD5");
    QTest::newRow("PNG without its end chunk") << png.chopped(12) << "truncated";
    QTest::newRow("PNG data damaged") << badCrc << "damaged";
    QTest::newRow("PNG whose zlib checksum is wrong") << badZlibChecksum(png) << "damaged";
    QTest::newRow("JPEG data damaged") << badData << "damaged";
    QTest::newRow("JPEG without its end marker") << jpeg.chopped(2) << "truncated";
    QTest::newRow("JPEG of one scan repeated 20,000 times")
        << repeatedFirstScan(encodermaker::jpeg({JCS_YCbCr, true}), 20000) << "scans";
    QTest::newRow("JPEG scans repeated in sequence")
        << repeatedFirstScan(encodermaker::jpeg({JCS_YCbCr, true}), 1) << "scans";
    QTest::newRow("bitmap holding a PNG of another size") << embedding(png, Png, {9, 8}) << "size";
    QTest::newRow("bitmap holding a damaged JPEG")
        << embedding(badData, Jpeg, {encodermaker::kJpegSide, encodermaker::kJpegSide})
        << "damaged";
    QByteArray huffman = bitmap(bmp(8, 2, 1, Rgb, 64));
    huffman[30] = 3;
    QTest::newRow("bitmap OS/2 Huffman 1D") << huffman << "Huffman";
    QByteArray icon = bitmapArray(bitmap(bmp(5, 3, 8)));
    icon.replace(14, 2, "CI");
    QTest::newRow("bitmap array of a colour icon") << icon << "array";
}

void TestPictureFormats::refusesDamaged()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    const TwoReads t = readDirtied(bytes);
    QVERIFY(t.first.image.isNull());
    QVERIFY2(t.first.error.contains(reason), qPrintable(t.first.error));
    QCOMPARE(t.second.error, t.first.error);
}

QTEST_GUILESS_MAIN(TestPictureFormats)
#include "tst_pictureformats.moc"

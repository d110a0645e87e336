// The picture reader on files a user's disk may hold: every bitmap variant, PNG, GIF and
// JPEG, files cut short or crafted, and a directory in a file's place.
#include "encodermaker.h"
#include "mapfile.h"
#include "picturemaker.h"
#include "progress.h"
#include "readcheck.h"
#include "watcheddevice.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QTest>

using namespace tessellon;
using namespace readcheck;

namespace {

using picturemaker::bmp;
using picturemaker::Bmp;

Bmp masked(int bits, std::array<quint32, 3> masks, int header = 40, bool topDown = false)
{
    Bmp b = bmp(6, 3, bits, picturemaker::Bitfields, header, topDown);
    b.masks = masks;
    return b;
}

// A bitmap of w x h 8- or 4-bit pixels whose pixel data is `runs`.
QByteArray runBitmap(int w, int h, int bits, const QByteArray& runs)
{
    return picturemaker::bitmap(
        bmp(w, h, bits, bits == 8 ? picturemaker::Rle8 : picturemaker::Rle4), &runs);
}

// The picture of `rows` (top first): '.' white, '#' black, 'r' red.
QImage drawn(const QStringList& rows)
{
    QImage img(rows[0].size(), rows.size(), QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QChar c = rows[y][x];
            img.setPixel(x, y, c == '#' ? 0xFF000000 : c == 'r' ? 0xFFFF0000 : 0xFFFFFFFF);
        }
    return img;
}

} // namespace

class TestPictureReader : public QObject
{
    Q_OBJECT
private slots:
    void readsEveryBitmapVariant_data();
    void readsEveryBitmapVariant();
    void runsLeaveWhite_data();
    void runsLeaveWhite();
    void readsOtherFormats_data();
    void readsOtherFormats();
    void refusesDamagedFiles_data();
    void refusesDamagedFiles();
    void refusesADirectory();
    void stopsWhenAsked_data();
    void stopsWhenAsked();
};

void TestPictureReader::readsEveryBitmapVariant_data()
{
    using namespace picturemaker;
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QImage>("expected");
    QTest::addColumn<bool>("qtAgrees"); // Qt's own reader reads it alike
    auto add = [](const char* name, const Bmp& b, bool qt) {
        QTest::newRow(name) << bitmap(b) << expected(b) << qt;
    };
    Bmp shortTable = bmp(7, 3, 8), withTable = bmp(3, 2, 24);
    shortTable.colours = 3; // indices beyond it are black
    withTable.colours = 16;
    add("1-bit, padded rows", bmp(9, 3, 1), true);
    add("1-bit top-down, over 32 pixels", bmp(33, 2, 1, Rgb, 40, true), true);
    add("1-bit OS/2 core", bmp(5, 4, 1, Rgb, 12), true);
    add("4-bit", bmp(7, 3, 4), true);
    add("4-bit top-down", bmp(7, 3, 4, Rgb, 40, true), true);
    add("4-bit OS/2 core", bmp(5, 2, 4, Rgb, 12), true);
    add("8-bit", bmp(7, 3, 8), true);
    add("8-bit short colour table", shortTable, false);
    add("8-bit OS/2 core", bmp(7, 3, 8, Rgb, 12), true);
    add("8-bit OS/2 2.x, 16 bytes", bmp(7, 3, 8, Rgb, 16), false);
    add("8-bit OS/2 2.x, 64 bytes", bmp(7, 3, 8, Rgb, 64), false);
    add("RLE8", bmp(5, 4, 8, Rle8), true);
    add("RLE8, stretches over 255", bmp(300, 3, 8, Rle8), true);
    add("RLE8 top-down", bmp(5, 4, 8, Rle8, 40, true), false);
    add("RLE4, odd width", bmp(7, 4, 4, Rle4), true);
    add("RLE4, stretches over 255", bmp(301, 3, 4, Rle4), true);
    add("16-bit 5-5-5", bmp(6, 3, 16), false);
    add("16-bit 5-6-5 masks", masked(16, {0xF800, 0x07E0, 0x001F}), false);
    add("16-bit 5-6-5, 56-byte header", masked(16, {0xF800, 0x07E0, 0x001F}, 56), false);
    add("16-bit 4-4-4, V4 top-down", masked(16, {0x0F00, 0x00F0, 0x000F}, 108, true), false);
    add("24-bit 1 x 1", bmp(1, 1, 24), true);
    add("24-bit 2 x 3", bmp(2, 3, 24), true);
    add("24-bit OS/2 core", bmp(3, 2, 24, Rgb, 12), true);
    add("24-bit OS/2 2.x, 64 bytes", bmp(3, 2, 24, Rgb, 64), false);
    add("24-bit V5 top-down", bmp(3, 2, 24, Rgb, 124, true), true);
    add("24-bit with a colour table", withTable, true);
    add("32-bit", bmp(3, 4, 32), true);
    add("32-bit V4", bmp(3, 4, 32, Rgb, 108), true);
    add("32-bit blue-green-red masks, V5", masked(32, {0xFF, 0xFF00, 0xFF0000}, 124), true);
    add("32-bit 10-10-10, 52-byte header", masked(32, {0x3FF00000, 0xFFC00, 0x3FF}, 52), false);
    add("32-bit without a blue mask", masked(32, {0xFF0000, 0xFF00, 0}), false);
}

void TestPictureReader::readsEveryBitmapVariant()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QImage, expected);
    QFETCH(bool, qtAgrees);
    verifyRead(bytes, expected);
    if (QTest::currentTestFailed()) return;
    // Where Qt reads the variant too, the hand-made file is no private dialect of ours.
    if (qtAgrees)
        QCOMPARE(QImage::fromData(bytes, "BMP").convertToFormat(QImage::Format_RGB32), expected);
}

void TestPictureReader::runsLeaveWhite_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QImage>("expected");
    // indices: 2 black, 3 red; the first stored row is the bottom one
    QTest::newRow("a jump skips pixels")
        << runBitmap(4, 3, 8, QByteArray("\2\2\0\2\1\1\1\3\0\1", 10))
        << drawn({"....", "...r", "##.."});
    QTest::newRow("an early end") << runBitmap(4, 2, 4, QByteArray("\3\x22\0\1", 4))
                                  << drawn({"....", "###."});
    QTest::newRow("end of line") << runBitmap(4, 2, 8, QByteArray("\1\2\0\0\2\3\0\1", 8))
                                 << drawn({"rr..", "#..."});
    QTest::newRow("a run past the right edge")
        << runBitmap(3, 1, 8, QByteArray("\5\2\0\1", 4)) << drawn({"###"});
}

void TestPictureReader::runsLeaveWhite()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QImage, expected);
    const TwoReads t = readDirtied(bytes);
    QVERIFY2(t.first.error.isEmpty(), qPrintable(t.first.error));
    QCOMPARE(t.first.image, expected);
    QCOMPARE(t.second.image, t.first.image);
}

void TestPictureReader::readsOtherFormats_data()
{
    using namespace picturemaker;
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QImage>("expected");
    const QImage rgb = patternImage(7, 5);
    const QImage mono = rgb.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    const QImage grey = rgb.convertToFormat(QImage::Format_Grayscale8);
    QTest::newRow("PNG") << encoded(rgb, "PNG") << rgb;
    QTest::newRow("PNG colour table")
        << encoded(rgb.convertToFormat(QImage::Format_Indexed8), "PNG") << rgb;
    QTest::newRow("PNG 1-bit") << encoded(mono, "PNG")
                               << mono.convertToFormat(QImage::Format_RGB32);
    QTest::newRow("PNG grey") << encoded(grey, "PNG") << grey.convertToFormat(QImage::Format_RGB32);
    QTest::newRow("PNG 16 bits a channel")
        << encoded(rgb.convertToFormat(QImage::Format_RGBA64), "PNG") << rgb;
    QImage seeThrough = rgb.convertToFormat(QImage::Format_RGBA64);
    seeThrough.setPixelColor(2, 0, QColor(0, 0, 0, 0));
    QImage onWhite = rgb;
    onWhite.setPixel(2, 0, 0xFFFFFFFF);
    QTest::newRow("PNG 16 bits, see-through") << encoded(seeThrough, "PNG") << onWhite;
    QImage white(5, 3, QImage::Format_RGB32);
    white.fill(Qt::white);
    QTest::newRow("GIF, transparent screen") << tinyGif(5, 3) << white;
    const QImage tall = patternImage(7, 11);
    QTest::newRow("GIF") << gif(tall) << tall;
    QTest::newRow("GIF interlaced") << gif(tall, true) << tall;
    // a comment longer than the reader's buffer before the image: the codes start far in
    QByteArray comment("\x21\xFE");
    for (int i = 0; i < 300; ++i)
        comment += char(255) + QByteArray(255, 'c');
    QByteArray commented = gif(tall);
    commented.insert(6 + 7 + 3 * kPaletteSize, comment + '\0');
    QTest::newRow("GIF after a long comment") << commented << tall;
    // on a larger screen, at (2, 1), the grid's grey (index 1) see-through: white around
    QImage framed(10, 13, QImage::Format_RGB32);
    framed.fill(Qt::white);
    for (int y = 0; y < tall.height(); ++y)
        for (int x = 0; x < tall.width(); ++x)
            if (tall.pixel(x, y) != kPalette[1]) framed.setPixel(x + 2, y + 1, tall.pixel(x, y));
    QTest::newRow("GIF on a larger screen") << gif(tall, false, {10, 13}, {2, 1}, 1) << framed;
    // long runs: codes for strings of the table, one of them the string being defined
    QImage runs(90, 7, QImage::Format_RGB32);
    runs.fill(kPalette[3]);
    runs.setPixel(50, 4, kPalette[5]);
    QTest::newRow("GIF of long runs") << gif(runs) << runs;
    // Qt's reader reads those whole files alike, so they are no private dialect of ours
    const std::pair<QByteArray, QImage> byQt[] = {{gif(tall, true), tall}, {gif(runs), runs}};
    for (const auto& [g, picture] : byQt)
        QCOMPARE(QImage::fromData(g, "GIF").convertToFormat(QImage::Format_RGB32), picture);
    // lossy: the pixels are whatever Qt's own reader makes of the whole file
    const QByteArray progressive = progressiveJpeg(patternImage(40, 24));
    QVERIFY(!progressive.isEmpty());
    const QByteArray jpegs[] = {encoded(rgb, "JPEG"), encoded(grey, "JPEG"), progressive};
    const char* names[] = {"JPEG", "JPEG grey", "JPEG progressive"};
    for (int i = 0; i < 3; ++i)
        QTest::newRow(names[i]) << jpegs[i]
                                << QImage::fromData(jpegs[i]).convertToFormat(QImage::Format_RGB32);
}

void TestPictureReader::readsOtherFormats()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QImage, expected);
    verifyRead(bytes, expected);
}

void TestPictureReader::refusesADirectory()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("thing.bmp");
    QVERIFY(QDir().mkdir(path));
    const PictureResult r = readPicture(path);
    QVERIFY(r.image.isNull());
    QVERIFY(!r.error.isEmpty());
}

void TestPictureReader::refusesDamagedFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason"); // part of the reason, where it tells which check refused
    using namespace picturemaker;
    auto add = [](const char* name, const QByteArray& bytes, const char* reason = "") {
        QTest::newRow(name) << bytes << QString::fromLatin1(reason);
    };
    auto patched = [](QByteArray b, int at, qint32 v) {
        qToLittleEndian<qint32>(v, b.data() + at);
        return b;
    };
    const QByteArray eight = bitmap(bmp(8, 8, 8));
    // pixels cut short in variants beside the plain 24- and 32-bit ones
    add("OS/2 24-bit 64 x 64, 48 pixel bytes", bitmap(bmp(64, 64, 24, Rgb, 12)).left(14 + 12 + 48));
    add("32-bit bit-fields 25 bytes short",
        bitmap(masked(32, {0xFF0000, 0xFF00, 0xFF})).chopped(25));
    add("8-bit, pixels past the end", patched(eight, 10, eight.size() + 100));
    add("unknown header size", patched(eight, 14, 20));
    add("colour table cut short", eight.left(14 + 40 + 10));
    add("RLE8 ends inside the picture", runBitmap(4, 3, 8, QByteArray("\4\1\0\0", 4)));
    add("RLE4 ends inside a stretch", runBitmap(8, 2, 4, QByteArray("\0\x08\x12", 3)));
    // a small file that announces a huge picture: refused from its header, either row order
    const QByteArray fourK(4096 - 14 - 40 - 8, '\0'), hundred(100, '\0');
    add("8-bit 16384 square in 1,178 bytes", hugeBitmap(), "truncated");
    add("1-bit top-down 16384 square in 4 KB", bitmap(bmp(16384, 16384, 1, Rgb, 40, true), &fourK),
        "truncated");
    add("24-bit top-down 16384 square in 100 bytes",
        bitmap(bmp(16384, 16384, 24, Rgb, 40, true), &hundred), "truncated");
    add("24-bit bottom-up 16384 square in 100 bytes", bitmap(bmp(16384, 16384, 24), &hundred),
        "truncated");
    // 1 GiB as a canvas, 16 bits a channel narrowed row by row: only the data is short
    QByteArray deep = encoded(QImage(1, 1, QImage::Format_RGBX64), "PNG");
    for (int at : {16, 20})
        qToBigEndian<quint32>(16384, deep.data() + at);
    qToBigEndian<quint32>(crc32(QByteArrayView(deep).sliced(12, 17)), deep.data() + 29);
    add("PNG 16 bits a channel, 16384 square", deep, "image data");
    // 1 GiB as a canvas and the coefficients of its scans beside it
    QByteArray manyScans = progressiveJpeg(patternImage(40, 30));
    const qsizetype frame = manyScans.indexOf("\xFF\xC2");
    for (int at : {5, 7})
        qToBigEndian<quint16>(16384, manyScans.data() + frame + at);
    add("JPEG progressive, 16384 square", manyScans, "too much memory");
    // what no bitmap reader takes
    add("broken mask", bitmap(masked(16, {0x7A00, 0x03E0, 0x001F})));
    add("embedded JPEG", patched(eight, 30, 4));
    add("3 bits a pixel", patched(eight, 28, 3));
    add("no rows", patched(eight, 22, 0));
    add("negative width", patched(eight, 18, -8));
    // other formats cut short or damaged, and one we do not read
    const QImage small = patternImage(40, 30);
    add("PNG cut short", encoded(small, "PNG").chopped(20));
    add("GIF cut short", tinyGif(4, 4).left(35));
    // a whole file whose codes stop short of the last pixels
    QByteArray fewCodes = gif(patternImage(7, 11));
    fewCodes.replace(fewCodes.indexOf(char(0x2C)) + 11, 1, QByteArray(1, char(20)));
    add("GIF with too few codes",
        fewCodes.left(fewCodes.indexOf(char(0x2C)) + 12 + 20) + QByteArray("\0;", 2));
    add("GIF image beyond its screen", gif(patternImage(7, 11), false, {7, 10}));
    const QByteArray jpeg = encoded(small, "JPEG");
    add("JPEG cut short", jpeg.chopped(10));
    // the frame, the scan's header and four bytes of its data, then the end marker
    const qsizetype scan = jpeg.indexOf("\xFF\xDA");
    add("JPEG scan cut short, end marker present",
        jpeg.left(scan + 2 + qFromBigEndian<quint16>(jpeg.constData() + scan + 2) + 4) +
            "\xFF\xD9");
    add("PPM", encoded(small, "PPM"));
}

void TestPictureReader::refusesDamagedFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    const TwoReads t = readDirtied(bytes);
    QVERIFY(t.first.image.isNull());
    QVERIFY(!t.first.error.isEmpty());
    QVERIFY2(t.first.error.contains(reason), qPrintable(t.first.error));
    QCOMPARE(t.second.error, t.first.error);
}

QTEST_GUILESS_MAIN(TestPictureReader)
namespace {

// Bytes whose reader is asked to stop once its reads come within `left` bytes of the end.
class StoppingBuffer : public QBuffer
{
public:
    StoppingBuffer(QByteArray* bytes, Progress& progress, qint64 left)
        : QBuffer(bytes), progress_(progress), left_(left)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 n = QBuffer::readData(data, maxSize);
        if (pos() + n >= size() - left_) progress_.requestStop();
        return n;
    }

private:
    Progress& progress_;
    qint64 left_;
};

} // namespace

void TestPictureReader::stopsWhenAsked_data()
{
    using namespace picturemaker;
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("left"); // the bytes still unread when the stop comes
    // read to its end before the stop, with a pass still to come: the bar must not be full
    QTest::addColumn<bool>("passLeft");
    const QImage big = patternImage(600, 500);
    // taller than one band of rows, which the reader takes in one read
    const QByteArray rows = bitmap(bmp(600, 2500, 24)), runs = bitmap(bmp(600, 2500, 8, Rle8));
    QTest::newRow("bitmap rows") << rows << rows.size() / 2 << false;
    QTest::newRow("bitmap runs") << runs << runs.size() / 2 << false;
    QTest::newRow("bitmap runs, checked") << runs << qint64(0) << true;
    // decoded after the last read of the pixel data: the loops themselves must ask
    QTest::newRow("GIF") << gif(big) << qint64(0) << false;
    QTest::newRow("GIF interlaced") << gif(big, true) << qint64(0) << false;
    QTest::newRow("PNG") << encoded(big, "PNG") << qint64(16) << false; // all but checksum and end
    encodermaker::Png adam7;
    adam7.w = 600, adam7.h = 500, adam7.interlaced = true;
    QTest::newRow("PNG Adam7") << encodermaker::png(adam7) << qint64(16) << false;
    QTest::newRow("JPEG") << encoded(big, "JPEG") << qint64(0) << false;
    QTest::newRow("JPEG progressive") << progressiveJpeg(big) << qint64(0) << true;
}

void TestPictureReader::stopsWhenAsked()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, left);
    QFETCH(bool, passLeft);
    Progress progress;
    StoppingBuffer inner(&bytes, progress, left);
    WatchedDevice watched(inner, progress);
    QVERIFY2(readPicture(watched).image.isNull(), "a stopped read gave a picture");
    if (passLeft) QVERIFY2(progress.permille() < 1000, "the bar was full with a pass to come");
    QVERIFY(!readPicture(inner).image.isNull()); // the same bytes unwatched read whole
}

#include "tst_picturereader.moc"

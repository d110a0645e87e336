#include "mapfile.h"
#include "picturemaker.h"
#include "testfiles.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>
#include <QTest>

#include <csignal>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace tessellon;

namespace {

// Colours that catch swapped channels and the grid's near-grey (0x00B3B4B4 as BBGGRR).
constexpr QRgb kColours[] = {0xFFFFFFFF, 0xFFB4B4B3, 0xFF000000, 0xFFFF0000,
                             0xFF00FF00, 0xFF0000FF, 0xFF123456, 0xFFFEFDFC};
constexpr int kColourCount = int(std::size(kColours));

int colourIndex(int x, int y)
{
    return (x * 7 + y * 3 + x * y) % kColourCount;
}

QImage pattern(int w, int h, QImage::Format format = QImage::Format_RGB32)
{
    QImage img(w, h, format);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, kColours[colourIndex(x, y)]);
    return img;
}

template <typename T> void putLe(QByteArray& b, T v)
{
    uchar raw[sizeof(T)];
    qToLittleEndian<T>(v, raw);
    b.append(reinterpret_cast<const char*>(raw), sizeof raw);
}

// A bitmap built by hand: headers, optional palette of kColours, rows of the pattern.
QByteArray handBmp(int w, int h, int bits, bool topDown = false)
{
    const int paletteBytes = bits == 8 ? kColourCount * 4 : 0;
    const int rowBytes = (w * bits + 31) / 32 * 4;
    QByteArray b("BM");
    putLe<quint32>(b, 54 + paletteBytes + rowBytes * h);
    putLe<quint32>(b, 0);
    putLe<quint32>(b, 54 + paletteBytes);
    for (quint32 v : {40u, quint32(w), quint32(topDown ? -h : h)})
        putLe<quint32>(b, v);
    putLe<quint16>(b, 1);
    putLe<quint16>(b, quint16(bits));
    for (quint32 v : {0u, quint32(rowBytes * h), 2835u, 2835u})
        putLe<quint32>(b, v);
    putLe<quint32>(b, bits == 8 ? kColourCount : 0);
    putLe<quint32>(b, 0);
    for (int i = 0; i < paletteBytes / 4; ++i)
        putLe<quint32>(b, kColours[i] & 0xFFFFFF);
    for (int r = 0; r < h; ++r) {
        const int y = topDown ? r : h - 1 - r;
        QByteArray row(rowBytes, '\0');
        for (int x = 0; x < w; ++x) {
            const QRgb c = kColours[colourIndex(x, y)];
            if (bits == 8) {
                row[x] = char(colourIndex(x, y));
                continue;
            }
            char* p = row.data() + x * bits / 8;
            p[0] = char(qBlue(c));
            p[1] = char(qGreen(c));
            p[2] = char(qRed(c));
        }
        b += row;
    }
    return b;
}

quint32 u32(const QByteArray& b, int at)
{
    return qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(b.constData() + at));
}

quint16 u16(const QByteArray& b, int at)
{
    return qFromLittleEndian<quint16>(reinterpret_cast<const uchar*>(b.constData() + at));
}

bool allOpaque(const QImage& img)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) != 0xFF) return false;
    return true;
}

// Root writes through permission bits; the read-only cases mean nothing then.
bool permissionsEnforced(const QString& dir)
{
    const QString ro = dir + "/probe";
    QDir().mkpath(ro);
    QFile::setPermissions(ro, QFile::ReadOwner | QFile::ExeOwner);
    QFile f(ro + "/x");
    const bool wrote = f.open(QIODevice::WriteOnly);
    QFile::setPermissions(ro, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QDir(ro).removeRecursively();
    return !wrote;
}

// A valid PNG of 16384 x 16385 pixels: small as a 1-bit file, just over the budget as RGB32.
QByteArray overBudgetPng()
{
    QImage mono(16384, 16385, QImage::Format_Mono);
    mono.fill(1);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    mono.save(&buffer, "PNG");
    return bytes;
}

using picturemaker::Bmp;

// Reads `bytes` twice, the allocator filling the memory it hands out with a different byte
// each time: a pixel taken from memory rather than from the file makes the reads differ.
struct TwoReads
{
    PictureResult first, second;
};

TwoReads readDirtied(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    TwoReads t;
    mallopt(M_PERTURB, 0x5A);
    t.first = readPicture(buffer);
    mallopt(M_PERTURB, 0xA5);
    t.second = readPicture(buffer);
    mallopt(M_PERTURB, 0);
    return t;
}

Bmp bmp(int w, int h, int bits, quint32 compression = picturemaker::Rgb, int header = 40,
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

// The kernel's peak of this process's resident memory, reset, and the current size: what
// a step costs at most, from a reset to the next reading of the peak.
qint64 statusKb(const char* key)
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ')[0].toLongLong();
    return -1;
}

bool resetPeak()
{
    QFile clear("/proc/self/clear_refs");
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}
} // namespace

class TestMapFile : public QObject
{
    Q_OBJECT
private slots:
    void mapPathJoins_data();
    void mapPathJoins();
    void roundTrip_data();
    void roundTrip();
    void headerBytes();
    void replacesExistingFile();
    void readsVariants_data();
    void readsVariants();
    void transparentGoesOnWhite();
    void acceptsBeyondQtDefaultLimit();
    void refusesBadFiles_data();
    void refusesBadFiles();
    void readsEveryBitmapVariant_data();
    void readsEveryBitmapVariant();
    void runsLeaveWhite_data();
    void runsLeaveWhite();
    void readsOtherFormats_data();
    void readsOtherFormats();
    void refusesWhatIsNotAFile_data();
    void refusesWhatIsNotAFile();
    void memoryPeaks_data();
    void memoryPeaks();
    void saveFailures_data();
    void saveFailures();
    void failedWriteKeepsOldFile();

private:
    QTemporaryDir tmp_;
};

void TestMapFile::mapPathJoins_data()
{
    QTest::addColumn<QString>("dir");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "/opt/tess"
                           << "dungeon"
                           << "/opt/tess/dungeon.bmp";
    QTest::newRow("backslash") << "/opt/tess"
                               << "maps\\castle"
                               << "/opt/tess/maps/castle.bmp";
    QTest::newRow("bmp inside") << "/opt/tess"
                                << "keep.bmp.old"
                                << "/opt/tess/keep.bmp.old.bmp";
    QTest::newRow("ending kept") << "/opt/tess"
                                 << "keep.bmp"
                                 << "/opt/tess/keep.bmp.bmp";
    QTest::newRow("upper ending") << "/opt/tess"
                                  << "keep.BMP"
                                  << "/opt/tess/keep.BMP.bmp";
    QTest::newRow("empty") << "/opt/tess"
                           << ""
                           << "/opt/tess/.bmp";
    QTest::newRow("dir with slash") << "/opt/tess/"
                                    << "a b"
                                    << "/opt/tess/a b.bmp";
}

void TestMapFile::mapPathJoins()
{
    QFETCH(QString, dir);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(mapPath(dir, name), QDir::toNativeSeparators(expected));
}

void TestMapFile::roundTrip_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<QImage::Format>("format");
    for (int w : {1, 2, 3, 4, 5})
        for (int h : {1, 2, 3})
            QTest::addRow("%dx%d", w, h) << w << h << QImage::Format_RGB32;
    QTest::newRow("7x5 argb") << 7 << 5 << QImage::Format_ARGB32;
    // Over a megabyte: several write chunks, the last one short.
    QTest::newRow("5001x150") << 5001 << 150 << QImage::Format_RGB32;
    QTest::newRow("5001x150 rgb888") << 5001 << 150 << QImage::Format_RGB888;
    QTest::newRow("9x4 indexed") << 9 << 4 << QImage::Format_Indexed8;
}

void TestMapFile::roundTrip()
{
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(QImage::Format, format);
    QImage src = format == QImage::Format_Indexed8
                     ? pattern(w, h).convertToFormat(format, Qt::ThresholdDither)
                     : pattern(w, h, format);
    const QImage expected = pattern(w, h);
    const QString path = tmp_.filePath("round.bmp");
    QString error;
    QVERIFY2(writeBitmap(src, path, &error), qPrintable(error));
    QCOMPARE(QFileInfo(path).size(), 54 + qint64((w * 3 + 3) / 4 * 4) * h);

    const PictureResult ours = readPicture(path);
    QVERIFY2(ours.error.isEmpty(), qPrintable(ours.error));
    QCOMPARE(ours.image.format(), QImage::Format_RGB32);
    QCOMPARE(ours.image, expected);
    QVERIFY(allOpaque(ours.image));
    const QImage qt = QImageReader(path).read();
    QCOMPARE(qt.size(), expected.size());
    QCOMPARE(qt.convertToFormat(QImage::Format_RGB32), expected);
}

void TestMapFile::headerBytes()
{
    // 2 x 2: rows of 6 bytes padded to 8; the bottom row comes first.
    QImage img(2, 2, QImage::Format_RGB32);
    img.setPixel(0, 0, 0xFF010203);
    img.setPixel(1, 0, 0xFF040506);
    img.setPixel(0, 1, 0xFFB4B4B3);
    img.setPixel(1, 1, 0xFFFFFFFF);
    const QString path = tmp_.filePath("tiny.bmp");
    QVERIFY(writeBitmap(img, path, nullptr));
    const QByteArray b = readFile(path);
    QCOMPARE(b.size(), 70);
    QCOMPARE(b.left(2), QByteArray("BM"));
    QCOMPARE(u32(b, 2), 70u);  // file size
    QCOMPARE(u32(b, 6), 0u);   // reserved
    QCOMPARE(u32(b, 10), 54u); // pixel offset
    QCOMPARE(u32(b, 14), 40u); // BITMAPINFOHEADER
    QCOMPARE(u32(b, 18), 2u);  // width
    QCOMPARE(u32(b, 22), 2u);  // height, positive: bottom-up
    QCOMPARE(u16(b, 26), 1);   // planes
    QCOMPARE(u16(b, 28), 24);  // bits per pixel
    QCOMPARE(u32(b, 30), 0u);  // uncompressed
    QCOMPARE(u32(b, 34), 16u); // image bytes
    QCOMPARE(u32(b, 46), 0u);  // no palette
    const QByteArray pixels = QByteArray::fromHex("b3b4b4ffffff0000"
                                                  "0302010605040000");
    QCOMPARE(b.mid(54), pixels);
}

void TestMapFile::replacesExistingFile()
{
    const QString path = tmp_.filePath("replace.bmp");
    QVERIFY(writeBitmap(pattern(40, 30), path, nullptr));
    QVERIFY(writeBitmap(pattern(3, 2), path, nullptr));
    QCOMPARE(readPicture(path).image, pattern(3, 2));
    QCOMPARE(QDir(tmp_.path()).entryList({"replace*"}, QDir::Files).size(), 1);
}

void TestMapFile::readsVariants_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::newRow("24-bit") << handBmp(5, 3, 24) << 5 << 3;
    QTest::newRow("24-bit top-down") << handBmp(5, 3, 24, true) << 5 << 3;
    QTest::newRow("32-bit") << handBmp(3, 4, 32) << 3 << 4;
    QTest::newRow("32-bit top-down") << handBmp(3, 4, 32, true) << 3 << 4;
    QTest::newRow("8-bit paletted") << handBmp(7, 3, 8) << 7 << 3;
    QTest::newRow("widest side, padded rows") << handBmp(32767, 2, 24) << 32767 << 2;
}

void TestMapFile::readsVariants()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, w);
    QFETCH(int, h);
    const QString path = tmp_.filePath("variant.bmp");
    writeFile(path, bytes);
    const PictureResult r = readPicture(path);
    QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
    QCOMPARE(r.image.format(), QImage::Format_RGB32);
    QCOMPARE(r.image, pattern(w, h));
    QVERIFY(allOpaque(r.image)); // the 32-bit rows carry 0 in their fourth byte
    // The hand-made files are what Qt reads too, so they are no private dialect of ours.
    QCOMPARE(QImageReader(path).read().convertToFormat(QImage::Format_RGB32), pattern(w, h));
}

void TestMapFile::transparentGoesOnWhite()
{
    QImage img(2, 1, QImage::Format_ARGB32);
    img.setPixel(0, 0, 0x00000000);
    img.setPixel(1, 0, 0xFF123456);
    const QString path = tmp_.filePath("alpha.bmp"); // a PNG whatever the name says
    QVERIFY(img.save(path, "PNG"));
    const PictureResult r = readPicture(path);
    QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
    QCOMPARE(r.image.format(), QImage::Format_RGB32);
    QCOMPARE(r.image.pixel(0, 0), 0xFFFFFFFFu);
    QCOMPARE(r.image.pixel(1, 0), 0xFF123456u);
}

void TestMapFile::acceptsBeyondQtDefaultLimit()
{
    // 9000 x 9000 decodes to 324 MB, above Qt's own default limit of 256 MB.
    QImage big(9000, 9000, QImage::Format_RGB32);
    big.fill(0xFFFFFFFF);
    big.setPixel(8999, 8999, 0xFF123456);
    const QString path = tmp_.filePath("big.png");
    QVERIFY(big.save(path, "PNG", 0));
    big = QImage();
    const int qtLimit = QImageReader::allocationLimit();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("allocation limit"));
    QVERIFY(QImageReader(path).read().isNull()); // Qt alone refuses it
    const PictureResult r = readPicture(path);
    QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
    QCOMPARE(r.image.size(), QSize(9000, 9000));
    QCOMPARE(r.image.pixel(8999, 8999), 0xFF123456u);
    QCOMPARE(r.image.pixel(0, 0), 0xFFFFFFFFu);
    QCOMPARE(QImageReader::allocationLimit(), qtLimit); // the process-wide limit is restored
}

void TestMapFile::refusesBadFiles_data()
{
    QTest::addColumn<QByteArray>("bytes"); // empty with `missing`: no file at all
    QTest::addColumn<bool>("missing");
    const QByteArray good = handBmp(9, 9, 24);
    QByteArray huge24 = handBmp(4, 4, 24), huge8 = handBmp(4, 4, 8);
    for (QByteArray* b : {&huge24, &huge8}) {
        qToLittleEndian<qint32>(100000, b->data() + 18);
        qToLittleEndian<qint32>(100000, b->data() + 22);
    }
    QTest::newRow("missing") << QByteArray() << true;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("text") << QByteArray("Not a picture at all.\nJust words.\n") << false;
    QTest::newRow("truncated 24-bit") << good.left(good.size() - 5) << false;
    QTest::newRow("headers only") << good.left(54) << false;
    QTest::newRow("truncated header") << good.left(30) << false;
    QTest::newRow("100000 square 24-bit") << huge24 << false;
    QTest::newRow("100000 square 8-bit") << huge8 << false;
    QTest::newRow("one past the widest side") << handBmp(32768, 1, 24) << false;
    QTest::newRow("40000 x 10") << handBmp(40000, 10, 24) << false;
    QTest::newRow("10 x 40000 8-bit") << handBmp(10, 40000, 8) << false;
    QTest::newRow("png over budget") << overBudgetPng() << false;

    using namespace picturemaker;
    auto patched = [](QByteArray b, int at, qint32 v) {
        qToLittleEndian<qint32>(v, b.data() + at);
        return b;
    };
    const QByteArray eight = bitmap(bmp(8, 8, 8));
    // pixels cut short in variants beside the plain 24- and 32-bit ones
    QTest::newRow("OS/2 24-bit 64 x 64, 48 pixel bytes")
        << bitmap(bmp(64, 64, 24, Rgb, 12)).left(14 + 12 + 48) << false;
    QTest::newRow("32-bit bit-fields 25 bytes short")
        << bitmap(masked(32, {0xFF0000, 0xFF00, 0xFF})).chopped(25) << false;
    QTest::newRow("8-bit, pixels past the end") << patched(eight, 10, eight.size() + 100) << false;
    QTest::newRow("unknown header size") << patched(eight, 14, 20) << false;
    QTest::newRow("colour table cut short") << eight.left(14 + 40 + 10) << false;
    QTest::newRow("RLE8 ends inside the picture")
        << runBitmap(4, 3, 8, QByteArray("\4\1\0\0", 4)) << false;
    QTest::newRow("RLE4 ends inside a stretch")
        << runBitmap(8, 2, 4, QByteArray("\0\x08\x12", 3)) << false;
    // a small file that announces a huge picture
    Bmp huge = bmp(16384, 16384, 8);
    huge.colours = 256;
    const QByteArray hundred(100, '\0'), fourK(4096 - 14 - 40 - 8, '\0'), few(46, '\0');
    QTest::newRow("8-bit 16384 square in 1,178 bytes") << bitmap(huge, &hundred) << false;
    QTest::newRow("1-bit top-down 16384 square in 4 KB")
        << bitmap(bmp(16384, 16384, 1, Rgb, 40, true), &fourK) << false;
    QTest::newRow("2048 x 131072 top-down in 100 bytes")
        << bitmap(bmp(2048, 131072, 24, Rgb, 40, true), &few) << false;
    QTest::newRow("2048 x 131072 bottom-up in 100 bytes")
        << bitmap(bmp(2048, 131072, 24), &few) << false;
    // what no bitmap reader takes
    QTest::newRow("broken mask") << bitmap(masked(16, {0x7A00, 0x03E0, 0x001F})) << false;
    QTest::newRow("embedded JPEG") << patched(eight, 30, 4) << false;
    QTest::newRow("2 bits a pixel") << patched(eight, 28, 2) << false;
    QTest::newRow("no rows") << patched(eight, 22, 0) << false;
    QTest::newRow("negative width") << patched(eight, 18, -8) << false;
    // other formats cut short, and one we do not read
    const QImage small = patternImage(40, 30);
    QTest::newRow("PNG cut short") << encoded(small, "PNG").chopped(20) << false;
    QTest::newRow("GIF cut short") << tinyGif(4, 4).left(35) << false;
    QByteArray fewCodes = gif(patternImage(7, 11)); // a code table cut short: pixels missing
    fewCodes.replace(fewCodes.indexOf(char(0x2C)) + 11, 1, QByteArray(1, char(20)));
    QTest::newRow("GIF with too few codes")
        << fewCodes.left(fewCodes.indexOf(char(0x2C)) + 12 + 20) + QByteArray("\0;", 2) << false;
    QTest::newRow("JPEG cut short") << encoded(small, "JPEG").chopped(10) << false;
    QTest::newRow("PPM") << encoded(small, "PPM") << false;
}

void TestMapFile::refusesBadFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, missing);
    const QString path = tmp_.filePath("bad.bmp");
    QFile::remove(path);
    if (!missing) writeFile(path, bytes);
    QElapsedTimer clock;
    clock.start();
    const PictureResult r = readPicture(path);
    QVERIFY(r.image.isNull());
    QVERIFY(!r.error.isEmpty());
    QVERIFY2(clock.elapsed() < 500, "a bad file must be refused quickly");
}

void TestMapFile::readsEveryBitmapVariant_data()
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

void TestMapFile::readsEveryBitmapVariant()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QImage, expected);
    QFETCH(bool, qtAgrees);
    const TwoReads t = readDirtied(bytes);
    QVERIFY2(t.first.error.isEmpty(), qPrintable(t.first.error));
    QCOMPARE(t.first.image.format(), QImage::Format_RGB32);
    QCOMPARE(t.first.image, expected);
    QVERIFY(allOpaque(t.first.image));
    QCOMPARE(t.second.image, t.first.image);
    // Where Qt reads the variant too, the hand-made file is no private dialect of ours.
    if (qtAgrees)
        QCOMPARE(QImage::fromData(bytes, "BMP").convertToFormat(QImage::Format_RGB32), expected);
}

void TestMapFile::runsLeaveWhite_data()
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

void TestMapFile::runsLeaveWhite()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QImage, expected);
    const TwoReads t = readDirtied(bytes);
    QVERIFY2(t.first.error.isEmpty(), qPrintable(t.first.error));
    QCOMPARE(t.first.image, expected);
    QCOMPARE(t.second.image, t.first.image);
}

void TestMapFile::readsOtherFormats_data()
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
    // on a larger screen, at (2, 1), the grid's grey (index 1) see-through: white around
    QImage framed(10, 13, QImage::Format_RGB32);
    framed.fill(Qt::white);
    for (int y = 0; y < tall.height(); ++y)
        for (int x = 0; x < tall.width(); ++x)
            if (tall.pixel(x, y) != kPalette[1]) framed.setPixel(x + 2, y + 1, tall.pixel(x, y));
    QTest::newRow("GIF on a larger screen") << gif(tall, false, {10, 13}, {2, 1}, 1) << framed;
    // Qt's reader reads those whole files alike, so they are no private dialect of ours
    QCOMPARE(QImage::fromData(gif(tall, true), "GIF").convertToFormat(QImage::Format_RGB32), tall);
    // lossy: the pixels are whatever Qt's own reader makes of the whole file
    QByteArray progressive;
    QBuffer buffer(&progressive);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPEG");
    writer.setProgressiveScanWrite(true);
    QVERIFY(writer.write(patternImage(40, 24)));
    const QByteArray jpegs[] = {encoded(rgb, "JPEG"), encoded(grey, "JPEG"), progressive};
    const char* names[] = {"JPEG", "JPEG grey", "JPEG progressive"};
    for (int i = 0; i < 3; ++i)
        QTest::newRow(names[i]) << jpegs[i]
                                << QImage::fromData(jpegs[i]).convertToFormat(QImage::Format_RGB32);
}

void TestMapFile::readsOtherFormats()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QImage, expected);
    const TwoReads t = readDirtied(bytes);
    QVERIFY2(t.first.error.isEmpty(), qPrintable(t.first.error));
    QCOMPARE(t.first.image.format(), QImage::Format_RGB32);
    QCOMPARE(t.first.image, expected);
    QVERIFY(allOpaque(t.first.image));
    QCOMPARE(t.second.image, t.first.image);
}

void TestMapFile::refusesWhatIsNotAFile_data()
{
    QTest::addColumn<QString>("kind");
    for (const char* kind : {"fifo", "directory", "device", "socket"})
        QTest::newRow(kind) << QString::fromLatin1(kind);
}

void TestMapFile::refusesWhatIsNotAFile()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QString path = dir.filePath("thing.bmp");
    const QByteArray name = QFile::encodeName(path);
    int listener = -1;
    if (kind == "fifo") QCOMPARE(mkfifo(name.constData(), 0600), 0);
    if (kind == "directory") QVERIFY(QDir().mkdir(path));
    if (kind == "device") path = QStringLiteral("/dev/zero");
    if (kind == "socket") {
        listener = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        qstrncpy(addr.sun_path, name.constData(), sizeof addr.sun_path);
        QCOMPARE(bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    }
    QElapsedTimer clock;
    clock.start();
    const PictureResult r = readPicture(path); // a FIFO without a writer must not block
    if (listener >= 0) close(listener);
    QVERIFY(r.image.isNull());
    QVERIFY(!r.error.isEmpty());
    QVERIFY(clock.elapsed() < 500);
}

void TestMapFile::memoryPeaks_data()
{
    using namespace picturemaker;
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("canvasSide"); // 0: refused
    Bmp huge = bmp(16384, 16384, 8);
    huge.colours = 256;
    const QByteArray hundred(100, '\0');
    QTest::newRow("8-bit 16384 square in 1,178 bytes") << bitmap(huge, &hundred) << 0;
    QImage indexed(4096, 4096, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    indexed.fill(0);
    indexed.setPixel(4095, 4095, 1);
    // decoded to a quarter of the canvas, then widened: in place, or a second image
    QTest::newRow("PNG colour table 4096 square") << encoded(indexed, "PNG") << 4096;
    // decoded to the whole canvas by Qt, then put on white: in place, or a copy
    QTest::newRow("GIF of a transparent 4096 square, 43 bytes") << tinyGif(4096, 4096) << 4096;
}

void TestMapFile::memoryPeaks()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the sanitizer's allocator and shadow memory change every figure");
#endif
    QFETCH(QByteArray, bytes);
    QFETCH(int, canvasSide);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    if (!resetPeak()) QSKIP("this system cannot reset the peak of resident memory");
    const qint64 before = statusKb("VmRSS:");
    const PictureResult r = readPicture(buffer);
    const qint64 grown = statusKb("VmHWM:") - before;
    const qint64 canvasKb = qint64(canvasSide) * canvasSide * 4 / 1024;
    QVERIFY2(r.image.isNull() == (canvasSide == 0), qPrintable(r.error));
    QVERIFY2(grown <= canvasKb + 4096, qPrintable(QString::number(grown) + " KB"));
}

void TestMapFile::saveFailures_data()
{
    QTest::addColumn<QString>("name"); // below the test directory
    QTest::addColumn<QString>("setup");
    QTest::newRow("parent is a file") << "plainfile/map.bmp"
                                      << "file plainfile";
    QTest::newRow("directory there") << "taken.bmp"
                                     << "dir taken.bmp";
    QTest::newRow("name too long") << QString(300, 'n') + ".bmp"
                                   << "";
    QTest::newRow("no such directory") << "nowhere/map.bmp"
                                       << "";
    QTest::newRow("read-only directory") << "locked/map.bmp"
                                         << "rodir locked";
    QTest::newRow("read-only file") << "rw/old.bmp"
                                    << "rofile rw/old.bmp";
}

void TestMapFile::saveFailures()
{
    QFETCH(QString, name);
    QFETCH(QString, setup);
    QTemporaryDir dir;
    const QString what = setup.section(' ', 0, 0), at = dir.filePath(setup.section(' ', 1));
    if ((what == "rodir" || what == "rofile") && !permissionsEnforced(dir.path()))
        QSKIP("running with rights that ignore permission bits (root); the other rows cover "
              "failed saves");
    if (what == "file") writeFile(at, "not a directory");
    if (what == "dir" || what == "rodir") QVERIFY(QDir().mkpath(at));
    if (what == "rofile") {
        QVERIFY(QDir().mkpath(QFileInfo(at).path()));
        QVERIFY(writeBitmap(pattern(2, 2), at, nullptr));
        QVERIFY(QFile::setPermissions(at, QFile::ReadOwner));
    }
    if (what == "rodir") QVERIFY(QFile::setPermissions(at, QFile::ReadOwner | QFile::ExeOwner));
    const QByteArray before = readFile(dir.filePath(name));
    const QStringList listing = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden);
    QString error;
    QVERIFY(!writeBitmap(pattern(3, 3), dir.filePath(name), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(readFile(dir.filePath(name)), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden), listing);
    if (what == "rodir")
        QFile::setPermissions(at, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestMapFile::failedWriteKeepsOldFile()
{
    // A file size limit makes writing fail part-way, as a full disk would; it holds for
    // every user, root included.
    const QString path = tmp_.filePath("keep.bmp");
    QVERIFY(writeBitmap(pattern(50, 40), path, nullptr));
    const QByteArray old = readFile(path);
    const QStringList listing = QDir(tmp_.path()).entryList(QDir::Files | QDir::Hidden);

    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100000;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool ok = writeBitmap(pattern(400, 300), path, &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!ok);
    QVERIFY(!error.isEmpty());
    QCOMPARE(readFile(path), old);
    QCOMPARE(QDir(tmp_.path()).entryList(QDir::Files | QDir::Hidden), listing);
}

QTEST_GUILESS_MAIN(TestMapFile)
#include "tst_mapfile.moc"

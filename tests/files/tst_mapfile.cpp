#include "mapfile.h"
#include "pngwriter.h"
#include "progress.h"
#include "testfiles.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>
#include <QTest>

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

// Root writes through permission bits; the read-only cases mean nothing then. Windows'
// read-only flag on a file holds for every user.
bool permissionsEnforced(const QString& dir)
{
#ifdef _WIN32
    Q_UNUSED(dir);
    return true;
#else
    const QString ro = dir + "/probe";
    QDir().mkpath(ro);
    QFile::setPermissions(ro, QFile::ReadOwner | QFile::ExeOwner);
    QFile f(ro + "/x");
    const bool wrote = f.open(QIODevice::WriteOnly);
    QFile::setPermissions(ro, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QDir(ro).removeRecursively();
    return !wrote;
#endif
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

} // namespace

class TestMapFile : public QObject
{
    Q_OBJECT
private slots:
    void mapPathJoins_data();
    void mapPathJoins();
    void roundTrip_data();
    void roundTrip();
    void pngRoundTrip_data();
    void pngRoundTrip();
    void pngColourScanStops();
    void headerBytes();
    void replacesExistingFile();
    void readsVariants_data();
    void readsVariants();
    void transparentGoesOnWhite();
    void acceptsBeyondQtDefaultLimit();
    void refusesBadFiles_data();
    void refusesBadFiles();
    void saveFailures_data();
    void saveFailures();

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

void TestMapFile::pngRoundTrip_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("colours"); // distinct colours, cycled over the pixels
    QTest::addColumn<QImage::Format>("format");
    QTest::addColumn<int>("colourType"); // the PNG's: 3 palette, 2 RGB
    QTest::newRow("2 colours") << 3 << 2 << 2 << QImage::Format_RGB32 << 3;
    QTest::newRow("256 colours, argb") << 300 << 7 << 256 << QImage::Format_ARGB32 << 3;
    QTest::newRow("257 colours") << 300 << 7 << 257 << QImage::Format_RGB32 << 2;
    // Over a megabyte of rows: several bands, converted, the last one short.
    QTest::newRow("5001x150 rgb888") << 5001 << 150 << 7 << QImage::Format_RGB888 << 3;
    QTest::newRow("5001x150 rgb888 many") << 5001 << 150 << 4000 << QImage::Format_RGB888 << 2;
}

void TestMapFile::pngRoundTrip()
{
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(int, colours);
    QFETCH(QImage::Format, format);
    QFETCH(int, colourType);
    QImage expected(w, h, QImage::Format_RGB32);
    for (int i = 0; i < w * h; ++i) {
        const int c = (i * 7 + i / w) % colours; // neighbours differ, so do rows
        expected.setPixel(i % w, i / w, qRgb(c % 256, c / 256 * 40, c * 37 % 256));
    }
    const QString path = tmp_.filePath("round.png");
    QString error;
    QVERIFY2(writeMap(expected.convertToFormat(format), path, MapFormat::Png, &error),
             qPrintable(error));
    const QByteArray file = readFile(path);
    QCOMPARE(int(file.at(25)), colourType);
    QCOMPARE(readPicture(path).image, expected);
    QCOMPARE(QImageReader(path).read().convertToFormat(QImage::Format_RGB32), expected);
}

// The colours of a map are scanned before its first byte: a large save could not be
// stopped meanwhile.
void TestMapFile::pngColourScanStops()
{
    QImage map(3000, 400, QImage::Format_RGB32); // several bands of rows, one colour
    map.fill(Qt::white);
    Progress stopped;
    stopped.requestStop();
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QString error;
    QVERIFY(!writePngPixels(out, map, {}, &error, &stopped));
    QCOMPARE(out.size(), 0);
    QCOMPARE(error, stoppedReason());
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
#ifndef _WIN32 // a folder's read-only flag keeps no file out of it on Windows
    QTest::newRow("read-only directory") << "locked/map.bmp"
                                         << "rodir locked";
#endif
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

QTEST_GUILESS_MAIN(TestMapFile)
#include "tst_mapfile.moc"

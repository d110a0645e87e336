// The picture reader on things a POSIX system can put where a file is expected, and what
// reading costs as the kernel counts it.
#include "encodermaker.h"
#include "mapfile.h"
#include "picturemaker.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace tessellon;

namespace {

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

class TestPictureReaderPosix : public QObject
{
    Q_OBJECT
private slots:
    void refusesWhatIsNotAFile_data();
    void refusesWhatIsNotAFile();
    void memoryPeaks_data();
    void memoryPeaks();
};

void TestPictureReaderPosix::refusesWhatIsNotAFile_data()
{
    QTest::addColumn<QString>("kind");
    for (const char* kind : {"fifo", "device", "socket"})
        QTest::newRow(kind) << QString::fromLatin1(kind);
}

void TestPictureReaderPosix::refusesWhatIsNotAFile()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QString path = dir.filePath("thing.bmp");
    const QByteArray name = QFile::encodeName(path);
    int listener = -1;
    if (kind == "fifo") QCOMPARE(mkfifo(name.constData(), 0600), 0);
    if (kind == "device") path = QStringLiteral("/dev/zero");
    if (kind == "socket") {
        listener = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        qstrncpy(addr.sun_path, name.constData(), sizeof addr.sun_path);
        QCOMPARE(bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    }
    const PictureResult r = readPicture(path); // a FIFO without a writer must not block
    if (listener >= 0) close(listener);
    QVERIFY(r.image.isNull());
    QVERIFY(!r.error.isEmpty());
}

void TestPictureReaderPosix::memoryPeaks_data()
{
    using namespace picturemaker;
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("canvasSide"); // 0: refused
    QTest::newRow("8-bit 16384 square in 1,178 bytes") << hugeBitmap() << 0;
    QImage indexed(4096, 4096, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    indexed.fill(0);
    indexed.setPixel(4095, 4095, 1);
    // decoded to a quarter of the canvas, then widened: in place, or a second image
    QTest::newRow("PNG colour table 4096 square") << encoded(indexed, "PNG") << 4096;
    // 16 bits a channel narrowed row by row; Adam7 assembled in the canvas rows themselves
    QImage deep(4096, 4096, QImage::Format_RGBA64);
    deep.fill(QColor(10, 20, 30, 40));
    QTest::newRow("PNG 16 bits a channel 4096 square") << encoded(deep, "PNG") << 4096;
    encodermaker::Png adam7;
    adam7.w = adam7.h = 2048;
    adam7.type = 6, adam7.depth = 16, adam7.interlaced = true;
    QTest::newRow("PNG Adam7 16 bits a channel 2048 square") << encodermaker::png(adam7) << 2048;
    // decoded straight into the canvas, white around the one transparent pixel
    QTest::newRow("GIF of a transparent 4096 square, 43 bytes") << tinyGif(4096, 4096) << 4096;
}

void TestPictureReaderPosix::memoryPeaks()
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
    if (canvasSide > 0) QVERIFY2(!r.image.isNull(), qPrintable(r.error)); // refusals: below
    QVERIFY2(grown <= canvasKb + 4096, qPrintable(QString::number(grown) + " KB"));
}

QTEST_GUILESS_MAIN(TestPictureReaderPosix)
#include "tst_picturereader_posix.moc"

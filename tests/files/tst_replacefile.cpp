#include "bmpformat.h"
#include "failingcalls.h" // the platform's
#include "mapfile.h"
#include "replacecheck.h"
#include "replacefile.h"
#include "testfiles.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace tessellon;
using namespace replacecheck;
using failing::arm;
using failing::Step;

class TestReplaceFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void failurePoints_data();
    void failurePoints();
    void pngFailureKeepsOldFile_data();
    void pngFailureKeepsOldFile();
    void stopFlag_data();
    void stopFlag();

private:
    QTemporaryDir dir_;
    QString path_;
    QByteArray old_;
};

void TestReplaceFile::init()
{
    QVERIFY(dir_.isValid());
    path_ = dir_.filePath("keep.bmp");
    QFile::remove(path_);
    QVERIFY(writeBitmap(pattern(50, 40), path_, nullptr));
    old_ = readFile(path_);
}

void TestReplaceFile::failurePoints_data()
{
    // 400 x 300 pixels: rows of 1200 bytes after the 54 bytes of headers.
    constexpr qint64 size = kBmpHeadersSize + 1200 * 300;
    QTest::addColumn<int>("step");
    QTest::addColumn<qint64>("failAt");
    QTest::newRow("none: short and interrupted writes") << int(Step::None) << qint64(0);
    QTest::newRow("first byte") << int(Step::Write) << qint64(0);
    QTest::newRow("inside the header") << int(Step::Write) << qint64(20);
    QTest::newRow("inside a row") << int(Step::Write) << qint64(kBmpHeadersSize + 1200 * 7 + 5);
    QTest::newRow("very last byte") << int(Step::Write) << size - 1;
    QTest::newRow("at sync") << int(Step::Sync) << qint64(0);
    QTest::newRow("at close") << int(Step::Close) << qint64(0);
    QTest::newRow("at rename") << int(Step::Rename) << qint64(0);
#ifndef _WIN32 // Windows has no folder to sync
    QTest::newRow("at directory sync: renamed, so saved") << int(Step::SyncDir) << qint64(0);
#endif
}

void TestReplaceFile::failurePoints()
{
    QFETCH(int, step);
    QFETCH(qint64, failAt);
    const QStringList before = listing(dir_.path());
    const QImage image = pattern(400, 300);
    arm(Step(step), failAt);
    if (Step(step) == Step::SyncDir)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("directory could not be synced"));
    QString error;
    const bool ok = writeBitmap(image, path_, &error, failing::calls());
    arm(Step::None);
    QCOMPARE(listing(dir_.path()), before); // no stray temporary or second name
    if (Step(step) == Step::None || Step(step) == Step::SyncDir) {
        QVERIFY2(ok, qPrintable(error));
        QCOMPARE(readPicture(path_).image, image);
        return;
    }
    QVERIFY(!ok);
    QVERIFY(!error.isEmpty());
    QCOMPARE(readFile(path_), old_);
}

void TestReplaceFile::pngFailureKeepsOldFile_data()
{
    QTest::addColumn<double>("at"); // where the write fails, as a share of the file
    QTest::newRow("png: inside the signature") << 0.0;
    QTest::newRow("png: inside the pixels") << 0.6;
}

void TestReplaceFile::pngFailureKeepsOldFile()
{
    QFETCH(double, at);
    const QString sized = dir_.filePath("sized.png");
    QVERIFY(writeMap(pattern(400, 300), sized, MapFormat::Png, nullptr));
    const qint64 size = QFileInfo(sized).size();
    QFile::remove(sized);
    const QStringList before = listing(dir_.path());
    arm(Step::Write, 3 + qint64(at * double(size)));
    QString error;
    const bool ok = writeMap(pattern(400, 300), path_, MapFormat::Png, &error, failing::calls());
    arm(Step::None);
    QVERIFY(!ok);
    QVERIFY(!error.isEmpty());
    QCOMPARE(readFile(path_), old_);
    QCOMPARE(listing(dir_.path()), before);
}

void TestReplaceFile::stopFlag_data()
{
    QTest::addColumn<int>("step");
    QTest::newRow("mid-write") << int(Step::StopMidWrite);
    QTest::newRow("during the sync, before the rename") << int(Step::StopAtSync);
}

void TestReplaceFile::stopFlag()
{
    QFETCH(int, step);
    const QStringList before = listing(dir_.path());
    arm(Step(step), 100000);
    ReplacingFile out(path_, failing::calls());
    out.setStopFlag(&failing::gStop);
    const QByteArray bytes(400000, 'x');
    const bool ok = out.open() && out.write(bytes) == bytes.size() && out.commit();
    arm(Step::None);
    QVERIFY(!ok);
    QCOMPARE(out.errorString(), QStringLiteral("cancelled"));
    QCOMPARE(readFile(path_), old_);
    QCOMPARE(listing(dir_.path()), before);
}

QTEST_GUILESS_MAIN(TestReplaceFile)
#include "tst_replacefile.moc"

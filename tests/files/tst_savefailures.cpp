#include "failingcalls.h" // the platform's
#include "mapfile.h"
#include "testfiles.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace tessellon;

// A save that fails at any step leaves the old map byte for byte and no temporary, on every
// platform's own calls; a save that gets through replaces it.
class TestSaveFailures : public QObject
{
    Q_OBJECT

private slots:
    void failedSaveKeepsOldMap_data();
    void failedSaveKeepsOldMap();
    void namesWindowsRefuses_data();
    void namesWindowsRefuses();
    void killedSavesTemporaryGoesLiveOneStays();
};

void TestSaveFailures::failedSaveKeepsOldMap_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<qint64>("at");
    using failing::Step;
    QTest::newRow("none: saved") << int(Step::None) << qint64(0);
    QTest::newRow("first byte") << int(Step::Write) << qint64(0);
    QTest::newRow("in the header") << int(Step::Write) << qint64(20);
    QTest::newRow("in the pixels") << int(Step::Write) << qint64(40000);
    QTest::newRow("last byte") << int(Step::Write) << qint64(54 + 300 * 200 * 3 - 1);
    QTest::newRow("sync") << int(Step::Sync) << qint64(0);
    QTest::newRow("close") << int(Step::Close) << qint64(0);
    QTest::newRow("rename") << int(Step::Rename) << qint64(0);
}

void TestSaveFailures::failedSaveKeepsOldMap()
{
    QFETCH(int, step);
    QFETCH(qint64, at);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keep.bmp"));
    QImage old(30, 20, QImage::Format_RGB32), next(300, 200, QImage::Format_RGB32);
    old.fill(Qt::black);
    next.fill(Qt::white);
    QVERIFY(writeBitmap(old, path, nullptr));
    const QByteArray before = readFile(path);
    failing::arm(failing::Step(step), at);
    QString error;
    const bool saved = writeBitmap(next, path, &error, failing::calls());
    QCOMPARE(saved, step == int(failing::Step::None));
    QCOMPARE(readFile(path) == before, !saved);
    QCOMPARE(error.isEmpty(), saved);
    const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    QCOMPARE(left, QStringList{QStringLiteral("keep.bmp")});
}

void TestSaveFailures::namesWindowsRefuses_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("refusedOnWindows");
    QTest::newRow("device") << QStringLiteral("con.bmp") << true;
    QTest::newRow("device without an ending") << QStringLiteral("LPT3") << true;
    QTest::newRow("stream") << QStringLiteral("a:b.bmp") << true;
    QTest::newRow("forbidden character") << QStringLiteral("a<b.bmp") << true;
    QTest::newRow("ending dot") << QStringLiteral("map.") << true;
    QTest::newRow("ending space") << QStringLiteral("map ") << true;
    const QString part(100, QLatin1Char('d'));
    QTest::newRow("past MAX_PATH")
        << part + '/' + part + '/' + part + QStringLiteral("/map.bmp") << false;
}

// Windows refuses, in the save and the load alike, a name it would not take as a file, and
// writes nowhere; Linux takes each as the name it is.
void TestSaveFailures::namesWindowsRefuses()
{
    QFETCH(QString, name);
    QFETCH(bool, refusedOnWindows);
    QTemporaryDir dir;
    // filePath() gives nothing for "a:b.bmp", which Windows reads as a drive's path
    const QString path = dir.path() + QLatin1Char('/') + name;
    const QString folder = dir.filePath(name.section(QLatin1Char('/'), 0, -2));
    QVERIFY(QDir().mkpath(folder));
    const bool refused = refusedOnWindows && QSysInfo::productType() == u"windows";
    QImage map(30, 20, QImage::Format_RGB32);
    map.fill(Qt::black);
    QString error;
    QCOMPARE(writeBitmap(map, path, &error), !refused);
    QCOMPARE(readPicture(path).image.isNull(), refused);
    const QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(files.size(), refused ? 0 : 1);
}

// A temporary nobody holds locked was left by a killed save and goes with the next save of
// that name; one a live save holds stays, and that save still goes through.
void TestSaveFailures::killedSavesTemporaryGoesLiveOneStays()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keep.bmp"));
    const QString left = dir.filePath(QStringLiteral(".keep.bmp.4242.0badcafe.part"));
    writeFile(left, "a killed save's bytes");
    ReplacingFile live(path);
    QVERIFY(live.open());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    QVERIFY(replaceFile(path, "saved", nullptr));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    QVERIFY(live.write("later") == 5 && live.commit());
    QCOMPARE(readFile(path), QByteArray("later"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.bmp"});
}

QTEST_GUILESS_MAIN(TestSaveFailures)
#include "tst_savefailures.moc"

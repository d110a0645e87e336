#include "failingcalls.h" // the platform's
#include "mapfile.h"
#include "testfiles.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <aclapi.h>
#include <sddl.h>
#endif

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
    void othersReadNoReplacementBeforeItStands();
};

#ifdef _WIN32
namespace {

// The DACL of the file at `path` as text, empty where it cannot be read.
QString daclOf(const QString& path)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    wchar_t* text = nullptr;
    if (GetNamedSecurityInfoW(path.toStdWString().c_str(), SE_FILE_OBJECT,
                              DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, nullptr,
                              &descriptor) != ERROR_SUCCESS)
        return {};
    ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1,
                                                         DACL_SECURITY_INFORMATION, &text, nullptr);
    const QString dacl = text ? QString::fromWCharArray(text) : QString();
    LocalFree(text);
    LocalFree(descriptor);
    return dacl;
}

void letEveryoneIn(const QString& path)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL dacl = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    QVERIFY(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;FA;;;WD)", SDDL_REVISION_1,
                                                                 &descriptor, nullptr));
    QVERIFY(GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
    std::wstring name = path.toStdWString();
    QCOMPARE(SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                   nullptr, dacl, nullptr),
             DWORD(ERROR_SUCCESS));
    LocalFree(descriptor);
}

} // namespace
#endif

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

// The temporary of a save whose process was killed goes with the next save of that name; one
// a live save holds stays, and that save still goes through.
void TestSaveFailures::killedSavesTemporaryGoesLiveOneStays()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keep.bmp"));
    QProcess killed;
    killed.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold-save"), path});
    QVERIFY(killed.waitForReadyRead(60000));
    QCOMPARE(killed.readLine().trimmed(), QByteArray("open"));
    killed.kill();
    QVERIFY(killed.waitForFinished(60000));
    const QStringList killedTemp = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(killedTemp.size(), 1);
    ReplacingFile live(path);
    QVERIFY(live.open());
    QVERIFY(!QFile::exists(dir.filePath(killedTemp[0])));
    QVERIFY(replaceFile(path, "saved", nullptr));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    QVERIFY(live.write("later") == 5 && live.commit());
    QCOMPARE(readFile(path), QByteArray("later"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.bmp"});
}

// The bytes replacing a file are the owner's alone until they stand in its place, which
// then lets in whom the old file let in.
void TestSaveFailures::othersReadNoReplacementBeforeItStands()
{
#ifndef _WIN32
    QSKIP("the temporary's mode is checked by tst_replacefile_posix");
#else
    // a DACL that lets in everyone, or every user of the machine
    static const QRegularExpression others(QStringLiteral(";(WD|BU|AU|IU)\\)"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("shared.bmp"));
    writeFile(path, "old");
    letEveryoneIn(path);
    const QString before = daclOf(path);
    QVERIFY2(others.match(before).hasMatch(), qPrintable(before));
    ReplacingFile file(path);
    QVERIFY(file.open());
    QCOMPARE(file.write("new"), 3);
    const QStringList temps =
        QDir(dir.path())
            .entryList({QStringLiteral(".shared.bmp.*.part")}, QDir::Files | QDir::Hidden);
    QCOMPARE(temps.size(), 1);
    const QString temp = daclOf(dir.filePath(temps[0]));
    QVERIFY2(!temp.isEmpty() && !others.match(temp).hasMatch(), qPrintable(temp));
    QVERIFY(file.commit());
    QCOMPARE(readFile(path), QByteArray("new"));
    QCOMPARE(daclOf(path), before);
#endif
}

// Run as `--hold-save <path>`, opens a save of `path`, writes some of it and waits to be killed.
static int holdSave(const QString& path)
{
    ReplacingFile file(path);
    if (!file.open() || file.write("half a map") != 10) return 1;
    std::puts("open");
    std::fflush(stdout);
    QThread::sleep(120);
    return 2;
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--hold-save") == 0)
        return holdSave(QString::fromLocal8Bit(argv[2]));
    TestSaveFailures test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_savefailures.moc"

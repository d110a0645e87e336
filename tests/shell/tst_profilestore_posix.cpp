// The settings file where POSIX puts things in its way: permission bits, a file system
// nobody may write to, a named pipe.
#include "profilestore.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using tessellon::ProfileStore;
using tessellon::WriteSetting;

class TestProfileStorePosix : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void readOnlyDirectory();
    void readOnlyFileSystem();
    void namedPipeIsRefusedAtOnce();

private:
    QTemporaryDir dir_;
    QString path_;
};

void TestProfileStorePosix::init()
{
    QVERIFY(dir_.isValid());
    path_ = dir_.filePath(QStringLiteral("Tessellon.ini"));
    QFile::remove(path_);
}

void TestProfileStorePosix::readOnlyDirectory()
{
    if (geteuid() == 0) QSKIP("permissions do not bind the superuser");
    const QByteArray before = "[S]\nk=old\n";
    writeFile(path_, before);
    QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::ExeOwner);
    WriteSetting(path_, "S", "k", "new");
    QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(readFile(path_), before);
    QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), QStringList{"Tessellon.ini"});
}

void TestProfileStorePosix::readOnlyFileSystem()
{
    // A place even the superuser cannot write to: the write fails, the file stays whole.
    const QString path = QStringLiteral("/proc/version");
    if (!QFile::exists(path)) QSKIP("no /proc on this system");
    const QByteArray before = readFile(path);
    QVERIFY(!before.isEmpty());
    ProfileStore store(path);
    QCOMPARE(store.source(), ProfileStore::Source::Loaded);
    QVERIFY(store.setValue("S", "k", "v"));
    QVERIFY(!store.save());
    WriteSetting(path, "S", "k", "v");
    QCOMPARE(readFile(path), before);
}

void TestProfileStorePosix::namedPipeIsRefusedAtOnce()
{
    // Opening a pipe without a writer would wait for one for good.
    QCOMPARE(::mkfifo(QFile::encodeName(path_).constData(), 0600), 0);
    QCOMPARE(ProfileStore(path_).source(), ProfileStore::Source::Unreadable);
    QFile::remove(path_);
}

QTEST_GUILESS_MAIN(TestProfileStorePosix)
#include "tst_profilestore_posix.moc"

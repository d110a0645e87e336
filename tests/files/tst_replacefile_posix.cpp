// The replacing writer's cases that need POSIX: links, permission bits and owners, locks
// taken with flock, resource limits and processes killed mid-save.
#include "bmpformat.h"
#include "failingcalls.h"
#include "mapfile.h"
#include "replacecheck.h"
#include "replacefile.h"
#include "testfiles.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tessellon;
using namespace replacecheck;

namespace {

// Turns on the system's protection of links in shared folders where it may, and puts the
// setting back afterwards.
struct ProtectedLinks
{
    const QString setting = QStringLiteral("/proc/sys/fs/protected_symlinks");
    const QByteArray was = readFile(setting).trimmed();
    const bool on = was == "1" || (!was.isEmpty() && set("1"));
    ~ProtectedLinks()
    {
        if (on && was != "1") set(was);
    }
    bool set(const QByteArray& value) const
    {
        QFile f(setting);
        return f.open(QIODevice::WriteOnly) && f.write(value) == value.size();
    }
};

} // namespace

class TestReplaceFilePosix : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void keepsLinkAndMode();
    void linkLayouts_data();
    void linkLayouts();
    void privateUntilRenamed();
    void lockedTemporaryIsLive();
    void killedSaveKeepsOldMap();
    void bandWithoutMemoryRefusesTheSave();
    void failedWriteKeepsOldFile();

private:
    QTemporaryDir dir_;
    QString path_;
    QByteArray old_;
};

void TestReplaceFilePosix::init()
{
    QVERIFY(dir_.isValid());
    path_ = dir_.filePath("keep.bmp");
    QFile::remove(path_);
    QVERIFY(writeBitmap(pattern(50, 40), path_, nullptr));
    old_ = readFile(path_);
}

void TestReplaceFilePosix::keepsLinkAndMode()
{
    // The link stays a link and what it leads to is replaced, with its permission bits.
    QVERIFY(QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    const QString link = dir_.filePath("link.bmp");
    QVERIFY(QFile::link(path_, link));
    const QImage image = pattern(30, 20);
    QVERIFY(writeBitmap(image, link, nullptr));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readPicture(path_).image, image);
    struct stat st = {};
    QCOMPARE(::stat(QFile::encodeName(path_).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0640u);
    QFile::remove(link);
    // a link to a file not made yet stays a link too, and the file appears where it points
    const QString fresh = dir_.filePath("fresh.bmp");
    QVERIFY(QFile::link(fresh, link));
    QVERIFY(writeBitmap(image, link, nullptr));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readPicture(fresh).image, image);
    QFile::remove(link);
    QFile::remove(fresh);
}

void TestReplaceFilePosix::linkLayouts_data()
{
    QTest::addColumn<QStringList>("made");  // folders (ending in '/') and files holding "old"
    QTest::addColumn<QStringList>("links"); // a link's name, then what it holds, pair after pair
    QTest::addColumn<QString>("save");
    QTest::addColumn<QString>("written"); // where the bytes land; empty when refused
    // the folder sticky and world-writable, its first link another user's, and the system
    // protecting such links
    QTest::addColumn<bool>("foreign");
    QStringList chain;
    for (int i = 0; i <= 40; ++i)
        chain << QString("c%1").arg(i) << QString("c%1").arg(i + 1);
    // clang-format off
    QTest::newRow("chain to a file not made yet")
        << QStringList{"real/"} << QStringList{"l1", "l2", "l2", "real/end"} << "l1" << "real/end" << false;
    QTest::newRow("relative link in a linked folder")
        << QStringList{"a/b/c/", "a/b/data/", "data/m"}
        << QStringList{"lk", "a/b/c", "a/b/c/m", "../data/m"} << "lk/m" << "a/b/data/m" << false;
    QTest::newRow("loop") << QStringList{} << QStringList{"l1", "l2", "l2", "l1"} << "l1" << "" << false;
    QTest::newRow("dangling") << QStringList{} << QStringList{"d", "new"} << "d" << "new" << false;
    QTest::newRow("link to a folder") << QStringList{"sub/"} << QStringList{"ld", "sub"} << "ld" << "" << false;
    QTest::newRow("40 links") << QStringList{} << chain.mid(2) << "c1" << "c41" << false;
    QTest::newRow("41 links") << QStringList{} << chain << "c0" << "" << false;
    QTest::newRow("another user's link to a file, shared folder")
        << QStringList{"mine"} << QStringList{"ln", "mine"} << "ln" << "" << true;
    QTest::newRow("another user's link to a name not made yet, shared folder")
        << QStringList{} << QStringList{"ln", "fresh"} << "ln" << "" << true;
    QTest::newRow("another user's link down a chain, shared folder")
        << QStringList{} << QStringList{"ln", "l2", "l2", "fresh"} << "l2" << "fresh" << true;
    // the kernel follows a link in the middle of a path whoever owns it
    QTest::newRow("another user's link to a folder, shared folder")
        << QStringList{"sub/"} << QStringList{"ln", "sub"} << "ln/new" << "sub/new" << true;
    // clang-format on
}

void TestReplaceFilePosix::linkLayouts()
{
    QFETCH(QStringList, made);
    QFETCH(QStringList, links);
    QFETCH(QString, save);
    QFETCH(QString, written);
    QFETCH(bool, foreign);
    QTemporaryDir root;
    const ProtectedLinks protection;
    if (foreign && !protection.on) QSKIP("the system does not protect links in shared folders");
    for (const QString& m : made) {
        QVERIFY(QDir(root.path()).mkpath(m.endsWith('/') ? m : QFileInfo(m).path()));
        if (!m.endsWith('/')) writeFile(root.filePath(m), "old");
    }
    for (qsizetype i = 0; i + 1 < links.size(); i += 2)
        QCOMPARE(::symlink(qPrintable(links[i + 1]), qPrintable(root.filePath(links[i]))), 0);
    if (foreign) {
        QCOMPARE(::chmod(qPrintable(root.path()), 01777), 0);
        if (::lchown(qPrintable(root.filePath(links[0])), 4242, 4242) != 0)
            QSKIP("a link cannot be given to another user here");
    }
    const QStringList before = listing(root.path());
    QCOMPARE(replaceFile(root.filePath(save), "new", nullptr), !written.isEmpty());
    if (written.isEmpty()) QCOMPARE(listing(root.path()), before);
    if (!written.isEmpty()) QCOMPARE(readFile(root.filePath(written)), QByteArray("new"));
    for (const QString& m : made)
        if (!m.endsWith('/')) QCOMPARE(readFile(root.filePath(m)), QByteArray("old"));
    for (qsizetype i = 0; i < links.size(); i += 2)
        QVERIFY(QFileInfo(root.filePath(links[i])).isSymLink());
}

void TestReplaceFilePosix::privateUntilRenamed()
{
    // Others may read the map, but not the temporary before it is whole; under root the
    // owner and group stay another user's.
    const QByteArray path = QFile::encodeName(path_);
    const bool root = ::geteuid() == 0;
    QVERIFY(::chmod(path.constData(), 0664) == 0 &&
            (!root || ::chown(path.constData(), 65534, 65534) == 0));
    ReplacingFile out(path_);
    QVERIFY(out.open() && out.write("x", 1) == 1);
    const QStringList temps =
        QDir(dir_.path()).entryList({".keep.bmp.*"}, QDir::Hidden | QDir::Files);
    struct stat st = {};
    QVERIFY(temps.size() == 1 && ::stat(qPrintable(dir_.filePath(temps[0])), &st) == 0);
    QCOMPARE(st.st_mode & 077, 0u);
    QVERIFY(out.commit() && ::stat(path.constData(), &st) == 0);
    QCOMPARE(st.st_mode & 0777, 0664u);
    if (root) QVERIFY(st.st_uid == 65534 && st.st_gid == 65534);
}

void TestReplaceFilePosix::lockedTemporaryIsLive()
{
    // A save from another PID namespace: its process id means nothing here, its lock does.
    QFile live(dir_.filePath(".keep.bmp.2147483647.0000abcd.part"));
    QVERIFY(live.open(QIODevice::WriteOnly));
    QCOMPARE(::flock(live.handle(), LOCK_EX), 0);
    QVERIFY(writeBitmap(pattern(20, 10), path_, nullptr));
    QVERIFY(live.exists());
    live.close(); // that save is gone without a rename: the next one clears its temporary
    QVERIFY(writeBitmap(pattern(20, 10), path_, nullptr));
    QVERIFY(!live.exists());
}

void TestReplaceFilePosix::killedSaveKeepsOldMap()
{
    // SIGKILL in the middle of the save of the largest typed map, from a child process.
    constexpr int kSide = 5999;
    constexpr qint64 kKillAt = qint64(kSide) * kSide * 3 / 2; // half the pixels
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        failing::arm(failing::Step::None);
        failing::gKillAt = kKillAt;
        writeBitmap(pattern(kSide, 16).scaled(kSide, kSide), path_, nullptr, failing::calls());
        ::_exit(0); // not reached: the kill comes first
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    QCOMPARE(readFile(path_), old_);
    const QStringList left = listing(dir_.path());
    QCOMPARE(left.size(), 2); // the old map and the killed save's temporary
    QVERIFY(QFileInfo(dir_.filePath(left.first())).size() > kKillAt - 4096);

    // The next save of that name goes through and clears the temporary away.
    const QImage image = pattern(60, 50);
    QVERIFY(writeBitmap(image, path_, nullptr));
    QCOMPARE(listing(dir_.path()), QStringList{"keep.bmp"});
    QCOMPARE(readPicture(path_).image, image);
}

void TestReplaceFilePosix::bandWithoutMemoryRefusesTheSave()
{
    // A picture that is converted a band at a time, in a child whose address space ends
    // soon after the row buffer: the band copy cannot be made, and its rows must not be used.
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the sanitizer's allocator does not return null when the address space ends");
#endif
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        const QImage image = pattern(3000, 400).convertToFormat(QImage::Format_RGB888);
        QFile sink("/dev/null");
        if (image.isNull() || !sink.open(QIODevice::WriteOnly)) ::_exit(3);
        QFile statm("/proc/self/statm");
        if (!statm.open(QIODevice::ReadOnly)) ::_exit(3);
        const qint64 pages = statm.readAll().split(' ').value(0).toLongLong();
        const rlimit limit = {rlim_t(pages * ::sysconf(_SC_PAGESIZE) + (3 << 19)), RLIM_INFINITY};
        if (pages <= 0 || ::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(3);
        QString error;
        const bool written = writeBmp24Pixels(sink, image, &error);
        ::_exit(written ? 1 : error.isEmpty() ? 2 : 0);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY2(WIFEXITED(status), "the writer crashed on a null band");
    QCOMPARE(WEXITSTATUS(status), 0);
}

void TestReplaceFilePosix::failedWriteKeepsOldFile()
{
    // A file size limit makes writing fail part-way, as a full disk would; it holds for
    // every user, root included.
    const QStringList before = listing(dir_.path());
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100000;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool ok = writeBitmap(pattern(400, 300), path_, &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!ok);
    QVERIFY(!error.isEmpty());
    QCOMPARE(readFile(path_), old_);
    QCOMPARE(listing(dir_.path()), before);
}

QTEST_GUILESS_MAIN(TestReplaceFilePosix)
#include "tst_replacefile_posix.moc"

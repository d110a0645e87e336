#include "profilestore.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <sys/stat.h>
#endif

using tessellon::ProfileStore;
using tessellon::ReadSetting;
using tessellon::WriteSetting;

namespace {

// A disk that is full from the first byte on, and the identity of a file on its volume,
// which a new file renamed over it does not share.
#ifdef _WIN32
int fullDiskWrite(void*, const void*, unsigned long, unsigned long* written)
{
    *written = 0;
    SetLastError(ERROR_DISK_FULL);
    return 0;
}

quint64 fileId(const QString& path)
{
    const HANDLE file = CreateFileW(path.toStdWString().c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info = {};
    const bool known = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &info);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return known ? quint64(info.nFileIndexHigh) << 32 | info.nFileIndexLow : 0;
}
#else
ssize_t fullDiskWrite(int, const void*, size_t)
{
    errno = ENOSPC;
    return -1;
}

quint64 fileId(const QString& path)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}
#endif

} // namespace

class TestProfileStore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void read_data();
    void read();
    void longValuesAreCut();
    void write_data();
    void write();
    void writtenValueReadsBack();
    void refusesNamesThatBreakTheFile();
    void missingFileIsCreated();
    void firstRunLayout();
    void batchWritesOnceAndKeepsTheRest();
    void savingReplacesTheFileWhole();
    void garbageFile();
    void hugeFileIsNeitherReadNorReplaced();
    void directoryAsPath();
    void fullDiskKeepsTheOldFile();

private:
    QTemporaryDir dir_;
    QString path_;
};

void TestProfileStore::init()
{
    QVERIFY(dir_.isValid());
    path_ = dir_.filePath(QStringLiteral("Tessellon.ini"));
    QFile::remove(path_);
}

void TestProfileStore::read_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    const QString s = QStringLiteral("S");
    const QString k = QStringLiteral("k");
    QTest::newRow("names in other case")
        << QByteArray("[settings]\ngridlines=False\n") << "Settings"
        << "GridLines"
        << "False";
    QTest::newRow("asked in other case") << QByteArray("[Settings]\nGridLines=x\n") << "SETTINGS"
                                         << "gridLINES"
                                         << "x";
    QTest::newRow("trimmed") << QByteArray("[S]\n  k  =   value  \t\n") << s << k << "value";
    QTest::newRow("inner blanks kept") << QByteArray("[S]\nk= a  b \n") << s << k << "a  b";
    QTest::newRow("empty value is not missing") << QByteArray("[S]\nk=\n") << s << k << "";
    QTest::newRow("blank value") << QByteArray("[S]\nk=   \n") << s << k << "";
    QTest::newRow("missing key") << QByteArray("[S]\nother=1\n") << s << k << "default";
    QTest::newRow("missing section") << QByteArray("[T]\nk=1\n") << s << k << "default";
    QTest::newRow("key of another section")
        << QByteArray("[T]\nk=1\n[S]\nj=2\n") << s << k << "default";
    QTest::newRow("key before any section") << QByteArray("k=1\n[S]\n") << s << k << "default";
    QTest::newRow("first of duplicates") << QByteArray("[S]\nk=1\nk=2\n") << s << k << "1";
    QTest::newRow("comments are no entries")
        << QByteArray("[S]\n;k=1\n  #k=3\n") << s << k << "default";
    QTest::newRow("header in a comment") << QByteArray("; [S]\nk=1\n") << s << k << "default";
    QTest::newRow("crlf") << QByteArray("[S]\r\nk=v\r\n") << s << k << "v";
    QTest::newRow("no final newline") << QByteArray("[S]\nk=v") << s << k << "v";
    QTest::newRow("blanks in header") << QByteArray("  [ S ]  \nk=v\n") << s << k << "v";
    QTest::newRow("equals in value") << QByteArray("[S]\nk=a=b\n") << s << k << "a=b";
    QTest::newRow("quotes are kept") << QByteArray("[S]\nk=\"v\"\n") << s << k << "\"v\"";
    QTest::newRow("latin-1") << QByteArray("[S]\nk=caf\xe9\n") << s << k
                             << QString::fromLatin1("caf\xe9");
    QTest::newRow("odd lines between") << QByteArray("[S]\nnoise\n[broken\nk=v\n") << s << k << "v";
    QTest::newRow("empty file") << QByteArray() << s << k << "default";
}

void TestProfileStore::read()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    writeFile(path_, file);
    QCOMPARE(ReadSetting(path_, section, key, QStringLiteral("default")), expected);
}

void TestProfileStore::longValuesAreCut()
{
    QByteArray value;
    for (int i = 0; i < 300; ++i)
        value += char('a' + i % 26);
    writeFile(path_, "[S]\nk=   " + value + "\n");
    const QString read = ReadSetting(path_, "S", "k", "");
    QCOMPARE(read.size(), 254);
    QCOMPARE(read, QString::fromLatin1(value.left(254)));
    QCOMPARE(ReadSetting(path_, "S", "missing", QString(300, u'x')).size(), 254);
}

void TestProfileStore::write_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");
    // Every row writes key "k".
    QTest::newRow("replace in place") << QByteArray("[S]\na=1\nk=old\nb=2\n") << "S"
                                      << "new" << QByteArray("[S]\na=1\nk=new\nb=2\n");
    QTest::newRow("replace other case") << QByteArray("[s]\n  K = old \nb=2\n") << "S"
                                        << "new" << QByteArray("[s]\nk=new\nb=2\n");
    QTest::newRow("append before next section") << QByteArray("[S]\na=1\n\n[T]\nb=2\n") << "S"
                                                << "v" << QByteArray("[S]\na=1\nk=v\n\n[T]\nb=2\n");
    QTest::newRow("append after header only") << QByteArray("[S]\n[T]\n") << "S"
                                              << "v" << QByteArray("[S]\nk=v\n[T]\n");
    QTest::newRow("new section at end") << QByteArray("[T]\nb=2\n") << "S"
                                        << "v" << QByteArray("[T]\nb=2\n[S]\nk=v\n");
    QTest::newRow("comments and unknown keys stay")
        << QByteArray("; top\n[S]\n# note\nx=9\n[Other]\ny=1\n") << "S"
        << "v" << QByteArray("; top\n[S]\n# note\nx=9\nk=v\n[Other]\ny=1\n");
    QTest::newRow("odd lines stay") << QByteArray("junk \x01\n[S\n[S]\n  weird  \n") << "S"
                                    << "v" << QByteArray("junk \x01\n[S\n[S]\n  weird  \nk=v\n");
    QTest::newRow("crlf append") << QByteArray("[S]\r\na=1\r\n") << "S"
                                 << "v" << QByteArray("[S]\r\na=1\r\nk=v\r\n");
    QTest::newRow("crlf replace") << QByteArray("[S]\r\nk=1\r\nz=2") << "S"
                                  << "v" << QByteArray("[S]\r\nk=v\r\nz=2");
    QTest::newRow("no final newline, append") << QByteArray("[S]\na=1") << "S"
                                              << "v" << QByteArray("[S]\na=1\nk=v\n");
    QTest::newRow("no final newline, new section") << QByteArray("[T]\nb=2") << "S"
                                                   << "v" << QByteArray("[T]\nb=2\n[S]\nk=v\n");
    QTest::newRow("empty file") << QByteArray() << "S"
                                << "v" << QByteArray("[S]\nk=v\n");
    QTest::newRow("first of duplicate sections") << QByteArray("[S]\na=1\n[S]\nk=2\n") << "S"
                                                 << "v" << QByteArray("[S]\na=1\nk=v\n[S]\nk=2\n");
    QTest::newRow("line breaks become blanks") << QByteArray("[S]\n") << "S"
                                               << "a\r\nb\nc\rd" << QByteArray("[S]\nk=a  b c d\n");
    QTest::newRow("value written untrimmed") << QByteArray("[S]\n") << "S"
                                             << " v " << QByteArray("[S]\nk= v \n");
}

void TestProfileStore::write()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    writeFile(path_, before);
    WriteSetting(path_, section, QStringLiteral("k"), value);
    QCOMPARE(readFile(path_), after);
}

void TestProfileStore::writtenValueReadsBack()
{
    ProfileStore store = ProfileStore::fromBytes("[S]\nk=1\n[T]\n");
    QVERIFY(store.setValue("s", "K", "  two words  "));
    QVERIFY(store.setValue("T", "long", QString(300, u'y')));
    QVERIFY(store.setValue("New", "x", "line\nbreak"));
    const ProfileStore reread = ProfileStore::fromBytes(store.toBytes());
    QCOMPARE(reread.value("S", "k", "-"), QStringLiteral("two words"));
    QCOMPARE(reread.value("T", "long", "-"), QString(254, u'y'));
    QCOMPARE(reread.value("new", "X", "-"), QStringLiteral("line break"));
}

void TestProfileStore::refusesNamesThatBreakTheFile()
{
    ProfileStore store = ProfileStore::fromBytes("[S]\nk=1\n");
    QVERIFY(!store.setValue("S", "", "v"));
    QVERIFY(!store.setValue("S", "a=b", "v"));
    QVERIFY(!store.setValue("S", "a\nb", "v"));
    QVERIFY(!store.setValue("S", ";k", "v"));
    QVERIFY(!store.setValue("S", "[k", "v"));
    QVERIFY(!store.setValue("", "k", "v"));
    QVERIFY(!store.setValue("S]", "k", "v"));
    QVERIFY(!store.setValue("S\nT", "k", "v"));
    QCOMPARE(store.toBytes(), QByteArray("[S]\nk=1\n"));
}

void TestProfileStore::missingFileIsCreated()
{
    QVERIFY(!QFile::exists(path_));
    QCOMPARE(ReadSetting(path_, "S", "k", "dflt"), QStringLiteral("dflt"));
    WriteSetting(path_, "S", "k", "v");
    QCOMPARE(readFile(path_), QByteArray("[S]\nk=v\n"));
}

void TestProfileStore::firstRunLayout()
{
    const char* keys[] = {"Up",    "Left", "Right", "Down", "Undo", "Redo", "Repeat",
                          "Erase", "Tab1", "Tab2",  "Tab3", "1x1",  "3x3"};
    const char* codes[] = {"87", "65", "68", "83", "90", "89", "82",
                           "69", "49", "50", "51", "57", "48"};
    ProfileStore store(path_);
    QCOMPARE(store.source(), ProfileStore::Source::Missing);
    QByteArray expected = "[HotKeyBindings]\n";
    for (int i = 0; i < 13; ++i) {
        QVERIFY(store.setValue("HotKeyBindings", keys[i], codes[i]));
        expected += QByteArray(keys[i]) + '=' + codes[i] + '\n';
    }
    store.setValue("Settings", "GridLines", "True");
    store.setValue("Settings", "Overlay", "Left");
    store.setValue("Settings", "FormLeft", "0");
    store.setValue("Settings", "FormTop", "0");
    expected += "[Settings]\nGridLines=True\nOverlay=Left\nFormLeft=0\nFormTop=0\n";
    QVERIFY(!QFile::exists(path_)); // nothing reaches the disk before save()
    QVERIFY(store.save());
    QCOMPARE(readFile(path_), expected);
}

void TestProfileStore::batchWritesOnceAndKeepsTheRest()
{
    const QByteArray before = "; my notes\n[Settings]\nFormLeft=10\nColour=blue\n\n[Mine]\nx=1\n";
    writeFile(path_, before);
    ProfileStore store(path_);
    QCOMPARE(store.value("settings", "formleft", "0"), QStringLiteral("10"));
    store.setValue("Settings", "FormLeft", "-1500");
    store.setValue("Settings", "FormTop", "300");
    store.setValue("HotKeyBindings", "Up", "38");
    QCOMPARE(readFile(path_), before); // nothing written yet
    QVERIFY(store.save());
    QCOMPARE(readFile(path_), QByteArray("; my notes\n[Settings]\nFormLeft=-1500\nColour=blue\n"
                                         "FormTop=300\n\n[Mine]\nx=1\n[HotKeyBindings]\nUp=38\n"));
    QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), QStringList{"Tessellon.ini"});
}

void TestProfileStore::savingReplacesTheFileWhole()
{
    writeFile(path_, "[S]\nk=1\n");
    const quint64 original = fileId(path_);
    ProfileStore store(path_);
    QVERIFY(store.save());
    QCOMPARE(fileId(path_), original); // nothing changed, nothing written
    store.setValue("S", "k", "2");
    QVERIFY(store.save());
    // A new file renamed into place, never the old one rewritten in place.
    QVERIFY(fileId(path_) != original);
    QCOMPARE(readFile(path_), QByteArray("[S]\nk=2\n"));
    QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), QStringList{"Tessellon.ini"});
}

void TestProfileStore::garbageFile()
{
    QByteArray garbage(64 * 1024, '\0');
    QRandomGenerator random(20240611);
    for (char& c : garbage)
        c = char(random.bounded(256));
    writeFile(path_, garbage);
    const QString read = ReadSetting(path_, "HotKeyBindings", "Up", "87");
    QCOMPARE(read, QStringLiteral("87"));
    WriteSetting(path_, "HotKeyBindings", "Up", "38");
    const QByteArray after = readFile(path_);
    QVERIFY(after.startsWith(garbage)); // every byte of the old file kept
    QVERIFY(after.size() - garbage.size() <=
            qsizetype(sizeof("\r\n[HotKeyBindings]\r\nUp=38\r\n")));
    QCOMPARE(ReadSetting(path_, "HotKeyBindings", "Up", "87"), QStringLiteral("38"));
}

void TestProfileStore::hugeFileIsNeitherReadNorReplaced()
{
    QByteArray huge = "[S]\nk=v\n";
    huge += QByteArray(ProfileStore::kMaxFileSize, 'x');
    writeFile(path_, huge);
    QCOMPARE(ProfileStore(path_).source(), ProfileStore::Source::Unreadable);
    QCOMPARE(ReadSetting(path_, "S", "k", "dflt"), QStringLiteral("dflt"));
    WriteSetting(path_, "S", "k", "new");
    QCOMPARE(readFile(path_), huge);
}

void TestProfileStore::directoryAsPath()
{
    QVERIFY(QDir(dir_.path()).mkdir("sub.ini"));
    const QString path = dir_.filePath("sub.ini");
    QCOMPARE(ReadSetting(path, "S", "k", "dflt"), QStringLiteral("dflt"));
    WriteSetting(path, "S", "k", "v");
    QVERIFY(QFileInfo(path).isDir());
}

void TestProfileStore::fullDiskKeepsTheOldFile()
{
    const QByteArray before = "; my bindings\r\n[HotKeyBindings]\r\nUp=38\r\n";
    writeFile(path_, before);
    ProfileStore store(path_);
    QVERIFY(store.setValue("HotKeyBindings", "Up", "87"));
    tessellon::FileCalls full = tessellon::systemFileCalls();
    full.write = &fullDiskWrite;
    const auto listing = [this] { return QDir(dir_.path()).entryList(QDir::Hidden | QDir::Files); };
    const QStringList files = listing();
    QVERIFY(!store.save(full));
    QCOMPARE(readFile(path_), before);
    QCOMPARE(listing(), files);
}

QTEST_GUILESS_MAIN(TestProfileStore)
#include "tst_profilestore.moc"

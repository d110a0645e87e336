// Fuzz target for the profile store: arbitrary bytes as the settings file, a few reads,
// a few writes, and the invariants the store promises checked after each input.
#include "profilestore.h"
#include "vbconvert.h"

#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <vector>

using tessellon::ProfileStore;

namespace {

struct Write
{
    const char* section;
    const char* key;
    QString value;
};

void require(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

// What reading a written value must give: line breaks blanked, trimmed, cut.
QString expectedRead(const QString& value)
{
    QString cleaned = value;
    cleaned.replace(u'\r', u' ').replace(u'\n', u' ');
    return QString::fromLatin1(cleaned.toLatin1().trimmed().left(ProfileStore::kMaxValueLength));
}

// The blanks the store trims: ASCII white space.
bool isBlankByte(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

void checkReadShape(const QString& value)
{
    require(value.size() <= ProfileStore::kMaxValueLength, "value longer than the cap");
    const QByteArray bytes = value.toLatin1();
    require(bytes.isEmpty() || !isBlankByte(bytes.front()), "leading blank");
    if (value.size() < ProfileStore::kMaxValueLength)
        require(bytes.trimmed() == bytes, "untrimmed value");
}

// An output line may be one the writes produced: a written entry or a new header.
bool isWrittenLine(QByteArray line, const std::vector<Write>& writes)
{
    if (line.endsWith('\r')) line.chop(1);
    for (const Write& w : writes) {
        const QByteArray entry =
            QByteArray(w.key) + '=' +
            QString(w.value).replace(u'\r', u' ').replace(u'\n', u' ').toLatin1();
        if (line == entry || line == '[' + QByteArray(w.section) + ']') return true;
    }
    return false;
}

// An input line that a write may have replaced: an entry of one of the written keys.
bool isEntryOfWrittenKey(const QByteArray& line, const std::vector<Write>& writes)
{
    const QByteArray t = line.trimmed();
    const qsizetype eq = t.indexOf('=');
    if (eq < 0 || t.startsWith(';') || t.startsWith('#') || t.startsWith('[')) return false;
    const QString key = QString::fromLatin1(t.first(eq).trimmed());
    for (const Write& w : writes) {
        if (key.compare(QLatin1String(w.key), Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

// Every input line survives in order, byte for byte, apart from replaced entries and
// the line end a last line gains when something is appended after it.
void checkLinesKept(const QByteArray& in, const QByteArray& out, const std::vector<Write>& writes)
{
    QByteArrayList before = in.split('\n');
    const bool lastHadNoEnd = !in.endsWith('\n') && !in.isEmpty();
    if (!lastHadNoEnd && !before.isEmpty())
        before.removeLast(); // the empty piece after the final '\n'
    QByteArrayList after = out.split('\n');
    if (!after.isEmpty() && after.last().isEmpty()) after.removeLast();
    qsizetype j = 0;
    for (qsizetype i = 0; i < before.size(); ++i) {
        const bool last = lastHadNoEnd && i == before.size() - 1;
        for (;; ++j) {
            require(j < after.size(), "an input line was lost");
            const QByteArray& line = after[j];
            if (line == before[i] || (last && line == before[i] + '\r')) break;
            require(isWrittenLine(line, writes), "a line changed that nobody wrote");
            if (isEntryOfWrittenKey(before[i], writes)) break; // replaced in place
        }
        ++j;
    }
    for (; j < after.size(); ++j)
        require(isWrittenLine(after[j], writes), "a stray line at the end");
    require(after.size() <= before.size() + 2 * qsizetype(writes.size()), "too many lines");
}

QString scratchPath()
{
    static const QString path = [] {
        QByteArray pattern = QFile::encodeName(QDir::tempPath()) + "/fuzz_profilestore.XXXXXX";
        const char* dir = mkdtemp(pattern.data());
        require(dir != nullptr, "no scratch directory");
        return QFile::decodeName(dir) + QStringLiteral("/Tessellon.ini");
    }();
    return path;
}

void checkFileRoundTrip(const QByteArray& in, const std::vector<Write>& writes,
                        const QByteArray& expected)
{
    const QString path = scratchPath();
    QFile file(path);
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "scratch file");
    file.write(in);
    file.close();
    ProfileStore store(path);
    for (const Write& w : writes)
        store.setValue(w.section, w.key, w.value);
    require(store.save(), "save failed");
    require(file.open(QIODevice::ReadOnly), "scratch file reopened");
    require(file.readAll() == expected, "the saved file differs from the store");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray in(reinterpret_cast<const char*>(data), qsizetype(size));
    const char* reads[][2] = {
        {"Settings", "GridLines"}, {"HotKeyBindings", "Up"}, {"settings", "formleft"}, {"S", "k"}};
    ProfileStore store = ProfileStore::fromBytes(in);
    require(store.toBytes() == in, "parsing alone changed the bytes");
    QString before[4];
    for (int i = 0; i < 4; ++i) {
        before[i] = store.value(reads[i][0], reads[i][1], QStringLiteral("-"));
        checkReadShape(before[i]);
        bool ok = false;
        tessellon::truthValue(before[i], ok);
        tessellon::toInt16(before[i]);
    }
    tessellon::toInt16(QString::fromLatin1(in.left(64)));

    // The second value comes from the input, so line breaks and long values get written.
    const std::vector<Write> writes = {
        {"Settings", "GridLines", QStringLiteral("False")},
        {"HotKeyBindings", "UP", QString::fromLatin1(in.left(300))},
        {"New Section", "k", QStringLiteral("  spaced  ")},
    };
    for (const Write& w : writes)
        require(store.setValue(w.section, w.key, w.value), "a valid write was refused");
    const QByteArray out = store.toBytes();

    const ProfileStore reread = ProfileStore::fromBytes(out);
    for (const Write& w : writes)
        require(reread.value(w.section, w.key, "-") == expectedRead(w.value), "read-back");
    require(reread.value("settings", "formleft", "-") == before[2], "an unwritten key changed");
    require(reread.value("S", "k", "-") == before[3], "an unwritten key changed");
    checkLinesKept(in, out, writes);

    ProfileStore again = ProfileStore::fromBytes(out);
    for (const Write& w : writes)
        again.setValue(w.section, w.key, w.value);
    require(again.toBytes() == out, "writing the same values twice changed the file");

    if (size % 8 == 0) // the file path, QSaveFile included, on a share of the inputs
        checkFileRoundTrip(in, writes, out);
    return 0;
}

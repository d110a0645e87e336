#include "profilestore.h"

#include "regularfile.h"
#include "replacefile.h"

#include <QFile>
#include <QFileInfo>
#include <QLatin1String>

namespace tessellon {

namespace {

bool sameName(QByteArrayView a, QByteArrayView b)
{
    return QLatin1String(a.data(), a.size())
               .compare(QLatin1String(b.data(), b.size()), Qt::CaseInsensitive) == 0;
}

// The name of a section header line "[name]", blanks around it dropped.
bool headerName(QByteArrayView line, QByteArrayView& name)
{
    const QByteArrayView t = line.trimmed();
    if (!t.startsWith('[')) return false;
    const qsizetype close = t.indexOf(']');
    if (close < 0) return false;
    name = t.sliced(1, close - 1).trimmed();
    return true;
}

// Key and value of an entry line "key = value"; comments and headers are no entries.
bool entryParts(QByteArrayView line, QByteArrayView& key, QByteArrayView& value)
{
    const QByteArrayView t = line.trimmed();
    if (t.isEmpty() || t.front() == ';' || t.front() == '#' || t.front() == '[') return false;
    const qsizetype eq = t.indexOf('=');
    if (eq < 0) return false;
    key = t.first(eq).trimmed();
    value = t.sliced(eq + 1).trimmed();
    return true;
}

bool hasLineBreak(const QString& s)
{
    return s.contains(u'\r') || s.contains(u'\n');
}

bool writableSection(const QString& section)
{
    return !section.isEmpty() && !hasLineBreak(section) && !section.contains(u']');
}

bool writableKey(const QString& key)
{
    return !key.isEmpty() && !hasLineBreak(key) && !key.contains(u'=') && !key.startsWith(u'[') &&
           !key.startsWith(u';') && !key.startsWith(u'#');
}

} // namespace

ProfileStore::ProfileStore(const QString& path) : path_(path)
{
    // Opened first, then checked: a FIFO or a device put in the file's place cannot block us.
    QFile file;
    QString ignored;
    if (!openRegularFile(path, file, &ignored)) {
        // Missing: the first save creates it
        if (QFileInfo::exists(path)) source_ = Source::Unreadable;
        return;
    }
    source_ = Source::Unreadable;
    if (file.size() > kMaxFileSize) return;
    // Read one byte past the cap, in case the file grows while it is read.
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > kMaxFileSize) return;
    parse(bytes);
    source_ = Source::Loaded;
}

ProfileStore ProfileStore::fromBytes(const QByteArray& bytes)
{
    ProfileStore store;
    store.parse(bytes);
    store.source_ = Source::Loaded;
    return store;
}

void ProfileStore::parse(const QByteArray& bytes)
{
    lines_.clear();
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype nl = bytes.indexOf('\n', start);
        if (nl < 0) {
            lines_.append({bytes.sliced(start), QByteArray()});
            break;
        }
        const bool crlf = nl > start && bytes[nl - 1] == '\r';
        const qsizetype textEnd = crlf ? nl - 1 : nl;
        lines_.append({bytes.sliced(start, textEnd - start), crlf ? "\r\n" : "\n"});
        start = nl + 1;
    }
}

qsizetype ProfileStore::findSection(const QByteArray& name) const
{
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        QByteArrayView found;
        if (headerName(lines_[i].text, found) && sameName(found, name)) return i;
    }
    return -1;
}

qsizetype ProfileStore::sectionEnd(qsizetype header) const
{
    QByteArrayView ignored;
    qsizetype i = header + 1;
    while (i < lines_.size() && !headerName(lines_[i].text, ignored))
        ++i;
    return i;
}

qsizetype ProfileStore::findKey(qsizetype header, const QByteArray& key) const
{
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        QByteArrayView found, ignored;
        if (entryParts(lines_[i].text, found, ignored) && sameName(found, key)) return i;
    }
    return -1;
}

QString ProfileStore::value(const QString& section, const QString& key,
                            const QString& fallback) const
{
    const qsizetype header = findSection(section.trimmed().toLatin1());
    const qsizetype line = header < 0 ? -1 : findKey(header, key.trimmed().toLatin1());
    if (line < 0) return fallback.left(kMaxValueLength);
    QByteArrayView ignored, found;
    entryParts(lines_[line].text, ignored, found);
    return QString::fromLatin1(found.first(qMin(found.size(), kMaxValueLength)));
}

bool ProfileStore::setValue(const QString& section, const QString& key, const QString& value)
{
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    if (!writableSection(sectionName) || !writableKey(keyName)) return false;
    QString cleaned = value;
    cleaned.replace(u'\r', u' ').replace(u'\n', u' ');
    const QByteArray entry = keyName.toLatin1() + '=' + cleaned.toLatin1();

    const qsizetype header = findSection(sectionName.toLatin1());
    if (header < 0) {
        insertLine(lines_.size(), '[' + sectionName.toLatin1() + ']');
        insertLine(lines_.size(), entry);
    } else if (const qsizetype line = findKey(header, keyName.toLatin1()); line >= 0) {
        lines_[line].text = entry; // its own line end stays
    } else {
        // After the last non-blank line, so blank lines before the next header stay there.
        qsizetype at = sectionEnd(header);
        while (at > header + 1 && lines_[at - 1].text.trimmed().isEmpty())
            --at;
        insertLine(at, entry);
    }
    modified_ = true;
    return true;
}

void ProfileStore::insertLine(qsizetype at, const QByteArray& text)
{
    const QByteArray eol = newLineEnd();
    if (at > 0 && lines_[at - 1].eol.isEmpty())
        lines_[at - 1].eol = eol; // a last line without a line end gets one
    lines_.insert(at, {text, eol});
}

QByteArray ProfileStore::newLineEnd() const
{
    // New lines follow the file's own convention, so CRLF files stay CRLF.
    for (const Line& line : lines_) {
        if (!line.eol.isEmpty()) return line.eol;
    }
    return "\n";
}

QByteArray ProfileStore::toBytes() const
{
    QByteArray bytes;
    for (const Line& line : lines_)
        bytes += line.text + line.eol;
    return bytes;
}

bool ProfileStore::save(const FileCalls& calls) const
{
    if (source_ == Source::Unreadable || path_.isEmpty()) return false;
    if (!modified_) return true;
    return replaceFile(path_, toBytes(), nullptr, calls);
}

QString ReadSetting(const QString& path, const QString& section, const QString& key,
                    const QString& fallback)
{
    return ProfileStore(path).value(section, key, fallback);
}

void WriteSetting(const QString& path, const QString& section, const QString& key,
                  const QString& value)
{
    ProfileStore store(path);
    store.setValue(section, key, value);
    store.save();
}

} // namespace tessellon

#pragma once

#include "replacefile.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace tessellon {

/// An initialisation-style settings file held in memory: read once, changed in place,
/// written once. It owns only the entries it is asked to write; every other byte of the
/// file (comments, blank lines, unknown sections and keys, odd lines, their line ends)
/// survives a write unchanged.
///
/// Format: a line "[name]" starts a section; "key=value" is an entry; lines starting with
/// ';' or '#' are comments; anything else is kept but never matched. Section and key names
/// match without regard to letter case; the first matching section and, inside it, the
/// first matching key win. Bytes are Latin-1; quotes around values are not special.
class ProfileStore
{
public:
    /// Larger files are not read, and never overwritten, so a stray huge file is not
    /// loaded whole into memory nor replaced by a few entries.
    static constexpr qint64 kMaxFileSize = 1024 * 1024;
    /// Values are returned cut to this many characters.
    static constexpr qsizetype kMaxValueLength = 254;

    enum class Source { Missing, Loaded, Unreadable };

    /// An empty, unnamed store (save() fails).
    ProfileStore() = default;
    /// Reads `path`: a missing file gives an empty store that save() creates; a file
    /// that is not a regular file, cannot be opened or exceeds kMaxFileSize is unreadable.
    /// What is opened is checked after a non-blocking open, so the check cannot be raced.
    explicit ProfileStore(const QString& path);
    /// A store over the bytes of a file, for callers that read it themselves.
    static ProfileStore fromBytes(const QByteArray& bytes);

    Source source() const noexcept { return source_; }

    /// The value of `key` in `section`, blanks trimmed, at most kMaxValueLength
    /// characters; `fallback` (cut likewise) only when the section or key is missing.
    QString value(const QString& section, const QString& key, const QString& fallback) const;

    /// Stores `value` (carriage returns and line feeds become blanks): replaces the line
    /// of an existing key in place, appends a missing key after the last non-blank line of
    /// its section and a missing section at the end. Refuses names that cannot be written
    /// as one line (empty, line breaks, '=' in a key, ']' in a section, a key starting
    /// with '[', ';' or '#') and returns false for them.
    bool setValue(const QString& section, const QString& key, const QString& value);

    /// The file as it would be written.
    QByteArray toBytes() const;

    /// Writes the file through replaceFile() (over `calls`), so a failed or interrupted write,
    /// a full disk included, leaves the old file whole. Does nothing and returns true when
    /// nothing changed; returns false for an unreadable source or a failed write.
    bool save(const FileCalls& calls = systemFileCalls()) const;

private:
    struct Line
    {
        QByteArray text; // without its line end
        QByteArray eol;  // "\n", "\r\n" or "" for a last line without one
    };

    void parse(const QByteArray& bytes);
    qsizetype findSection(const QByteArray& name) const;
    qsizetype sectionEnd(qsizetype header) const;
    qsizetype findKey(qsizetype header, const QByteArray& key) const;
    void insertLine(qsizetype at, const QByteArray& text);
    QByteArray newLineEnd() const;

    QString path_;
    Source source_ = Source::Missing;
    QList<Line> lines_;
    bool modified_ = false;
};

/// One-shot read of a setting (the file is read for every call).
QString ReadSetting(const QString& path, const QString& section, const QString& key,
                    const QString& fallback);
/// One-shot write of a setting; a failure is not reported. For several values use one
/// ProfileStore and save() once.
void WriteSetting(const QString& path, const QString& section, const QString& key,
                  const QString& value);

} // namespace tessellon

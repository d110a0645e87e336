#include "availablememory.h"

#include "surface.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QStringList>

#include <algorithm>
#include <limits>

namespace tessellon {

namespace {

// Left to Qt, the widgets, the undo ring and the kernel's own rounding of cgroup usage.
constexpr qint64 kMargin = qint64(64) << 20;
// cgroup v1 writes "no limit" as the largest page count; anything this large is none.
constexpr qint64 kNoLimit = qint64(1) << 62;
constexpr qint64 kUnknown = std::numeric_limits<qint64>::max();

QByteArray readSmallFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A file holding one number ("max" for none); kUnknown when absent or unreadable.
qint64 readNumber(const QString& path)
{
    bool ok = false;
    const qint64 v = readSmallFile(path).trimmed().toLongLong(&ok);
    return ok && v >= 0 && v < kNoLimit ? v : kUnknown;
}

// The value of `key` in a "key value" or "key: value kB" listing, in bytes; kUnknown when
// absent.
qint64 readField(const QByteArray& text, const QByteArray& key, qint64 unit)
{
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        bool ok = false;
        const qint64 v = f.size() >= 2 && f[0] == key ? f[1].toLongLong(&ok) : 0;
        if (ok && v >= 0 && v < kNoLimit / unit) return v * unit;
    }
    return kUnknown;
}

// One level of the hierarchy: its limit less what it uses, page cache it can drop aside.
qint64 leftInGroup(const QString& dir, bool v2)
{
    const qint64 limit = readNumber(
        dir + (v2 ? QStringLiteral("/memory.max") : QStringLiteral("/memory.limit_in_bytes")));
    if (limit == kUnknown) return kUnknown;
    const qint64 usage = readNumber(
        dir + (v2 ? QStringLiteral("/memory.current") : QStringLiteral("/memory.usage_in_bytes")));
    if (usage == kUnknown) return kUnknown;
    const QByteArray stat = readSmallFile(dir + QStringLiteral("/memory.stat"));
    qint64 droppable = readField(
        stat, v2 ? QByteArrayLiteral("inactive_file") : QByteArrayLiteral("total_inactive_file"),
        1);
    if (droppable == kUnknown) droppable = 0;
    return limit - std::max<qint64>(0, usage - droppable);
}

// A mount of the memory hierarchy: where it is, and which group of the hierarchy it shows
// there ("/" unless a container mounted only its own part).
struct GroupMount
{
    QString point;
    QString root;
};

// A mountinfo field as the path it names: the kernel writes a space, tab, newline and
// backslash in it as octal escapes (\040, \011, \012, \134).
QString unescaped(const QByteArray& field)
{
    QByteArray path;
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QByteArray code = field.mid(i + 1, 3);
        bool octal = false;
        const uint c = field[i] == '\\' && code.size() == 3 ? code.toUInt(&octal, 8) : 0;
        if (octal && c < 256) {
            path += char(c);
            i += 3;
        } else {
            path += field[i];
        }
    }
    return QString::fromUtf8(path);
}

// The first cgroup2 mount, or cgroup v1 one with the memory controller; an empty point when
// there is none.
GroupMount mountOf(const QString& root, bool v2)
{
    const QByteArray info = readSmallFile(root + QStringLiteral("/proc/self/mountinfo"));
    for (const QByteArray& line : info.split('\n')) {
        // id parent dev root mountpoint options [optional...] - type source superoptions
        const QList<QByteArray> f = line.split(' ');
        const qsizetype dash = f.indexOf("-");
        if (dash < 5 || dash + 3 >= f.size()) continue;
        const bool isV2 = f[dash + 1] == "cgroup2";
        const bool isV1Memory =
            f[dash + 1] == "cgroup" && f[dash + 3].split(',').contains("memory");
        if (v2 ? isV2 : isV1Memory) return {root + unescaped(f[4]), unescaped(f[3])};
    }
    return {};
}

// The directories of group `path` and every group above it that `mount` shows, the group's
// own first. A mount of only part of the hierarchy (a container's) shows its groups from its
// root down; one that does not reach the process's group still shows the container's own.
QStringList groupDirs(const GroupMount& mount, QString path)
{
    QString root = mount.root;
    if (root.endsWith(QLatin1Char('/'))) root.chop(1);
    if (root.isEmpty() || path == root || path.startsWith(root + QLatin1Char('/')))
        path = path.mid(root.size());
    else
        path.clear();
    QStringList dirs;
    for (;;) {
        dirs.append(mount.point + path);
        if (path.isEmpty() || path == QLatin1String("/")) break;
        path.truncate(std::max<qsizetype>(0, path.lastIndexOf(QLatin1Char('/'))));
    }
    return dirs;
}

// The least left in the process's memory cgroup and every one above it, for one version.
qint64 leftInHierarchy(const QString& root, bool v2, const QByteArray& ownGroups)
{
    for (const QByteArray& line : ownGroups.split('\n')) {
        // "0::/path" for v2; "4:memory:/path" (controllers separated by commas) for v1
        const QList<QByteArray> f = line.split(':');
        if (f.size() < 3) continue;
        const bool match = v2 ? f[0] == "0" && f[1].isEmpty() : f[1].split(',').contains("memory");
        if (!match) continue;
        // mounts do not move while the program runs; the process may change groups
        static const GroupMount mounts[2] = {mountOf(QString(), false), mountOf(QString(), true)};
        const GroupMount mount = root.isEmpty() ? mounts[v2] : mountOf(root, v2);
        if (mount.point.isEmpty()) return kUnknown;
        const QString path = QString::fromUtf8(line.mid(f[0].size() + f[1].size() + 2));
        if (path.contains(QLatin1String(".."))) return kUnknown;
        qint64 least = kUnknown;
        for (const QString& dir : groupDirs(mount, path))
            least = std::min(least, leftInGroup(dir, v2));
        return least;
    }
    return kUnknown;
}

} // namespace

qint64 systemAvailableMemory()
{
    return readAvailableMemory(QString());
}

qint64 readAvailableMemory(const QString& root)
{
    const QByteArray groups = readSmallFile(root + QStringLiteral("/proc/self/cgroup"));
    qint64 left =
        std::min(leftInHierarchy(root, true, groups), leftInHierarchy(root, false, groups));
    const QByteArray meminfo = readSmallFile(root + QStringLiteral("/proc/meminfo"));
    left = std::min(left, readField(meminfo, QByteArrayLiteral("MemAvailable:"), 1024));
    if (left == kUnknown) return kMaxSurfaceBytes;
    return std::clamp<qint64>(left - kMargin, 0, kMaxSurfaceBytes);
}

} // namespace tessellon

#include "replacefile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessellon {

namespace {

constexpr qsizetype kNameInTemp = 100; // keeps temporary names within NAME_MAX
constexpr const char* kTempEnd = ".part";
constexpr const char* kBackupEnd = ".old";

int syncDirectory(const char* dir)
{
    const int fd = ::open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // A directory we may write but not read cannot be synced; the save still stands.
    if (fd < 0) return errno == EACCES ? 0 : -1;
    const int r = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    // Some file systems cannot sync a directory at all; that is no failed save.
    if (r != 0 && (error == EINVAL || error == ENOTSUP)) return 0;
    errno = error;
    return r;
}

QByteArray dirOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) return ".";
    return slash == 0 ? QByteArray("/") : path.first(slash);
}

// ".<name>." of the temporaries of `path`, the name cut to kNameInTemp bytes.
QByteArray tempPrefix(const QByteArray& path)
{
    const QByteArray name = path.sliced(path.lastIndexOf('/') + 1);
    return '.' + name.first(std::min(name.size(), kNameInTemp)) + '.';
}

QByteArray tempName(const QByteArray& path, const char* end)
{
    const QByteArray dir = dirOf(path);
    return dir + (dir.endsWith('/') ? "" : "/") + tempPrefix(path) +
           QByteArray::number(qint64(::getpid())) + '.' +
           QByteArray::number(QRandomGenerator::system()->generate(), 16).rightJustified(8, '0') +
           end;
}

// The process that made temporary `entry` of prefix `prefix`, or 0 when it is none of ours.
pid_t tempOwner(QByteArrayView entry, QByteArrayView prefix)
{
    if (!entry.startsWith(prefix)) return 0;
    QByteArrayView rest = entry.sliced(prefix.size());
    if (rest.endsWith(kTempEnd)) {
        rest.chop(qsizetype(std::strlen(kTempEnd)));
    } else if (rest.endsWith(kBackupEnd)) {
        rest.chop(qsizetype(std::strlen(kBackupEnd)));
    } else {
        return 0;
    }
    const qsizetype dot = rest.indexOf('.');
    if (dot <= 0 || rest.size() - dot - 1 != 8) return 0;
    bool pidOk = false, randomOk = false;
    const qint64 pid = rest.first(dot).toLongLong(&pidOk);
    (void)rest.sliced(dot + 1).toUInt(&randomOk, 16);
    return pidOk && randomOk && pid > 0 && pid <= INT_MAX ? pid_t(pid) : 0;
}

// Removes the temporaries of `path` whose process has ended: a killed save left them.
void removeStale(const QByteArray& path)
{
    const QByteArray dir = dirOf(path), prefix = tempPrefix(path);
    DIR* d = ::opendir(dir.constData());
    if (!d) return;
    while (const dirent* e = ::readdir(d)) {
        const pid_t owner = tempOwner(e->d_name, prefix);
        if (owner == 0 || owner == ::getpid()) continue;
        if (::kill(owner, 0) != 0 && errno == ESRCH) ::unlinkat(::dirfd(d), e->d_name, 0);
    }
    ::closedir(d);
}

// The file a save of `path` replaces: a link's destination, so the link stays a link.
QByteArray resolveTarget(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink()) return QFile::encodeName(path);
    // a link to a file not made yet has no canonical path; it leads to where it points
    const QString canonical = info.canonicalFilePath();
    return QFile::encodeName(canonical.isEmpty() ? info.symLinkTarget() : canonical);
}

} // namespace

const FileCalls& systemFileCalls()
{
    static const FileCalls calls = {&::write, &::fsync, &::close, &::rename, &syncDirectory};
    return calls;
}

ReplacingFile::ReplacingFile(const QString& path, const FileCalls& calls)
    : calls_(calls), target_(resolveTarget(path))
{
}

ReplacingFile::~ReplacingFile()
{
    abandon();
}

bool ReplacingFile::open(OpenMode mode)
{
    if (isOpen() || failed_) return false;
    if ((mode & ~(QIODevice::WriteOnly | QIODevice::Unbuffered)) ||
        !(mode & QIODevice::WriteOnly)) {
        setErrorString(QStringLiteral("a replacing file is written only"));
        return false;
    }
    struct stat st = {};
    if (::stat(target_.constData(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            failed_ = true;
            setErrorString(QStringLiteral("not a regular file"));
            return false;
        }
        if (::access(target_.constData(), W_OK) != 0) return fail("replace", errno);
        mode_ = int(st.st_mode & 07777);
    } else if (errno != ENOENT) {
        return fail("replace", errno);
    }
    removeStale(target_);
    for (int attempt = 0; fd_ < 0; ++attempt) {
        temp_ = tempName(target_, kTempEnd);
        fd_ = ::open(temp_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd_ < 0 && (errno != EEXIST || attempt == 20)) {
            temp_.clear();
            return fail("create", errno);
        }
    }
    if (mode_ >= 0) (void)::fchmod(fd_, mode_t(mode_)); // the old mode is a courtesy
    return QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 ReplacingFile::readData(char*, qint64)
{
    return -1;
}

qint64 ReplacingFile::writeData(const char* data, qint64 size)
{
    if (failed_ || fd_ < 0) return -1;
    for (qint64 done = 0; done < size;) {
        const size_t part = size_t(std::min<qint64>(size - done, qint64(1) << 30));
        const ssize_t n = calls_.write(fd_, data + done, part);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            fail("write", n < 0 ? errno : EIO);
            return -1;
        }
        done += n;
    }
    return size;
}

bool ReplacingFile::commit()
{
    if (failed_) return false; // the reason of the failure stays
    if (!isOpen()) return fail("commit", EBADF);
    if (calls_.fsync(fd_) != 0) return fail("sync", errno);
    const int closed = calls_.close(fd_);
    fd_ = -1; // closed even when close() reports an error
    if (closed != 0) return fail("close", errno);
    // A second name for the old file, to put it back if the rename cannot be made durable.
    if (mode_ >= 0) {
        backup_ = tempName(target_, kBackupEnd);
        if (::link(target_.constData(), backup_.constData()) != 0) backup_.clear();
    }
    if (calls_.rename(temp_.constData(), target_.constData()) != 0) return fail("rename", errno);
    temp_.clear();
    if (calls_.syncDir(dirOf(target_).constData()) != 0) {
        const int error = errno;
        const QByteArray kept = restoreTarget();
        fail("sync directory", error);
        if (!kept.isEmpty())
            setErrorString(errorString() + QStringLiteral("; the old file is kept as ") +
                           QFile::decodeName(kept));
        return false;
    }
    if (!backup_.isEmpty()) ::unlink(backup_.constData());
    backup_.clear();
    QIODevice::close();
    return true;
}

bool ReplacingFile::fail(const char* step, int error)
{
    failed_ = true;
    setErrorString(QStringLiteral("%1: %2").arg(QLatin1String(step),
                                                QString::fromLocal8Bit(std::strerror(error))));
    abandon();
    return false;
}

// After a rename whose directory sync failed: the old file back under its name, or no
// file where there was none. Where the old file cannot go back, its second name is its last
// one and stays: that name is returned.
QByteArray ReplacingFile::restoreTarget()
{
    if (mode_ < 0) {
        ::unlink(target_.constData());
        return {};
    }
    QByteArray kept;
    if (!backup_.isEmpty() && ::rename(backup_.constData(), target_.constData()) != 0)
        kept = backup_;
    backup_.clear();
    return kept;
}

void ReplacingFile::abandon()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.isEmpty()) ::unlink(temp_.constData());
    if (!backup_.isEmpty()) ::unlink(backup_.constData());
    temp_.clear();
    backup_.clear();
    if (isOpen()) QIODevice::close();
}

bool replaceFile(const QString& path, QByteArrayView bytes, QString* error, const FileCalls& calls)
{
    ReplacingFile file(path, calls);
    const bool ok =
        file.open() && file.write(bytes.data(), bytes.size()) == bytes.size() && file.commit();
    if (!ok && error) *error = file.errorString();
    return ok;
}

} // namespace tessellon

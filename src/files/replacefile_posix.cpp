#include "replacefile.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessellon {

namespace {

constexpr qsizetype kNameInTemp = 100; // keeps temporary names within NAME_MAX
constexpr const char* kTempEnd = ".part";
constexpr int kMaxLinks = 40; // as many as the kernel follows in one path

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

QByteArray joined(const QByteArray& dir, const QByteArray& name)
{
    return dir + (dir.endsWith('/') ? "" : "/") + name;
}

// ".<name>." of the temporaries of `path`, the name cut to kNameInTemp bytes.
QByteArray tempPrefix(const QByteArray& path)
{
    const QByteArray name = path.sliced(path.lastIndexOf('/') + 1);
    return '.' + name.first(std::min(name.size(), kNameInTemp)) + '.';
}

QByteArray tempName(const QByteArray& path)
{
    // The process id only makes names of concurrent saves unlikely to meet; it says nothing
    // about whether a save is alive, as another namespace may reuse it.
    return joined(dirOf(path), tempPrefix(path)) + QByteArray::number(qint64(::getpid())) + '.' +
           QByteArray::number(QRandomGenerator::system()->generate(), 16).rightJustified(8, '0') +
           kTempEnd;
}

// Whether `entry` has the form of a temporary of prefix `prefix`.
bool isTempName(QByteArrayView entry, QByteArrayView prefix)
{
    if (!entry.startsWith(prefix) || !entry.endsWith(kTempEnd)) return false;
    const QByteArrayView rest =
        entry.sliced(prefix.size()).chopped(qsizetype(std::strlen(kTempEnd)));
    const qsizetype dot = rest.indexOf('.');
    if (dot <= 0 || rest.size() - dot - 1 != 8) return false;
    bool pidOk = false, randomOk = false;
    (void)rest.first(dot).toLongLong(&pidOk);
    (void)rest.sliced(dot + 1).toUInt(&randomOk, 16);
    return pidOk && randomOk;
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether `fd` is still the file named `name` in directory `dirFd`.
bool stillNamed(int dirFd, const char* name, int fd)
{
    struct stat held = {}, named = {};
    return ::fstat(fd, &held) == 0 && ::fstatat(dirFd, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           sameFile(held, named);
}

// Removes the temporaries of `path` that no save holds locked: a killed save left them. The
// lock is seen from every process and namespace, unlike a process id. A temporary we may
// not open (another user's) is left to its owner.
void removeStale(const QByteArray& path)
{
    const QByteArray dir = dirOf(path), prefix = tempPrefix(path);
    DIR* d = ::opendir(dir.constData());
    if (!d) return;
    while (const dirent* e = ::readdir(d)) {
        if (!isTempName(e->d_name, prefix)) continue;
        const int fd =
            ::openat(::dirfd(d), e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && stillNamed(::dirfd(d), e->d_name, fd))
            ::unlinkat(::dirfd(d), e->d_name, 0);
        ::close(fd);
    }
    ::closedir(d);
}

// A new temporary of `target`, owner-only and locked while its descriptor is open; -1 with
// errno set on failure.
int createTemp(const QByteArray& target, QByteArray& temp)
{
    for (int attempt = 0;; ++attempt) {
        temp = tempName(target);
        const int fd =
            ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            // A sweep may lock and remove the name in the instant before our lock: start over.
            // Where no lock can be had at all, nothing is ever swept, so the save goes on.
            const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
            if (locked && stillNamed(AT_FDCWD, temp.constData(), fd)) return fd;
            ::close(fd);
            errno = EEXIST;
        }
        if (errno != EEXIST || attempt == 20) {
            temp.clear();
            return -1;
        }
    }
}

// The path of `fd`, opened as `path`, as the kernel resolved it; empty with errno set on
// failure, or when that path no longer names what was opened (renamed or removed meanwhile).
QByteArray pathOf(int fd, const QByteArray& path)
{
    char buf[PATH_MAX];
    const QByteArray proc = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t n = ::readlink(proc.constData(), buf, sizeof buf);
    QByteArray real;
    if (n > 0 && n < ssize_t(sizeof buf))
        real = QByteArray(buf, n);
    else if (::realpath(path.constData(), buf)) // no /proc: the kernel let the chain through
        real = buf;
    else
        return {};
    struct stat held = {}, named = {};
    if (::fstat(fd, &held) != 0 || ::stat(real.constData(), &named) != 0) return {};
    if (!sameFile(held, named)) return errno = ESTALE, QByteArray();
    return real;
}

// Whether the system refuses to follow a link that another user planted in a sticky,
// world-writable folder. Unknown counts as refusing: the safer reading.
bool linksProtected()
{
    QFile setting(QStringLiteral("/proc/sys/fs/protected_symlinks"));
    return !setting.open(QIODevice::ReadOnly) || setting.read(8).trimmed() != "0";
}

// The kernel's rule for following the link `link` in the folder `dir`: in a sticky,
// world-writable folder only a link of our own or of the folder's owner is followed.
bool mayFollow(const struct stat& dir, const struct stat& link)
{
    constexpr mode_t kShared = S_ISVTX | S_IWOTH;
    if ((dir.st_mode & kShared) != kShared || !linksProtected()) return true;
    return link.st_uid == ::geteuid() || link.st_uid == dir.st_uid;
}

// Reads the link `name` in the folder `dirFd` where the kernel's rules let us follow it:
// 1 with `to` set for a link, 0 where no link is there (the save makes the name), -1 with
// errno set where it is refused.
int readFollowable(int dirFd, const QByteArray& name, QByteArray& to)
{
    struct stat folder = {}, link = {};
    if (::fstatat(dirFd, name.constData(), &link, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? 0 : -1;
    if (!S_ISLNK(link.st_mode)) return 0;
    if (::fstat(dirFd, &folder) != 0) return -1;
    if (!mayFollow(folder, link)) return errno = EACCES, -1;
    char buf[PATH_MAX];
    const ssize_t n = ::readlinkat(dirFd, name.constData(), buf, sizeof buf);
    if (n < 0) return -1;
    if (n == ssize_t(sizeof buf)) return errno = ENAMETOOLONG, -1;
    to = QByteArray(buf, n);
    return 1;
}

// A chain of links that ends in a name not made yet, followed by hand as the kernel would,
// each link read relative to the folder it really lives in. The kernel already refused
// another user's link at the first open; the rule is kept here for a link swapped in since.
// Empty with errno set on failure, ELOOP past kMaxLinks links.
QByteArray followDangling(QByteArray path)
{
    for (int links = 0;; ++links) {
        const QByteArray name = path.sliced(path.lastIndexOf('/') + 1);
        if (name.isEmpty() || name == "." || name == "..") return path; // a directory, refused
        // "/." keeps a link to the folder a middle step, which the kernel follows whoever owns it
        const QByteArray dirPath = dirOf(path) + "/.";
        const int dirFd = ::open(dirPath.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (dirFd < 0) return {};
        const QByteArray dir = pathOf(dirFd, dirPath);
        QByteArray to;
        const int found = dir.isEmpty() ? -1 : readFollowable(dirFd, name, to);
        const int error = errno;
        ::close(dirFd);
        errno = error;
        if (found < 0) return {};
        path = joined(dir, name);
        if (found == 0) return path;
        if (links == kMaxLinks) return errno = ELOOP, QByteArray();
        path = to.startsWith('/') ? to : joined(dir, to);
    }
}

// The file a save of `path` replaces, found as the kernel finds it, its rules for links in
// shared folders included: where the file exists the kernel itself follows the links; only a
// chain ending in a name not made yet is followed by hand. Every link stays a link. Empty
// with errno set on failure.
QByteArray resolveTarget(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_PATH | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? followDangling(path) : QByteArray();
    const QByteArray real = pathOf(fd, path);
    const int error = errno;
    ::close(fd);
    errno = error;
    return real;
}

// The umask, read without changing it: setting it to read it would race other threads.
mode_t creationMask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (!line.startsWith("Umask:")) continue;
            bool ok = false;
            const uint mask = line.sliced(6).trimmed().toUInt(&ok, 8);
            if (ok) return mode_t(mask & 0777);
        }
    }
    return 077; // unknown: nobody but the owner gets in
}

} // namespace

const FileCalls& systemFileCalls()
{
    static const FileCalls calls = {&::write, &::fsync, &::close, &::rename, &syncDirectory};
    return calls;
}

bool ReplacingFile::open(OpenMode mode)
{
    if (isOpen() || failed_) return false;
    if ((mode & ~(QIODevice::WriteOnly | QIODevice::Unbuffered)) ||
        !(mode & QIODevice::WriteOnly)) {
        setErrorString(QStringLiteral("a replacing file is written only"));
        return false;
    }
    target_ = resolveTarget(QFile::encodeName(path_));
    if (target_.isEmpty()) return fail("replace", errno);
    struct stat st = {};
    if (::lstat(target_.constData(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            failed_ = true;
            setErrorString(QStringLiteral("not a regular file"));
            return false;
        }
        if (::access(target_.constData(), W_OK) != 0) return fail("replace", errno);
        mode_ = int(st.st_mode & 07777);
        owner_ = st.st_uid;
        group_ = st.st_gid;
    } else if (errno != ENOENT) {
        return fail("replace", errno);
    }
    removeStale(target_);
    fd_ = createTemp(target_, temp_);
    if (fd_ < 0) return fail("create", errno);
    // A second descriptor keeps the lock through the checked close until the rename.
    lock_ = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
    if (lock_ < 0) return fail("create", errno);
    return QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 ReplacingFile::writeSome(const char* data, qint64 size)
{
    const ssize_t n = calls_.write(fd_, data, size_t(size));
    if (n < 0 && errno == EINTR) return 0;
    if (n <= 0) return fail("write", n < 0 ? errno : EIO), -1;
    return n;
}

// Making the steps durable as the save goes: starting the disk writes alone (sync_file_range)
// leaves the final sync flushing the drive's cache of the whole file, half a second for 800 MB.
std::function<int()> ReplacingFile::stepSync() const
{
    return [fd = fd_] { return ::fdatasync(fd) == 0 ? 0 : errno; };
}

bool ReplacingFile::commit()
{
    if (failed_) return false; // the reason of the failure stays
    if (!isOpen()) return fail("commit", EBADF);
    if (stopped()) return cancel();
    if (!awaitSync()) return false;
    giveFinalOwnerAndMode();
    if (calls_.fsync(fd_) != 0) return fail("sync", errno);
    const int closed = calls_.close(fd_);
    fd_ = -1; // closed even when close() reports an error
    if (closed != 0) return fail("close", errno);
    if (stopped()) return cancel();
    if (calls_.rename(temp_.constData(), target_.constData()) != 0) return fail("rename", errno);
    temp_.clear();
    // The new file stands from here and the old one is gone: a directory that cannot be
    // synced risks only this rename at a power cut, and saying the save failed would be false.
    if (calls_.syncDir(dirOf(target_).constData()) != 0)
        qWarning("saved %s, but its directory could not be synced: %s", target_.constData(),
                 std::strerror(errno));
    abandon();
    return true;
}

// The old target's owner and group where we may give them (the group where we belong to it),
// then its mode, or a new file's: only now may anyone else read the temporary.
void ReplacingFile::giveFinalOwnerAndMode()
{
    if (mode_ < 0) {
        (void)::fchmod(fd_, 0666 & ~creationMask());
        return;
    }
    if (::fchown(fd_, owner_, group_) != 0) (void)::fchown(fd_, uid_t(-1), group_);
    (void)::fchmod(fd_, mode_t(mode_)); // after fchown, which clears the set-id bits
}

bool ReplacingFile::fail(const char* step, int error)
{
    failed_ = true;
    setErrorString(QStringLiteral("%1: %2").arg(QLatin1String(step),
                                                QString::fromLocal8Bit(std::strerror(error))));
    abandon();
    return false;
}

void ReplacingFile::abandon()
{
    if (pending_.valid()) pending_.wait(); // its descriptor stays open until it ends
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.isEmpty()) ::unlink(temp_.constData()); // still locked: no sweep races us
    temp_.clear();
    if (lock_ >= 0) ::close(lock_);
    lock_ = -1;
    if (isOpen()) QIODevice::close();
}

} // namespace tessellon

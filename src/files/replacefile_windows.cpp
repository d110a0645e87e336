#include "replacefile.h"

#include "longpath.h"
#include "windowsnames.h"

#include <QRandomGenerator>

#include <algorithm>

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

namespace tessellon {

namespace {

constexpr qsizetype kNameInTemp = 100; // keeps temporary names within a name's 255 characters
// The lock covers one byte far past any data, so it never stands in a reader's way.
constexpr DWORD kLockOffsetHigh = 0x40000000;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

int writeCall(void* file, const void* data, unsigned long size, unsigned long* written)
{
    return WriteFile(file, data, size, written, nullptr);
}

int flushCall(void* file)
{
    return FlushFileBuffers(file);
}

int closeCall(void* file)
{
    return CloseHandle(file);
}

int replaceCall(const wchar_t* temp, const wchar_t* target, bool exists)
{
    if (exists)
        return ReplaceFileW(target, temp, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                            nullptr);
    return MoveFileExW(temp, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

std::wstring wide(const QString& s)
{
    return s.toStdWString();
}

QString dirOf(const QString& path)
{
    return path.first(path.lastIndexOf(u'\\'));
}

QString tempPrefix(const QString& target)
{
    const QString name = target.sliced(target.lastIndexOf(u'\\') + 1);
    return u'.' + name.first(std::min(name.size(), kNameInTemp)) + u'.';
}

QString tempName(const QString& target)
{
    // The process id only keeps concurrent saves apart; the lock says whether one is alive.
    return dirOf(target) + u'\\' + tempPrefix(target) + QString::number(GetCurrentProcessId()) +
           u'.' +
           QString::number(QRandomGenerator::system()->generate(), 16).rightJustified(8, u'0') +
           QStringLiteral(".part");
}

// Whether `entry` has the form of a temporary of prefix `prefix`.
bool isTempName(const QString& entry, const QString& prefix)
{
    if (!entry.startsWith(prefix) || !entry.endsWith(QLatin1String(".part"))) return false;
    const QStringList parts = entry.sliced(prefix.size()).chopped(5).split(u'.');
    bool pidOk = false, randomOk = false;
    if (parts.size() == 2 && parts[1].size() == 8) {
        (void)parts[0].toULongLong(&pidOk);
        (void)parts[1].toUInt(&randomOk, 16);
    }
    return pidOk && randomOk;
}

// Takes the lock of a temporary; false when a live save holds it. The system lets it go
// when the last handle of its holder closes, also when the process dies.
bool lock(HANDLE file)
{
    OVERLAPPED at = {};
    at.OffsetHigh = kLockOffsetHigh;
    return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at);
}

HANDLE openExisting(const std::wstring& path, DWORD access)
{
    return CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Removes the temporaries of `target` that no save holds locked: a killed save left them.
void removeStale(const QString& target)
{
    const QString dir = dirOf(target), prefix = tempPrefix(target);
    WIN32_FIND_DATAW found;
    const HANDLE search =
        FindFirstFileW(wide(dir + u'\\' + prefix + QStringLiteral("*.part")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const QString name = QString::fromWCharArray(found.cFileName);
        if (!isTempName(name, prefix)) continue;
        const HANDLE file =
            CreateFileW(wide(dir + u'\\' + name).c_str(), GENERIC_READ | DELETE, kShareAll, nullptr,
                        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (file == INVALID_HANDLE_VALUE) continue; // another user's: left to its owner
        FILE_DISPOSITION_INFO gone = {TRUE};
        if (lock(file)) SetFileInformationByHandle(file, FileDispositionInfo, &gone, sizeof gone);
        CloseHandle(file);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// A security descriptor that lets none but the user we run as at a file, LocalFree'd by the
// caller; null where it cannot be made.
PSECURITY_DESCRIPTOR ownerOnly()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return nullptr;
    alignas(TOKEN_USER) char user[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER)];
    DWORD size = 0;
    wchar_t* sid = nullptr;
    const bool known = GetTokenInformation(token, TokenUser, user, sizeof user, &size) &&
                       ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid);
    CloseHandle(token);
    if (!known) return nullptr;
    const std::wstring sddl = L"D:P(A;;FA;;;" + std::wstring(sid) + L')';
    LocalFree(sid);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                              &descriptor, nullptr))
        return nullptr;
    return descriptor;
}

// A new temporary of `target` to write, and `locked`, a handle that only reads it and holds
// its lock until it is renamed or gone: ReplaceFileW refuses a replacement still open for
// writing. INVALID_HANDLE_VALUE with the error set on failure.
HANDLE createTemp(const QString& target, SECURITY_ATTRIBUTES* security, QString& temp,
                  HANDLE& locked)
{
    for (int attempt = 0;; ++attempt) {
        temp = tempName(target);
        const HANDLE file =
            CreateFileW(wide(temp).c_str(), security ? GENERIC_WRITE | WRITE_DAC : GENERIC_WRITE,
                        kShareAll, security, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
        locked = file == INVALID_HANDLE_VALUE ? file : openExisting(wide(temp), GENERIC_READ);
        // A sweep may take the lock in the instant before ours: start over.
        if (locked != INVALID_HANDLE_VALUE &&
            (lock(locked) || GetLastError() != ERROR_LOCK_VIOLATION))
            return file;
        const DWORD error = GetLastError();
        if (locked != INVALID_HANDLE_VALUE) CloseHandle(locked);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        if (attempt == 20) {
            SetLastError(error);
            break;
        }
    }
    locked = nullptr;
    temp.clear();
    return INVALID_HANDLE_VALUE;
}

// The path the system resolved `file`, opened as `path`, to: every link and junction
// followed. Empty when it names none.
QString finalPath(HANDLE file, const std::wstring& path)
{
    // room for the longest path there is: Wine fails a short buffer rather than sizing it
    std::wstring buf(32768, L'\0');
    const DWORD n = GetFinalPathNameByHandleW(file, buf.data(), DWORD(buf.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n > 0 && n < buf.size()) return QString::fromWCharArray(buf.data(), n);
    // Wine names none for some paths past MAX_PATH: one that is no link is the file itself
    const DWORD own = GetFileAttributesW(path.c_str());
    const bool link = own == INVALID_FILE_ATTRIBUTES || (own & FILE_ATTRIBUTE_REPARSE_POINT);
    return link ? QString() : QString::fromStdWString(path);
}

constexpr DWORD kNotRegular = ~DWORD(0);

// Opens what `wanted` names, or its folder where it names nothing, for a look, and sets
// `target` to the path the system resolves it to. INVALID_HANDLE_VALUE with the error set
// on failure.
HANDLE openTarget(const std::wstring& wanted, QString& target, bool& exists)
{
    HANDLE file = openExisting(wanted, 0);
    exists = file != INVALID_HANDLE_VALUE;
    if (exists) {
        target = finalPath(file, wanted);
        return file;
    }
    // a dangling link is no new file: its name is taken
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return file;
    if (GetFileAttributesW(wanted.c_str()) != INVALID_FILE_ATTRIBUTES) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const size_t slash = wanted.rfind(L'\\');
    file = openExisting(wanted.substr(0, slash), 0);
    if (file == INVALID_HANDLE_VALUE) return file;
    target = finalPath(file, wanted.substr(0, slash));
    if (!target.isEmpty()) target += QString::fromStdWString(wanted.substr(slash));
    return file;
}

// Finds the file a save of `path` replaces as the system resolves it, so that every link
// stays a link: 0, an error, or kNotRegular. A read-only target is refused.
DWORD findTarget(const QString& path, QString& target, bool& exists, DWORD& attributes)
{
    const HANDLE file = openTarget(longPath(path), target, exists);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    BY_HANDLE_FILE_INFORMATION info = {};
    const bool known = GetFileInformationByHandle(file, &info) && !target.isEmpty();
    const bool regular =
        GetFileType(file) == FILE_TYPE_DISK && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (!known) return error ? error : ERROR_PATH_NOT_FOUND;
    if (exists && !regular) return kNotRegular;
    attributes = exists ? info.dwFileAttributes : FILE_ATTRIBUTE_NORMAL;
    // A folder's read-only flag only marks it customised; one we may not write to refuses
    // the temporary.
    if (attributes & FILE_ATTRIBUTE_READONLY) return ERROR_ACCESS_DENIED;
    if (!exists) return 0;
    const HANDLE writable = openExisting(wide(target), GENERIC_WRITE);
    if (writable == INVALID_HANDLE_VALUE) return GetLastError();
    CloseHandle(writable);
    return 0;
}

} // namespace

const FileCalls& systemFileCalls()
{
    static const FileCalls calls = {&writeCall, &flushCall, &closeCall, &replaceCall};
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
    if (!windowsAcceptsPath(path_)) return fail("replace", ERROR_INVALID_NAME);
    const DWORD found = findTarget(path_, target_, exists_, attributes_);
    if (found == kNotRegular) {
        failed_ = true;
        setErrorString(QStringLiteral("not a regular file"));
        return false;
    }
    if (found != 0) return fail("replace", int(found));
    removeStale(target_);
    // The bytes replacing a file that keeps others out are theirs no sooner than the old
    // ones: the temporary is the owner's alone until it takes the old file's DACL. A new file
    // takes its folder's, as the temporary does from the start.
    PACL dacl = nullptr;
    if (exists_ &&
        (GetNamedSecurityInfoW(wide(target_).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                               nullptr, nullptr, &dacl, nullptr, &security_) != ERROR_SUCCESS ||
         !dacl)) { // none to give, or none we may read: ReplaceFileW's copy of it stands
        LocalFree(security_);
        security_ = nullptr;
    }
    PSECURITY_DESCRIPTOR ownerOnlyDescriptor = exists_ ? ownerOnly() : nullptr;
    SECURITY_ATTRIBUTES ownerOnlyAttributes = {sizeof ownerOnlyAttributes, ownerOnlyDescriptor,
                                               FALSE};
    file_ = createTemp(target_, ownerOnlyDescriptor ? &ownerOnlyAttributes : nullptr, temp_, lock_);
    if (file_ == INVALID_HANDLE_VALUE && ownerOnlyDescriptor &&
        GetLastError() == ERROR_ACCESS_DENIED) {
        // A share may refuse us a file's DACL (WRITE_DAC): better the folder's than no save.
        LocalFree(security_);
        security_ = nullptr;
        file_ = createTemp(target_, nullptr, temp_, lock_);
    }
    const DWORD created = GetLastError();
    LocalFree(ownerOnlyDescriptor);
    SetLastError(created);
    if (file_ == INVALID_HANDLE_VALUE) {
        file_ = nullptr;
        return fail("create", GetLastError());
    }
    return QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 ReplacingFile::writeSome(const char* data, qint64 size)
{
    unsigned long n = 0;
    if (calls_.write(file_, data, DWORD(size), &n) && n > 0) return n;
    return fail("write", n == 0 && GetLastError() == 0 ? ERROR_WRITE_FAULT : GetLastError()), -1;
}

std::function<int()> ReplacingFile::stepSync() const
{
    return [file = file_] { return FlushFileBuffers(file) ? 0 : int(GetLastError()); };
}

bool ReplacingFile::commit()
{
    if (failed_) return false; // the reason of the failure stays
    if (!isOpen()) return fail("commit", ERROR_INVALID_HANDLE);
    if (stopped()) return cancel();
    if (!awaitSync()) return false;
    giveFinalOwnerAndMode();
    if (!calls_.flush(file_)) return fail("sync", GetLastError());
    const bool closed = calls_.close(file_);
    file_ = nullptr; // closed even when the call reports an error
    if (!closed) return fail("close", GetLastError());
    if (stopped()) return cancel();
    // ReplaceFileW shares the replacement with no other handle, so the lock goes first: a
    // sweep in that instant can only make the save fail, the old file kept.
    CloseHandle(lock_);
    lock_ = nullptr;
    if (!calls_.replace(wide(temp_).c_str(), wide(target_).c_str(), exists_))
        return fail("rename", GetLastError());
    temp_.clear();
    abandon();
    return true;
}

// The old target's attributes, or a plain file's: the temporary was hidden until now.
// ReplaceFileW gives it the old file's security and creation time.
void ReplacingFile::giveFinalOwnerAndMode()
{
    constexpr DWORD kSettable = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    FILE_BASIC_INFO basic = {}; // times left at zero stay as they are
    basic.FileAttributes =
        attributes_ & kSettable ? attributes_ & kSettable : FILE_ATTRIBUTE_NORMAL;
    (void)SetFileInformationByHandle(file_, FileBasicInfo, &basic, sizeof basic);
    // ReplaceFileW gives the old DACL too, but not under Wine, where it sets the file's mode;
    // where the system refuses this, that copy stands.
    PACL dacl = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (security_ && GetSecurityDescriptorDacl(security_, &present, &dacl, &defaulted) && present &&
        dacl && GetSecurityDescriptorControl(security_, &control, &revision)) {
        const SECURITY_INFORMATION inherits = control & SE_DACL_PROTECTED
                                                  ? PROTECTED_DACL_SECURITY_INFORMATION
                                                  : UNPROTECTED_DACL_SECURITY_INFORMATION;
        (void)SetSecurityInfo(file_, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | inherits, nullptr,
                              nullptr, dacl, nullptr);
    }
}

bool ReplacingFile::fail(const char* step, int error)
{
    failed_ = true;
    setErrorString(QStringLiteral("%1: %2").arg(QLatin1String(step), qt_error_string(error)));
    abandon();
    return false;
}

void ReplacingFile::abandon()
{
    if (pending_.valid()) pending_.wait(); // its handle stays open until it ends
    if (file_) CloseHandle(file_);
    file_ = nullptr;
    // Still locked through lock_, which shares deletion: no sweep races us, and the name
    // goes when that handle closes.
    if (!temp_.isEmpty()) DeleteFileW(wide(temp_).c_str());
    temp_.clear();
    if (lock_) CloseHandle(lock_);
    lock_ = nullptr;
    LocalFree(security_);
    security_ = nullptr;
    if (isOpen()) QIODevice::close();
}

} // namespace tessellon

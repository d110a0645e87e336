#include "replacefile.h"

#include <algorithm>
#include <system_error>

// What the replacing writer does the same way on every system; the system calls are in
// replacefile_posix.cpp and replacefile_windows.cpp.

namespace tessellon {

namespace {

// Written data is made durable in steps of this size as the save goes, so the final sync has
// at most one of them left: a stopped save never waits long in it.
constexpr qint64 kSyncStep = qint64(32) << 20;

} // namespace

ReplacingFile::ReplacingFile(const QString& path, const FileCalls& calls)
    : calls_(calls), path_(path)
{
}

ReplacingFile::~ReplacingFile()
{
    abandon();
}

qint64 ReplacingFile::readData(char*, qint64)
{
    return -1;
}

// Waits for the sync of the step before; false, the save failed, when it did.
bool ReplacingFile::awaitSync()
{
    const int error = pending_.valid() ? pending_.get() : 0;
    return error == 0 || fail("sync", error);
}

qint64 ReplacingFile::writeData(const char* data, qint64 size)
{
    if (failed_ || !isOpen()) return -1;
    for (qint64 done = 0; done < size;) {
        if (stopped()) {
            cancel();
            return -1;
        }
        // never past the end of the step, where the data is synced
        const qint64 n =
            writeSome(data + done, std::min(size - done, kSyncStep - written_ % kSyncStep));
        if (n < 0) return -1;
        if (n == 0) continue; // interrupted: nothing written, no step ended
        done += n;
        written_ += n;
        if (written_ % kSyncStep == 0 && !syncSoFar()) return -1;
    }
    return size;
}

// Starts making what is written so far durable while the next step is written, after the
// sync of the step before has ended.
bool ReplacingFile::syncSoFar()
{
    if (!awaitSync()) return false;
    if (stopped()) return cancel();
    const std::function<int()> sync = stepSync();
    try {
        pending_ = std::async(std::launch::async, sync);
    } catch (const std::system_error&) { // no thread to be had: sync here
        if (const int error = sync()) return fail("sync", error);
    }
    return true;
}

bool ReplacingFile::cancel()
{
    failed_ = true;
    setErrorString(QStringLiteral("cancelled"));
    abandon();
    return false;
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

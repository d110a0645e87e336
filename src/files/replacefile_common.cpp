#include "replacefile.h"

// What the replacing writer does the same way on every system; the system calls are in
// replacefile_posix.cpp and replacefile_windows.cpp.

namespace tessellon {

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

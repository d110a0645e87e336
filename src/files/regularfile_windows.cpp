#include "regularfile.h"

#include "longpath.h"
#include "windowsnames.h"

#include <QFile>
#include <QString>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace tessellon {

bool openRegularFile(const QString& path, QFile& file, QString* error)
{
    // "con.bmp" would open the console, and "a:b" a stream of the file "a".
    if (!windowsAcceptsPath(path)) {
        *error = qt_error_string(ERROR_INVALID_NAME);
        return false;
    }
    const HANDLE handle = CreateFileW(longPath(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        *error = qt_error_string(int(GetLastError()));
        return false;
    }
    // A pipe or a device opens like a file; only a file on a disk is read.
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        *error = QStringLiteral("not a regular file");
        return false;
    }
    const int fd = _open_osfhandle(intptr_t(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        *error = QStringLiteral("no descriptor for the file");
        return false;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        _close(fd);
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace tessellon

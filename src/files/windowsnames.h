#pragma once

#include <QString>

namespace tessellon {

/// Whether Windows would take `path` as the name of a file: no part of it after the drive or
/// share names a device (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without an ending),
/// holds a character Windows forbids (< > : " | ? * or a control character) or ends in a dot
/// or a space. Either separator counts; "." and ".." are parts of a path, not names.
bool windowsAcceptsPath(const QString& path);

} // namespace tessellon

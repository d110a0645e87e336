#pragma once

#include <QString>

#include <string>

namespace tessellon {

/// `path` as the wide Win32 calls take it past MAX_PATH: absolute, with backslashes and the
/// \\?\ prefix (\\?\UNC\ for a share).
std::wstring longPath(const QString& path);

/// `path` back from that form, for messages and for Qt.
QString shortPath(const std::wstring& path);

} // namespace tessellon

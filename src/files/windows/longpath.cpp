#include "longpath.h"

#include <QDir>
#include <QFileInfo>

namespace tessellon {

std::wstring longPath(const QString& path)
{
    if (path.startsWith(QLatin1String("\\\\?\\"))) return path.toStdWString();
    // past the prefix the system no longer reads "." and ".."
    QString p = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (p.startsWith(QLatin1String("\\\\")))
        p = QLatin1String("\\\\?\\UNC\\") + p.mid(2);
    else
        p = QLatin1String("\\\\?\\") + p;
    return p.toStdWString();
}

QString shortPath(const std::wstring& path)
{
    QString p = QString::fromStdWString(path);
    if (p.startsWith(QLatin1String("\\\\?\\UNC\\"), Qt::CaseInsensitive))
        return QLatin1String("\\\\") + p.mid(8);
    return p.startsWith(QLatin1String("\\\\?\\")) ? p.mid(4) : p;
}

} // namespace tessellon

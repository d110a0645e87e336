#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <tuple>

namespace tessellon {
class frmTessellon;
}

namespace tessellon::soak {

/// What is wrong with the window's state after an action; "" when nothing is.
QString checkWindow(const frmTessellon& w);

/// Watches the maps the soak saved into the program directory and reads each one back
/// whenever the file changed: it must be a picture without a single grid dot.
class SavedMapWatch
{
public:
    /// `inputs`: the fixture's own files, which are not maps the soak saved.
    SavedMapWatch(const QString& dir, const QStringList& inputs);
    /// The first fault found; "" when every saved map is fine.
    QString check();
    /// How many saved versions were read back so far.
    int verified() const { return verified_; }

private:
    using Stamp = std::tuple<quint64, qint64, qint64, qint64>; // inode, mtime s, ns, size
    QString dir_;
    QStringList inputs_;
    QHash<QString, Stamp> seen_;
    int verified_ = 0;
};

} // namespace tessellon::soak

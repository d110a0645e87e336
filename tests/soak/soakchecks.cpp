#include "soakchecks.h"

#include "windowfixture.h"

#include "frmtessellon.h"
#include "picturebox.h"
#include "scrollbar.h"
#include "undoring.h"

#include <QDirIterator>
#include <QImage>

#include <sys/stat.h>

namespace tessellon::soak {

namespace {

bool fits16(int v)
{
    return v >= -32768 && v <= 32767;
}

QString checkBar(const ScrollBar* bar, const char* name)
{
    if (bar->Min() > bar->Max() || !fits16(bar->Min()) || !fits16(bar->Max()))
        return QStringLiteral("%1 range %2..%3").arg(name).arg(bar->Min()).arg(bar->Max());
    if (bar->Value() < bar->Min() || bar->Value() > bar->Max())
        return QStringLiteral("%1 value %2 outside %3..%4")
            .arg(name)
            .arg(bar->Value())
            .arg(bar->Min())
            .arg(bar->Max());
    return {};
}

QString checkRing(const UndoRing& ring)
{
    if (ring.position() < 0 || ring.position() > UndoRing::kSlots)
        return QStringLiteral("UndoPosition %1").arg(ring.position());
    for (int i = 0; i <= UndoRing::kSlots; ++i) {
        const QString& s = ring.record(i).State;
        if (!s.isEmpty() && s != kUndoActive && s != kUndoInactive)
            return QStringLiteral("undo slot %1 State '%2'").arg(i).arg(s);
    }
    return {};
}

} // namespace

QString checkWindow(const frmTessellon& w)
{
    const QPoint c = w.cursorPos();
    if (!fits16(c.x()) || !fits16(c.y()))
        return QStringLiteral("cursor at %1,%2").arg(c.x()).arg(c.y());
    const QSize s = w.Canvas.size();
    if (s.width() < 1 || s.height() < 1 || !fits16(s.width()) || !fits16(s.height()))
        return QStringLiteral("canvas %1 x %2").arg(s.width()).arg(s.height());
    if (w.picCanvas->size() != s)
        return QStringLiteral("canvas widget %1 x %2, bitmap %3 x %4")
            .arg(w.picCanvas->width())
            .arg(w.picCanvas->height())
            .arg(s.width())
            .arg(s.height());
    QString bad = checkBar(w.HScroll, "HScroll");
    if (bad.isEmpty()) bad = checkBar(w.VScroll, "VScroll");
    if (bad.isEmpty()) bad = checkRing(*w.Ring);
    return bad;
}

SavedMapWatch::SavedMapWatch(const QString& dir, const QStringList& inputs)
    : dir_(dir), inputs_(inputs)
{
}

QString SavedMapWatch::check()
{
    QDirIterator it(dir_, {QStringLiteral("*.bmp"), QStringLiteral("*.BMP")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (inputs_.contains(it.fileName()) && it.fileInfo().dir().path() == dir_) continue;
        struct stat st
        {
        };
        if (::stat(QFile::encodeName(path).constData(), &st) != 0) continue;
        // a save replaces the file, so the inode and the time tell a new version
        const Stamp now{quint64(st.st_ino), qint64(st.st_mtim.tv_sec), qint64(st.st_mtim.tv_nsec),
                        qint64(st.st_size)};
        if (seen_.value(path) == now) continue;
        seen_.insert(path, now);
        const QImage img(path);
        if (img.isNull()) return QStringLiteral("saved map %1 does not read back").arg(path);
        const int dots = gridDots(img);
        if (dots > 0) return QStringLiteral("saved map %1 holds %2 grid dots").arg(path).arg(dots);
        ++verified_;
    }
    return {};
}

} // namespace tessellon::soak

#include "windowsnames.h"

#include <QStringList>

#include <array>

namespace tessellon {

namespace {

bool isDevice(QStringView name)
{
    // The device is the part before the first dot: "con.bmp" opens the console too, and
    // Windows ignores spaces before that dot.
    const QStringView stem =
        name.first(name.indexOf(u'.') < 0 ? name.size() : name.indexOf(u'.')).trimmed();
    static constexpr std::array<const char16_t*, 4> kPlain = {u"CON", u"PRN", u"AUX", u"NUL"};
    for (const char16_t* device : kPlain)
        if (stem.compare(QStringView(device), Qt::CaseInsensitive) == 0) return true;
    // COM¹ and the like count as well, as Windows reads superscript digits as numbers.
    const bool numbered =
        stem.size() == 4 && (stem.first(3).compare(u"COM", Qt::CaseInsensitive) == 0 ||
                             stem.first(3).compare(u"LPT", Qt::CaseInsensitive) == 0);
    const QChar n = numbered ? stem[3] : QChar();
    return numbered &&
           ((n >= u'1' && n <= u'9') || n == u'\u00b9' || n == u'\u00b2' || n == u'\u00b3');
}

bool acceptsName(QStringView name)
{
    if (name.isEmpty() || name == u"." || name == u"..") return true;
    if (name.endsWith(u'.') || name.endsWith(u' ') || isDevice(name)) return false;
    for (QChar c : name)
        if (c.unicode() < 32 || QStringView(u"<>:\"|?*").contains(c)) return false;
    return true;
}

// The length of the root that names no file: "C:" or "//server/share".
qsizetype rootLength(QStringView path)
{
    if (path.size() >= 2 && path[0].isLetter() && path[1] == u':') return 2;
    if (!path.startsWith(u"//")) return 0;
    const qsizetype server = path.indexOf(u'/', 2);
    const qsizetype share = server < 0 ? -1 : path.indexOf(u'/', server + 1);
    return share < 0 ? path.size() : share;
}

} // namespace

bool windowsAcceptsPath(const QString& path)
{
    QString p = path;
    p.replace(u'\\', u'/');
    // the long-path forms, "//?/C:/..." and "//?/UNC/server/share/..."
    if (p.startsWith(u"//?/UNC/", Qt::CaseInsensitive))
        p.remove(2, 6);
    else if (p.startsWith(u"//?/") || p.startsWith(u"//./"))
        p.remove(0, 4);
    for (QStringView name : QStringView(p).sliced(rootLength(p)).split(u'/'))
        if (!acceptsName(name)) return false;
    return true;
}

} // namespace tessellon

#include "mapname.h"

#include <array>

namespace tessellon {

namespace {

struct PictureEnding
{
    const char* ending;
    bool saved; // we write this format, not only read it
};

constexpr std::array<PictureEnding, 4> kPictureEndings = {{
    {".png", true},
    {".gif", false},
    {".jpg", false},
    {".jpeg", false},
}};

bool hasPictureEnding(const QString& name, MapAction action)
{
    for (const PictureEnding& e : kPictureEndings) {
        const QLatin1StringView ending(e.ending);
        if ((action == MapAction::Load || e.saved) && name.size() > ending.size() &&
            name.endsWith(ending, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace

MapName mapName(MapAction action, const QString& programDir, const QString& typed)
{
    const QString caption = QStringLiteral("Tessellon ");
    if (hasPictureEnding(typed, action))
        return {typed, fileInDir(programDir, typed), caption + typed, MapFormat::Png};
    const QString bmp = QStringLiteral(".bmp");
    const QString bare = typed.endsWith(bmp, Qt::CaseSensitive) ? typed.chopped(bmp.size()) : typed;
    // Either box would read "x.png" or "x.gif" as that picture, not as "x.png.bmp".
    const QString stored = hasPictureEnding(bare, MapAction::Load) ? bare + bmp : bare;
    return {stored, mapPath(programDir, bare), caption + bare + bmp, MapFormat::Bmp};
}

} // namespace tessellon

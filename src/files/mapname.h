#pragma once

#include "mapfile.h"

#include <QString>

namespace tessellon {

enum class MapAction { Load, Save };

/// What a name typed in the Load or Save box stands for.
struct MapName
{
    QString stored;  // the name offered by the next Load or Save box; names the same file
    QString path;    // the file read or written
    QString caption; // the window's caption once it is read or written
    MapFormat format = MapFormat::Bmp; // how a save writes it
};

/// The map `typed` names in `programDir`. A name with a picture ending of its own (".png"
/// to save; ".png", ".gif", ".jpg" or ".jpeg" to load; any letter case, after at least one
/// character) is that file. Any other name is a bitmap: a case-sensitive ".bmp" ending is
/// dropped and the file is the name and ".bmp". A bitmap whose name without ".bmp" would
/// read as a picture name keeps ".bmp" in `stored`, so the next box still names it. An
/// empty `stored` means nothing to read or write.
MapName mapName(MapAction action, const QString& programDir, const QString& typed);

} // namespace tessellon

// Writes the tile art: NNN.png for every tile into a directory, and optionally the contact
// sheet. Run from the build: tessellon_tilegen <resources/tiles> [--sheet <docs/tiles.png>]
#include "contactsheet.h"
#include "tileart.h"

#include <tilesizes.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

using namespace tessellon;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Draws the 335 tile images."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("dir"), QStringLiteral("Directory for NNN.png"));
    const QCommandLineOption sheetOption(QStringLiteral("sheet"),
                                         QStringLiteral("Also write the contact sheet to <file>."),
                                         QStringLiteral("file"));
    parser.addOption(sheetOption);
    parser.process(app);

    QTextStream err(stderr);
    const QStringList args = parser.positionalArguments();
    if (args.size() != 1) {
        parser.showHelp(1);
    }
    const QDir dir(args.first());
    if (!dir.mkpath(QStringLiteral("."))) {
        err << "cannot create " << dir.path() << "\n";
        return 1;
    }
    for (int n = kFirstTile; n <= kLastTile; ++n) {
        const QString file = dir.filePath(QStringLiteral("%1.png").arg(n, 3, 10, QLatin1Char('0')));
        if (!tileart::renderTile(n).save(file, "PNG")) {
            err << "cannot write " << file << "\n";
            return 1;
        }
    }
    if (parser.isSet(sheetOption)) {
        const QString file = parser.value(sheetOption);
        if (!tileart::contactSheet().save(file, "PNG")) {
            err << "cannot write " << file << "\n";
            return 1;
        }
    }
    return 0;
}

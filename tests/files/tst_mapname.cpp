#include "mapname.h"

#include <QDir>
#include <QTest>

using namespace tessellon;

class TestMapName : public QObject
{
    Q_OBJECT
private slots:
    void typedNames_data();
    void typedNames();
};

void TestMapName::typedNames_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored"); // "" means nothing is read or written
    QTest::addColumn<QString>("file");   // below the program's directory
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("writesPng"); // saves only
    const auto row = [](const char* tag, bool save, const QString& typed, const QString& stored,
                        const QString& file, const QString& caption, bool writesPng) {
        QTest::newRow(tag) << save << typed << stored << file << "Tessellon " + caption
                           << writesPng;
    };
    row("save bare", true, "dungeon", "dungeon", "dungeon.bmp", "dungeon.bmp", false);
    row("save .bmp", true, "dungeon.bmp", "dungeon", "dungeon.bmp", "dungeon.bmp", false);
    row("save .BMP", true, "x.BMP", "x.BMP", "x.BMP.bmp", "x.BMP.bmp", false);
    row("save .png", true, "share.png", "share.png", "share.png", "share.png", true);
    row("save .PNG", true, "X.PNG", "X.PNG", "X.PNG", "X.PNG", true);
    row("save .Png in a folder", true, "maps\\x.Png", "maps\\x.Png", "maps/x.Png", "maps\\x.Png",
        true);
    row("save .png.bmp", true, "x.png.bmp", "x.png.bmp", "x.png.bmp", "x.png.bmp", false);
    row("save .gif: a bitmap", true, "x.gif", "x.gif.bmp", "x.gif.bmp", "x.gif.bmp", false);
    row("save .png alone", true, ".png", ".png", ".png.bmp", ".png.bmp", false);
    row("save .bmp alone", true, ".bmp", "", "", "", false);
    row("save nothing", true, "", "", "", "", false);
    row("load bare", false, "dungeon", "dungeon", "dungeon.bmp", "dungeon.bmp", false);
    row("load .png", false, "x.png", "x.png", "x.png", "x.png", false);
    row("load .Gif", false, "x.Gif", "x.Gif", "x.Gif", "x.Gif", false);
    row("load .jpg", false, "x.jpg", "x.jpg", "x.jpg", "x.jpg", false);
    row("load .JPEG", false, "x.JPEG", "x.JPEG", "x.JPEG", "x.JPEG", false);
    row("load .gif.bmp", false, "x.gif.bmp", "x.gif.bmp", "x.gif.bmp", "x.gif.bmp", false);
    row("load .jpe", false, "x.jpe", "x.jpe", "x.jpe.bmp", "x.jpe.bmp", false);
}

void TestMapName::typedNames()
{
    QFETCH(bool, save);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, file);
    QFETCH(QString, caption);
    QFETCH(bool, writesPng);
    const QString dir = QStringLiteral("/opt/tess");
    const MapAction action = save ? MapAction::Save : MapAction::Load;
    const MapName name = mapName(action, dir, typed);
    QCOMPARE(name.stored, stored);
    if (stored.isEmpty()) return;
    QCOMPARE(name.path, QDir::toNativeSeparators(dir + '/' + file));
    QCOMPARE(name.caption, caption);
    if (save) QCOMPARE(name.format == MapFormat::Png, writesPng);
    // The name offered next names the same file, in this box and, after a save, in Load.
    QCOMPARE(mapName(action, dir, name.stored).path, name.path);
    if (save) QCOMPARE(mapName(MapAction::Load, dir, name.stored).path, name.path);
}

QTEST_GUILESS_MAIN(TestMapName)
#include "tst_mapname.moc"

#include "tileart.h"
#include "tilecatalogue.h"
#include "tilesizes.h"

#include <QDir>
#include <QHash>
#include <QPainter>
#include <QSet>
#include <QTest>

using namespace tessellon;
using tileart::Opening;

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kGrid = 0xFFB4B4B3; // red 180, green 180, blue 179

enum class Kind { Blank, BlackWhite, Grey, PartlyGrey, Marker };

struct Range
{
    int first, last;
    Kind kind;
};

// What the content table promises for each group of images; everything else is black on white.
constexpr Range kKinds[] = {
    {42, 44, Kind::Blank},    {143, 143, Kind::Blank},  {126, 129, Kind::PartlyGrey},
    {200, 215, Kind::Grey},   {287, 290, Kind::Grey},   {298, 301, Kind::Grey},
    {304, 307, Kind::Grey},   {257, 282, Kind::Marker}, {302, 303, Kind::Marker},
    {314, 318, Kind::Marker},
};

Kind kindOf(int n)
{
    for (const Range& r : kKinds)
        if (n >= r.first && n <= r.last) return r.kind;
    return Kind::BlackWhite;
}

QSet<QRgb> coloursOf(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return colours;
}

QString hex(QRgb c)
{
    return QString::number(c & 0xFFFFFF, 16).rightJustified(6, QLatin1Char('0'));
}

// The two wall positions a side opening puts on the shared cell border.
std::pair<int, int> wallsOf(Opening o)
{
    return o == Opening::Narrow ? std::pair{10, 20} : std::pair{0, 30};
}

// Pixel `along` the side `side` (0 N, 1 E, 2 S, 3 W) of a 31 x 31 image, `depth` rows inside.
QRgb sidePixel(const QImage& image, int side, int along, int depth)
{
    switch (side) {
    case 0:
        return image.pixel(along, depth);
    case 1:
        return image.pixel(30 - depth, along);
    case 2:
        return image.pixel(along, 30 - depth);
    default:
        return image.pixel(depth, along);
    }
}

// Two tiles overlaid 30 pixels apart, the second below (or right of) the first.
QImage stampPair(int first, int second, bool sideBySide)
{
    const QImage& a = TileCatalogue::instance().image(qint16(first));
    const QImage& b = TileCatalogue::instance().image(qint16(second));
    QImage canvas(sideBySide ? 61 : 31, sideBySide ? 31 : 61, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    painter.drawImage(0, 0, a);
    painter.drawImage(sideBySide ? 30 : 0, sideBySide ? 0 : 30, b);
    return canvas;
}

} // namespace

// The generated art: it is what the generator draws, it keeps the colour rules, and corridor
// walls meet their neighbours.
class TestTileArt : public QObject
{
    Q_OBJECT

private slots:
    void everyTile_data();
    void committedFileIsWhatTheGeneratorDraws();
    void committedFileIsWhatTheGeneratorDraws_data() { everyTile_data(); }
    void coloursFollowTheContentTable();
    void coloursFollowTheContentTable_data() { everyTile_data(); }
    void openSidesLeaveWallsAtFixedPositions();
    void openSidesLeaveWallsAtFixedPositions_data() { everyTile_data(); }
    void slotHintsMatchOpenings_data();
    void slotHintsMatchOpenings();
    void neighboursShareTheirWalls_data();
    void neighboursShareTheirWalls();
    void noTwoImagesAreAlike();
};

void TestTileArt::everyTile_data()
{
    QTest::addColumn<int>("tile");
    for (int n = kFirstTile; n <= kLastTile; ++n)
        QTest::addRow("%03d", n) << n;
}

void TestTileArt::committedFileIsWhatTheGeneratorDraws()
{
    QFETCH(int, tile);
    const QImage drawn = tileart::renderTile(tile);
    QCOMPARE(drawn.size(), tileSize(qint16(tile)));
    const QString file = QStringLiteral(TESSELLON_SOURCE_DIR "/resources/tiles/%1.png")
                             .arg(tile, 3, 10, QLatin1Char('0'));
    const QImage committed = QImage(file).convertToFormat(QImage::Format_RGB32);
    QVERIFY2(!committed.isNull(), qPrintable(file));
    // Pixels, not bytes: PNG encoders differ. Regenerate with the tessellon_tiles_regenerate
    // target when this fails after a change to the art.
    QVERIFY2(committed == drawn, "committed PNG differs from the generator; regenerate");
    QVERIFY2(TileCatalogue::instance().image(qint16(tile)) == drawn,
             "compiled pixel data is stale; rebuild");
}

void TestTileArt::coloursFollowTheContentTable()
{
    QFETCH(int, tile);
    const QSet<QRgb> colours = coloursOf(tileart::renderTile(tile));
    QSet<QRgb> inks{kWhite};
    for (int i = 0; i <= int(tileart::Ink::Yellow); ++i)
        inks.insert(tileart::inkColour(tileart::Ink(i)) | 0xFF000000);
    QVERIFY(!inks.contains(kGrid));
    for (const QRgb c : colours) {
        QVERIFY2(c != kGrid, "grid colour in a tile");
        QVERIFY2(inks.contains(c), qPrintable(QStringLiteral("stray colour %1").arg(hex(c))));
    }
    const QRgb grey = tileart::inkColour(tileart::Ink::Grey) | 0xFF000000;
    const QSet<QRgb> neutral{kWhite, kBlack, grey};
    switch (kindOf(tile)) {
    case Kind::Blank:
        QCOMPARE(colours, QSet<QRgb>{kWhite});
        break;
    case Kind::BlackWhite:
        QCOMPARE(colours, (QSet<QRgb>{kWhite, kBlack}));
        break;
    case Kind::Grey:
        QCOMPARE(colours, (QSet<QRgb>{kWhite, grey}));
        break;
    case Kind::PartlyGrey:
        QCOMPARE(colours, neutral);
        break;
    case Kind::Marker:
        QVERIFY2(!(colours - neutral).isEmpty(), "a marker without colour");
        QVERIFY(colours.contains(kWhite));
        break;
    }
}

void TestTileArt::openSidesLeaveWallsAtFixedPositions()
{
    QFETCH(int, tile);
    const tileart::Sides sides = tileart::tileOpenings(tile);
    const QImage image = tileart::renderTile(tile);
    for (int side = 0; side < 4; ++side) {
        if (sides[side] == Opening::None) continue;
        QCOMPARE(image.size(), QSize(31, 31));
        const auto [low, high] = wallsOf(sides[side]);
        QVERIFY2(sidePixel(image, side, low, 0) == kBlack,
                 qPrintable(QStringLiteral("side %1: no wall at %2").arg(side).arg(low)));
        QVERIFY2(sidePixel(image, side, high, 0) == kBlack,
                 qPrintable(QStringLiteral("side %1: no wall at %2").arg(side).arg(high)));
        for (int along = low + 1; along < high; ++along)
            QVERIFY2(
                sidePixel(image, side, along, 0) == kWhite,
                qPrintable(QStringLiteral("side %1: opening blocked at %2").arg(side).arg(along)));
    }
}

void TestTileArt::slotHintsMatchOpenings_data()
{
    QTest::addColumn<int>("tile");
    QTest::addColumn<QString>("open"); // sides that must be open, in N E S W order
    QTest::newRow("wide straight north-south") << 1 << "N.S.";
    QTest::newRow("wide straight east-west") << 2 << ".E.W";
    QTest::newRow("wide crossing") << 3 << "NESW";
    QTest::newRow("wide corner north-west") << 4 << "N..W";
    QTest::newRow("wide T to the north") << 10 << "NE.W";
    QTest::newRow("dead end to the north") << 32 << "N...";
    QTest::newRow("narrow straight north-south") << 84 << "N.S.";
    QTest::newRow("narrow straight east-west") << 85 << ".E.W";
    QTest::newRow("narrow crossing") << 86 << "NESW";
    QTest::newRow("narrow corner north-east") << 90 << "NE..";
    QTest::newRow("narrow T to the west") << 69 << "N.SW";
    QTest::newRow("room open to the north") << 57 << "N...";
    QTest::newRow("cave bend north-west") << 107 << "N..W";
    QTest::newRow("cave crossing") << 118 << "NESW";
}

void TestTileArt::slotHintsMatchOpenings()
{
    QFETCH(int, tile);
    QFETCH(QString, open);
    const tileart::Sides sides = tileart::tileOpenings(tile);
    for (int side = 0; side < 4; ++side)
        QCOMPARE(sides[side] != Opening::None, open[side] != QLatin1Char('.'));
}

void TestTileArt::neighboursShareTheirWalls_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addColumn<bool>("sideBySide");
    QTest::addColumn<int>("low"); // the two walls running across the seam
    QTest::addColumn<int>("high");
    QTest::newRow("narrow straight above narrow straight") << 84 << 84 << false << 10 << 20;
    QTest::newRow("narrow straight beside narrow straight") << 85 << 85 << true << 10 << 20;
    QTest::newRow("wide straight above wide straight") << 1 << 1 << false << 0 << 30;
    QTest::newRow("wide straight beside wide straight") << 2 << 2 << true << 0 << 30;
    QTest::newRow("narrow corner beside narrow straight") << 90 << 85 << true << 10 << 20;
    QTest::newRow("narrow straight above narrow corner") << 84 << 90 << false << 10 << 20;
    QTest::newRow("narrow T below narrow straight") << 84 << 68 << false << 10 << 20;
    QTest::newRow("narrow crossing beside narrow straight") << 86 << 85 << true << 10 << 20;
    QTest::newRow("rounded corner below narrow straight") << 84 << 94 << false << 10 << 20;
    QTest::newRow("curved corner below narrow straight") << 84 << 78 << false << 10 << 20;
    QTest::newRow("narrow stairs into narrow corridor") << 122 << 84 << false << 10 << 20;
    QTest::newRow("wide corner below wide straight") << 1 << 4 << false << 30 << 30;
    QTest::newRow("wide T beside wide straight") << 2 << 8 << true << 0 << 0;
    QTest::newRow("width change into narrow corridor") << 47 << 84 << false << 10 << 20;
    QTest::newRow("S-bend between narrow straights") << 98 << 84 << false << 10 << 20;
}

void TestTileArt::neighboursShareTheirWalls()
{
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(bool, sideBySide);
    QFETCH(int, low);
    QFETCH(int, high);
    const QImage canvas = stampPair(first, second, sideBySide);
    // Each wall must run unbroken from three pixels before the seam to three pixels after.
    for (const int wall : {low, high}) {
        for (int d = -3; d <= 3; ++d) {
            const QPoint p = sideBySide ? QPoint(30 + d, wall) : QPoint(wall, 30 + d);
            QVERIFY2(canvas.pixel(p) == kBlack,
                     qPrintable(QStringLiteral("gap at %1,%2").arg(p.x()).arg(p.y())));
        }
    }
}

void TestTileArt::noTwoImagesAreAlike()
{
    // The 11 x 11 eraser and the blank 1 x 1 square are both plain white by definition.
    const QSet<std::pair<int, int>> alike{{42, 143}};
    QHash<QByteArray, int> seen;
    for (int n = kFirstTile; n <= kLastTile; ++n) {
        const QImage image = tileart::renderTile(n);
        QByteArray key(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
        key += QByteArray::number(image.width()) + 'x' + QByteArray::number(image.height());
        const int first = seen.value(key);
        QVERIFY2(first == 0 || alike.contains({first, n}),
                 qPrintable(QStringLiteral("%1 looks like %2").arg(n).arg(first)));
        if (first == 0) seen.insert(key, n);
    }
}

QTEST_GUILESS_MAIN(TestTileArt)
#include "tst_tileart.moc"

#include "packedtile.h"
#include "tilecatalogue.h"
#include "tilesizes.h"

#include <QColorSpace>
#include <QTest>

using namespace tessellon;

// The catalogue as the program sees it: images compiled into the palette library.
class TestTileCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void sizeTable_data();
    void sizeTable();
    void everyImageLoadsInTableSize();
    void iconIsTheCommittedPicture();
    void outOfRangeNamesNoImage_data();
    void outOfRangeNamesNoImage();
};

void TestTileCatalogue::sizeTable_data()
{
    QTest::addColumn<int>("tile");
    QTest::addColumn<QSize>("size");
    // Ends of every run and their neighbours, so a run one number too long or short shows.
    const struct
    {
        int tile, w, h;
    } rows[] = {
        {1, 31, 31},   {41, 31, 31},   {42, 11, 11},   {43, 31, 31},  {44, 91, 91},  {45, 31, 31},
        {48, 31, 31},  {49, 91, 91},   {56, 91, 91},   {57, 31, 31},  {142, 31, 31}, {143, 11, 11},
        {155, 11, 11}, {156, 31, 31},  {161, 31, 31},  {162, 11, 11}, {179, 11, 11}, {180, 31, 31},
        {243, 31, 31}, {244, 91, 91},  {245, 91, 91},  {246, 61, 61}, {247, 61, 91}, {248, 91, 61},
        {249, 31, 31}, {256, 31, 31},  {257, 11, 11},  {262, 11, 11}, {263, 31, 31}, {264, 31, 31},
        {265, 11, 11}, {266, 11, 11},  {267, 31, 31},  {268, 31, 31}, {269, 11, 11}, {271, 11, 11},
        {272, 31, 31}, {275, 31, 31},  {276, 11, 12},  {277, 11, 12}, {278, 11, 11}, {282, 11, 11},
        {283, 61, 61}, {290, 61, 61},  {291, 91, 91},  {292, 91, 61}, {293, 61, 91}, {294, 91, 61},
        {295, 61, 91}, {296, 91, 121}, {297, 121, 91}, {298, 31, 31}, {301, 31, 31}, {302, 31, 11},
        {303, 31, 11}, {304, 31, 31},  {313, 31, 31},  {314, 11, 11}, {318, 11, 11}, {319, 61, 61},
        {320, 31, 31}, {335, 31, 31},
    };
    for (const auto& r : rows)
        QTest::addRow("%d", r.tile) << r.tile << QSize(r.w, r.h);
}

void TestTileCatalogue::sizeTable()
{
    QFETCH(int, tile);
    QFETCH(QSize, size);
    QCOMPARE(tileSize(qint16(tile)), size);
    static_assert(tilePixelSize(296).height() == 121, "the lookup is usable at compile time");
}

void TestTileCatalogue::everyImageLoadsInTableSize()
{
    // Also proves that the resources of the static library reach a program that links it.
    const TileCatalogue& catalogue = TileCatalogue::instance();
    for (qint16 n = 1; n <= kTileCount; ++n) {
        QVERIFY2(catalogue.has(n), qPrintable(QStringLiteral("image %1 missing").arg(n)));
        const QImage& image = catalogue.image(n);
        QCOMPARE(image.format(), QImage::Format_RGB32);
        QCOMPARE(image.size(), tileSize(n));
        // Every size but the two 11 x 12 markers is a whole number of 10-pixel units plus one.
        if (n != 276 && n != 277) {
            QCOMPARE(image.width() % 10, 1);
            QCOMPARE(image.height() % 10, 1);
        }
    }
}

void TestTileCatalogue::iconIsTheCommittedPicture()
{
    QImage committed = QImage(QStringLiteral(TESSELLON_SOURCE_DIR "/resources/tessellon.png"))
                           .convertToFormat(QImage::Format_RGB32);
    QVERIFY(!committed.isNull());
    committed.setColorSpace(QColorSpace()); // the pixels, not the file's colour space tag
    QCOMPARE(unpackPicture(packedIcon()), committed);
}

void TestTileCatalogue::outOfRangeNamesNoImage_data()
{
    QTest::addColumn<int>("tile");
    QTest::newRow("zero") << 0;
    QTest::newRow("negative") << -1;
    QTest::newRow("one past the end") << 336;
    QTest::newRow("largest 16-bit") << 32767;
    QTest::newRow("smallest 16-bit") << -32768;
}

void TestTileCatalogue::outOfRangeNamesNoImage()
{
    QFETCH(int, tile);
    const TileCatalogue& catalogue = TileCatalogue::instance();
    QVERIFY(!catalogue.has(qint16(tile)));
    QVERIFY(catalogue.image(qint16(tile)).isNull());
    QVERIFY(tileSize(qint16(tile)).isEmpty());
}

QTEST_GUILESS_MAIN(TestTileCatalogue)
#include "tst_tilecatalogue.moc"

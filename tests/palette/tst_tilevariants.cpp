#include "tilevariants.h"

#include <QMap>
#include <QSet>
#include <QStringList>
#include <QTest>

using tessellon::TileForHotSpot;

namespace {

// The variant table as "hot-spots:tiles" runs, typed separately from the library's table.
constexpr const char* kRuns =
    "1:1 2:3 3:3 4:2 5:5 6:4 7-8:6-7 9:10 10:9 11:11 12:8 13:27 14:26 15-16:28-29 17:23 "
    "18:22 19-20:20-21 21:19 22:18 23-24:16-17 25:14 26:13 27:15 28:12 29:32 30:31 31:33 "
    "32:30 33-36:130-133 37:34 38:37 39-40:35-36 41:38 42:41 43-44:39-40 45:47 46:46 "
    "47:48 48:45 49-52:162-165 53-65:49-61 66:142 67:63 68:62 69-72:64-67 73-76:184-187 "
    "77-93:68-84 94:86 95:86 96:85 97:87 98:309 99-116:88-105 117-124:122-129 "
    "125-140:106-121 141-144:304-307 145-148:156-159 149-152:138-141 153-156:134-137 "
    "157-158:160-161 159:161 160:160 161-174:166-179 175-182:144-151 183-186:180-183 "
    "187:188 188:190 189:189 190-194:191-195 195-196:200-201 197:203 198:202 199:204 "
    "200-201:206-207 202:205 203-240:208-245 241-242:247-248 243-246:292-295 "
    "247-250:253-256 251-254:249-252 255-258:272-275 259:266 260:271 261:258 262:264 "
    "263:278 264-265:280-281 266:263 267:282 268:279 269:265 270:269 271:303 272:302 "
    "273:270 274:257 275:262 276:261 277:260 278:259 279-287:283-291 288:246 "
    "289-294:296-301 295-296:267-268 297:308 298:319 299:315 300:314 301-302:276-277 "
    "303:318 304:317 305:316 306:308 307-310:310-313 311-312:24-25 313:25 314:24 "
    "315-322:320-327 323-326:94-97 327-330:332-335 331-334:328-331 ";

struct Run
{
    int first, last, firstTile, lastTile;
};

QPair<int, int> parseRange(const QString& text)
{
    const QStringList ends = text.split('-');
    return {ends.first().toInt(), ends.last().toInt()};
}

QList<Run> runs()
{
    QList<Run> out;
    for (const QString& token : QString::fromLatin1(kRuns).split(' ', Qt::SkipEmptyParts)) {
        const QStringList halves = token.split(':');
        const auto [a, b] = parseRange(halves.at(0));
        const auto [c, d] = parseRange(halves.at(1));
        out.append({a, b, c, d});
    }
    return out;
}

/// Image number -> the hot-spots that give it, over the whole table.
QMap<int, QList<int>> hotSpotsByImage()
{
    QMap<int, QList<int>> out;
    for (int h = 1; h <= 334; ++h)
        out[TileForHotSpot(static_cast<qint16>(h))].append(h);
    return out;
}

} // namespace

class TestTileVariants : public QObject
{
    Q_OBJECT

private slots:
    void runsCoverTheTable();
    void run_data();
    void run();
    void outside_data();
    void outside();
    void imagesGivenTwice();
    void imagesGivenByNone();
};

void TestTileVariants::runsCoverTheTable()
{
    int next = 1;
    for (const Run& r : runs()) {
        QCOMPARE(r.first, next);
        QCOMPARE(r.lastTile - r.firstTile, r.last - r.first);
        next = r.last + 1;
    }
    QCOMPARE(next, 335);
}

void TestTileVariants::run_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("firstTile");
    for (const Run& r : runs()) {
        const QByteArray name = QByteArray::number(r.first) + '-' + QByteArray::number(r.last);
        QTest::newRow(name.constData()) << r.first << r.last << r.firstTile;
    }
}

// Both ends of every run and everything between them.
void TestTileVariants::run()
{
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(int, firstTile);
    for (int h = first; h <= last; ++h)
        QCOMPARE(TileForHotSpot(static_cast<qint16>(h)),
                 static_cast<qint16>(firstTile + h - first));
}

void TestTileVariants::outside_data()
{
    QTest::addColumn<int>("hotSpot");
    QTest::newRow("0") << 0;
    QTest::newRow("-1") << -1;
    QTest::newRow("335") << 335;
    QTest::newRow("336") << 336;
    QTest::newRow("min") << -32768;
    QTest::newRow("max") << 32767;
}

void TestTileVariants::outside()
{
    QFETCH(int, hotSpot);
    QCOMPARE(TileForHotSpot(static_cast<qint16>(hotSpot)), qint16(0));
}

void TestTileVariants::imagesGivenTwice()
{
    const QMap<int, QList<int>> expected = {
        {3, {2, 3}},       {24, {311, 314}},  {25, {312, 313}},  {86, {94, 95}},
        {94, {105, 323}},  {95, {106, 324}},  {96, {107, 325}},  {97, {108, 326}},
        {160, {157, 160}}, {161, {158, 159}}, {308, {297, 306}},
    };
    QMap<int, QList<int>> twice;
    const QMap<int, QList<int>> byImage = hotSpotsByImage();
    for (auto it = byImage.cbegin(); it != byImage.cend(); ++it) {
        QVERIFY2(it.value().size() <= 2, qPrintable(QString::number(it.key())));
        if (it.value().size() == 2) twice.insert(it.key(), it.value());
    }
    QCOMPARE(twice, expected);
}

void TestTileVariants::imagesGivenByNone()
{
    const QMap<int, QList<int>> byImage = hotSpotsByImage();
    QSet<int> missing;
    for (int image = 1; image <= 335; ++image) {
        if (!byImage.contains(image)) missing.insert(image);
    }
    const QSet<int> expected = {42, 43, 44, 143, 152, 153, 154, 155, 196, 197, 198, 199};
    QCOMPARE(missing, expected);
    QCOMPARE(byImage.firstKey(), 1); // nothing maps to 0 or below
    QCOMPARE(byImage.lastKey(), 335);
}

QTEST_APPLESS_MAIN(TestTileVariants)
#include "tst_tilevariants.moc"

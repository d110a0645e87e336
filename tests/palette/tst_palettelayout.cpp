#include "palettelayout.h"
#include "tilevariants.h"

#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>

using namespace tessellon;

namespace {

/// One group as laid out on its page: hot-spots tagged `tag`, placed around `anchor`.
/// `spots` lists "place hotSpot>tile" pairs; a place is a ring slot name or "dx,dy,WxH".
struct Group
{
    const char* name;
    qint16 frame;
    qint16 tag, anchor;
    int x, y, size, ownTile;
    const char* spots;
};

const Group kGroups[] = {
    {"27", kPageStandard, 27, 27, 24, 32, 33, 98, "N 109>98 W 110>99 E 111>100 S 112>101"},
    {"28", kPageStandard, 28, 28, 88, 32, 33, 102, "N 113>102 W 114>103 E 115>104 S 116>105"},
    {"7", kPageStandard, 7, 7, 168, 32, 33, 200,
     "NW 204>209 N 195>200 NE 203>208 W 197>203 E 196>201 SW 206>211 S 198>202 SE 205>210"},
    {"37", kPageStandard, 37, 37, 232, 32, 33, 287,
     "NW 208>213 N 283>287 NE 207>212 W 284>288 E 285>289 SW 210>215 S 286>290 SE 209>214"},
    {"15", kPageStandard, 15, 15, 312, 32, 33, 57, "N 61>57 W 62>58 E 63>59 S 64>60"},
    {"18", kPageStandard, 18, 18, 376, 32, 33, 216,
     "NW 216>221 N 211>216 NE 215>220 W 212>217 E 213>218 SW 218>223 S 214>219 SE 217>222"},
    {"21", kPageStandard, 21, 21, 24, 96, 33, 76,
     "NW 324>95 N1 85>76 N2 89>80 NE 323>94 W1 86>77 W2 90>81 E1 87>78 E2 91>82 SW 326>97 S1 88>79 "
     "S2 92>83 SE 325>96"},
    {"22", kPageStandard, 22, 22, 88, 96, 33, 324,
     "NW 316>321 N 319>324 NE 315>320 W 320>325 E 321>326 SW 318>323 S 322>327 SE 317>322"},
    {"29", kPageStandard, 29, 29, 168, 96, 33, 122,
     "NW 150>139 N 117>122 NE 149>138 W 118>123 E 119>124 SW 152>141 S 120>125 SE 151>140"},
    {"38", kPageStandard, 38, 38, 232, 96, 33, 283,
     "NW 154>135 N 279>283 NE 153>134 W 280>284 E 281>285 SW 156>137 S 282>286 SE 155>136"},
    {"16", kPageStandard, 16, 16, 312, 96, 33, 61,
     "NW 74>185 N 65>61 NE 73>184 W 66>142 E 67>63 SW 76>187 S 68>62 SE 75>186"},
    {"17", kPageStandard, 17, 17, 376, 96, 33, 64, "N 69>64 W 70>65 E 71>66 S 72>67"},
    {"11", kPageLarge, 11, 11, 24, 32, 33, 38, "N 41>38 W 42>41 E 43>39 S 44>40"},
    {"8", kPageLarge, 8, 8, 88, 32, 33, 32, "N 29>32 W 30>31 E 31>33 S 32>30"},
    {"46", kPageLarge, 46, 46, 168, 32, 33, 24, "N 311>24 W 312>25 E 313>25 S 314>24"},
    {"4", kPageLarge, 4, 4, 232, 32, 33, 27, "N 13>27 W 14>26 E 15>28 S 16>29"},
    {"25", kPageLarge, 25, 25, 312, 32, 33, 236, "N 231>236 W 232>237 E 233>238 S 234>239"},
    {"47", kPageLarge, 47, 47, 376, 32, 33, 240, "N 235>240 W 236>241 E 237>242 S 238>243"},
    {"3", kPageLarge, 3, 3, 24, 96, 33, 10,
     "NW 6>4 N 9>10 NE 5>5 W 10>9 E 11>11 SW 8>7 S 12>8 SE 7>6"},
    {"1", kPageLarge, 1, 1, 88, 96, 33, 1,
     "NW 18>22 N 1>1 NE 17>23 W 2>3 E 3>3 SW 20>21 S 4>2 SE 19>20"},
    {"12", kPageLarge, 12, 12, 168, 96, 33, 47, "N 45>47 W 46>46 E 47>48 S 48>45"},
    {"32", kPageLarge, 32, 32, 232, 96, 33, 14, "N 25>14 W 26>13 E 27>15 S 28>12"},
    {"6", kPageLarge, 6, 6, 312, 96, 33, 19, "N 21>19 W 22>18 E 23>16 S 24>17"},
    {"6 at 10", kPageLarge, 6, 10, 376, 96, 33, 34, "NW 202>205 NE 199>204 SW 201>207 SE 200>206"},
    {"10", kPageLarge, 10, 10, 376, 96, 33, 34, "N 37>34 W 38>37 E 39>35 S 40>36"},
    {"14", kPageRooms, 14, 14, 24, 32, 93, 50,
     "-16,-16,17x17 287>291 92,-16,17x17 288>246 -16,92,17x17 289>296 92,92,17x17 290>297 "
     "0,-16,24x17 53>49 23,-16,24x17 54>50 46,-16,24x17 55>51 69,-16,24x17 56>52 "
     "0,92,24x17 57>53 23,92,24x17 58>54 46,92,24x17 59>55 69,92,24x17 60>56 "
     "-16,0,16x24 239>244 -16,24,16x24 240>245 -16,48,16x24 241>247 -16,72,16x24 242>248 "
     "93,0,16x24 243>292 93,24,16x24 244>293 93,48,16x24 245>294 93,72,16x24 246>295"},
    {"30", kPageRooms, 30, 30, 168, 32, 33, 126,
     "N1 121>126 N2 291>298 W1 122>127 W2 292>299 E1 123>128 E2 293>300 S1 124>129 S2 294>301"},
    {"2", kPageRooms, 2, 2, 232, 32, 33, 130,
     "NW 142>305 N 33>130 NE 141>304 W 34>131 E 35>132 SW 144>307 S 36>133 SE 143>306"},
    {"33", kPageRooms, 33, 33, 312, 32, 33, 267,
     "NW 295>267 N1 296>268 N2 297>308 NE 298>319 W1 299>315 W2 300>314 E1 301>276 E2 302>277 SW "
     "303>318 S1 304>317 S2 305>316 SE 306>308"},
    {"45", kPageRooms, 45, 45, 376, 32, 33, 257,
     "NW 278>259 N1 277>260 N2 276>261 NE 275>262 W1 274>257 W2 273>270 E1 272>302 E2 271>303 SW "
     "270>269 S1 269>265 S2 268>279 SE 267>282"},
    {"34", kPageRooms, 34, 34, 168, 96, 33, 114,
     "NW 138>119 N 133>114 NE 137>118 W 134>115 E 135>116 SW 140>121 S 136>117 SE 139>120"},
    {"31", kPageRooms, 31, 31, 232, 96, 33, 110,
     "NW 126>107 N 129>110 NE 125>106 W 130>111 E 131>112 SW 128>109 S 132>113 SE 127>108"},
    {"9", kPageRooms, 9, 9, 312, 96, 33, 253,
     "NW 252>250 N 247>253 NE 251>249 W 248>254 E 249>255 SW 254>252 S 250>256 SE 253>251"},
    {"35", kPageRooms, 35, 35, 376, 96, 33, 263,
     "NW 255>272 N1 256>273 N2 257>274 NE 258>275 W1 259>266 W2 260>271 E1 261>258 E2 262>264 SW "
     "263>278 S1 264>280 S2 265>281 SE 266>263"},
    {"44", kLeftPanel, 44, 44, 24, 32, 33, 192, "N 191>192 W 192>193 E 193>194 S 194>195"},
    {"5", kLeftPanel, 5, 5, 88, 32, 33, 224,
     "NW 228>233 N1 219>224 N2 223>228 NE 227>232 W1 220>225 W2 224>229 E1 221>226 E2 225>230 SW "
     "230>235 S1 222>227 S2 226>231 SE 229>234"},
    {"26", kLeftPanel, 26, 26, 168, 32, 33, 188,
     "NW 332>329 N 187>188 NE 331>328 W 189>189 E 188>190 SW 334>331 S 190>191 SE 333>330"},
    {"36", kLeftPanel, 36, 36, 232, 32, 33, 156,
     "NW 157>160 N1 145>156 N2 327>332 NE 158>161 W1 146>157 W2 328>333 E1 147>158 E2 329>334 SW "
     "159>161 S1 148>159 S2 330>335 SE 160>160"},
    {"24", kLeftPanel, 24, 24, 24, 96, 33, 87,
     "NW 308>311 N 97>87 NE 307>310 W 98>309 E 99>88 SW 310>313 S 100>89 SE 309>312"},
    {"20", kLeftPanel, 20, 20, 88, 96, 33, 72,
     "NW 106>95 N 81>72 NE 105>94 W 82>73 E 83>74 SW 108>97 S 84>75 SE 107>96"},
    {"19", kLeftPanel, 19, 19, 168, 96, 33, 68,
     "NW 102>91 N 77>68 NE 101>90 W 78>69 E 79>70 SW 104>93 S 80>71 SE 103>92"},
    {"23", kLeftPanel, 23, 23, 232, 96, 33, 84,
     "NW 183>180 N 93>84 NE 184>181 W 94>86 E 95>86 SW 185>182 S 96>85 SE 186>183"},
    {"40", kRightPanel, 40, 40, 8, 16, 11, 170,
     "0,16,13x13 165>170 0,28,13x13 166>171 0,40,13x13 167>172 0,52,13x13 168>173"},
    {"41", kRightPanel, 41, 41, 24, 16, 11, 174,
     "0,16,13x13 169>174 0,28,13x13 170>175 0,40,13x13 171>176 0,52,13x13 172>177"},
    {"42", kRightPanel, 42, 42, 40, 16, 11, 178, "0,16,13x13 173>178 0,28,13x13 174>179"},
    {"43", kRightPanel, 43, 43, 83, 51, 11, 143,
     "-19,-19,17x17 175>144 -3,-19,17x17 176>145 13,-19,17x17 177>146 -19,-3,17x17 178>147 "
     "13,-3,17x17 179>148 -19,13,17x17 180>149 -3,13,17x17 181>150 13,13,17x17 182>151"},
};

// Hidden spares: never shown, placed at the layout's discretion.
const QList<int> kHiddenPanels = {0, 13, 39};
const QList<int> kHiddenHotSpots = {0, 49, 50, 51, 52, 161, 162, 163, 164};

// Ring slots around a 33 x 33 panel, offsets from its top-left.
const QHash<QString, QRect> kSlots = {
    {"NW", {-16, -16, 17, 17}}, {"NE", {32, -16, 17, 17}}, {"SW", {-16, 32, 17, 17}},
    {"SE", {32, 32, 17, 17}},   {"N", {0, -16, 33, 17}},   {"S", {0, 32, 33, 17}},
    {"W", {-16, 0, 17, 33}},    {"E", {32, 0, 17, 33}},    {"N1", {0, -16, 17, 17}},
    {"N2", {16, -16, 17, 17}},  {"W1", {-16, 0, 17, 17}},  {"W2", {-16, 16, 17, 17}},
    {"E1", {32, 0, 17, 17}},    {"E2", {32, 16, 17, 17}},  {"S1", {0, 32, 17, 17}},
    {"S2", {16, 32, 17, 17}},
};

struct Spot
{
    int hotSpot, tile;
    QRect offset; // relative to the anchor panel's top-left
};

QRect parsePlace(const QString& place)
{
    if (kSlots.contains(place)) return kSlots.value(place);
    static const QRegularExpression re(R"(^(-?\d+),(-?\d+),(\d+)x(\d+)$)");
    const QRegularExpressionMatch m = re.match(place);
    if (!m.hasMatch()) return {};
    return {m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
            m.captured(4).toInt()};
}

QList<Spot> parseSpots(const char* text)
{
    QList<Spot> out;
    const QStringList tokens = QString::fromLatin1(text).split(' ', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i + 1 < tokens.size(); i += 2) {
        const QStringList numbers = tokens.at(i + 1).split('>');
        out.append({numbers.at(0).toInt(), numbers.at(1).toInt(), parsePlace(tokens.at(i))});
    }
    return out;
}

QRect frameRect(qint16 frame)
{
    for (const FrameSpec& f : paletteFrames()) {
        if (f.frame == frame) return {0, 0, f.w, f.h};
    }
    return {};
}

/// Overlap as the thinner side of the intersection: 1 means the two share one edge line.
int overlap(const QRect& a, const QRect& b)
{
    const QRect both = a.intersected(b);
    return both.isEmpty() ? 0 : std::min(both.width(), both.height());
}

} // namespace

class TestPaletteLayout : public QObject
{
    Q_OBJECT

private slots:
    void frames_data();
    void frames();
    void separators();
    void group_data();
    void group();
    void everyNumberOnce();
    void hiddenFrame();
    void ownTileIsAVariant();
    void insideFrames();
    void overlapsAtMostOnePixel();
    void outOfRange();
};

void TestPaletteLayout::frames_data()
{
    // Window places in twips, 15 to the pixel.
    QTest::addColumn<int>("frame");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<bool>("shown");
    QTest::newRow("Standard") << 0 << QRect(4440, 240, 6495, 2295) << true;
    QTest::newRow("Large") << 1 << QRect(6480, 6120, 6495, 2295) << false;
    QTest::newRow("Rooms") << 2 << QRect(0, 3840, 6495, 2295) << false;
    QTest::newRow("Key Bindings") << 3 << QRect(0, 6120, 6495, 2295) << false;
    QTest::newRow("right") << 9 << QRect(10980, 1080, 2535, 1455) << true;
    QTest::newRow("left") << 10 << QRect(60, 240, 4335, 2295) << true;
    QTest::newRow("misc") << -1 << QRect(6480, 3840, 5655, 2295) << false;
}

void TestPaletteLayout::frames()
{
    QFETCH(int, frame);
    QFETCH(QRect, twips);
    QFETCH(bool, shown);
    const auto all = paletteFrames();
    QCOMPARE(all.size(), std::size_t(7));
    const auto it =
        std::find_if(all.begin(), all.end(), [&](const FrameSpec& f) { return f.frame == frame; });
    QVERIFY(it != all.end());
    QCOMPARE(QRect(it->x, it->y, it->w, it->h),
             QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
    QCOMPARE(it->shownAtStart, shown);
}

void TestPaletteLayout::separators()
{
    // Twips: x = 2160 and 4320 from y = 240 to 2160; the left panel only at 2160.
    QList<QList<int>> expected;
    for (int frame : {0, 1, 2})
        for (int x : {2160, 4320})
            expected.append({frame, x / 15, 240 / 15, 2160 / 15});
    expected.append({10, 2160 / 15, 240 / 15, 2160 / 15});
    QList<QList<int>> actual;
    for (const SeparatorSpec& s : paletteSeparators())
        actual.append({s.frame, s.x, s.y1, s.y2});
    std::sort(expected.begin(), expected.end());
    std::sort(actual.begin(), actual.end());
    QCOMPARE(actual, expected);
}

void TestPaletteLayout::group_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < int(std::size(kGroups)); ++i)
        QTest::newRow(kGroups[i].name) << i;
}

void TestPaletteLayout::group()
{
    QFETCH(int, index);
    const Group& g = kGroups[index];
    const BasePanelSpec& panel = basePanels()[std::size_t(g.anchor)];
    QCOMPARE(panel.frame, g.frame);
    QCOMPARE(basePanelRect(g.anchor), QRect(g.x, g.y, g.size, g.size));
    QCOMPARE(panel.border, g.frame != kRightPanel);
    QCOMPARE(int(panel.ownTile), g.ownTile);
    const QList<Spot> spots = parseSpots(g.spots);
    QVERIFY(!spots.isEmpty());
    for (const Spot& s : spots) {
        QVERIFY2(!s.offset.isNull(), g.spots); // a misspelt slot
        const auto h = qint16(s.hotSpot);
        const HotSpotSpec& info = hotSpots()[std::size_t(h)];
        const QByteArray what = "hot-spot " + QByteArray::number(h);
        QVERIFY2(info.panel == g.tag && info.anchor == g.anchor, what);
        QCOMPARE(hotSpotFrame(h), g.frame);
        QCOMPARE(hotSpotRect(h), s.offset.translated(g.x, g.y));
        QVERIFY2(info.border == (g.frame == kRightPanel), what);
        QVERIFY2(TileForHotSpot(h) == s.tile, what);
    }
}

void TestPaletteLayout::everyNumberOnce()
{
    QCOMPARE(hotSpots().size(), std::size_t(335));
    QCOMPARE(basePanels().size(), std::size_t(48));
    for (std::size_t i = 0; i < hotSpots().size(); ++i)
        QCOMPARE(std::size_t(hotSpots()[i].hotSpot), i);
    for (std::size_t i = 0; i < basePanels().size(); ++i)
        QCOMPARE(std::size_t(basePanels()[i].panel), i);

    // The groups above plus the hidden spares name each number exactly once.
    QMap<int, int> spotCount, panelCount;
    for (int h : kHiddenHotSpots)
        ++spotCount[h];
    for (int p : kHiddenPanels)
        ++panelCount[p];
    for (const Group& g : kGroups) {
        if (g.tag == g.anchor) ++panelCount[g.anchor];
        for (const Spot& s : parseSpots(g.spots))
            ++spotCount[s.hotSpot];
    }
    QCOMPARE(spotCount.size(), 335);
    QCOMPARE(spotCount.firstKey(), 0);
    QCOMPARE(spotCount.lastKey(), 334);
    QCOMPARE(panelCount.size(), 48);
    QCOMPARE(panelCount.lastKey(), 47);
    QVERIFY(std::all_of(spotCount.cbegin(), spotCount.cend(), [](int n) { return n == 1; }));
    QVERIFY(std::all_of(panelCount.cbegin(), panelCount.cend(), [](int n) { return n == 1; }));
}

void TestPaletteLayout::hiddenFrame()
{
    for (const BasePanelSpec& p : basePanels())
        QCOMPARE(p.frame == kMiscFrame, kHiddenPanels.contains(p.panel));
    for (const HotSpotSpec& s : hotSpots()) {
        const bool hidden = kHiddenHotSpots.contains(s.hotSpot);
        QCOMPARE(hotSpotFrame(s.hotSpot) == kMiscFrame, hidden);
        if (hidden) QVERIFY(kHiddenPanels.contains(s.panel));
    }
    QCOMPARE(basePanels()[0].ownTile, qint16(0));
    QCOMPARE(hotSpots()[0].panel, qint16(0));
}

void TestPaletteLayout::ownTileIsAVariant()
{
    for (const BasePanelSpec& p : basePanels()) {
        if (p.panel == 0 || p.panel == 43)
            continue; // no own tile; a blank square no hot-spot gives
        const auto spots = hotSpots();
        const bool found = std::any_of(spots.begin(), spots.end(), [&](const HotSpotSpec& s) {
            return s.panel == p.panel && TileForHotSpot(s.hotSpot) == p.ownTile;
        });
        QVERIFY2(found, qPrintable(QString::number(p.panel)));
    }
    QCOMPARE(basePanels()[43].ownTile, qint16(143));
    for (qint16 h = 1; h <= 334; ++h)
        QVERIFY(TileForHotSpot(h) != 143);
}

void TestPaletteLayout::insideFrames()
{
    for (const BasePanelSpec& p : basePanels()) {
        const QRect rect = basePanelRect(p.panel);
        QVERIFY2(!rect.isEmpty() && frameRect(p.frame).contains(rect),
                 qPrintable(QString::number(p.panel)));
    }
    for (const HotSpotSpec& s : hotSpots()) {
        const QRect rect = hotSpotRect(s.hotSpot);
        QVERIFY2(!rect.isEmpty() && frameRect(hotSpotFrame(s.hotSpot)).contains(rect),
                 qPrintable(QString::number(s.hotSpot)));
    }
}

void TestPaletteLayout::overlapsAtMostOnePixel()
{
    // Panel 14's side hot-spots step 24 px, so each column's last one runs 4 rows into a corner.
    const QMap<QPair<int, int>, int> allowed = {{{242, 289}, 4}, {{246, 290}, 4}};
    const auto spots = hotSpots();
    for (const HotSpotSpec& a : spots) {
        const QRect ra = hotSpotRect(a.hotSpot);
        for (const BasePanelSpec& p : basePanels()) {
            if (p.frame == hotSpotFrame(a.hotSpot))
                QVERIFY2(overlap(ra, basePanelRect(p.panel)) <= 1,
                         qPrintable(QString("%1 / panel %2").arg(a.hotSpot).arg(p.panel)));
        }
        for (const HotSpotSpec& b : spots.subspan(std::size_t(a.hotSpot) + 1)) {
            if (hotSpotFrame(a.hotSpot) != hotSpotFrame(b.hotSpot)) continue;
            const int limit = allowed.value({a.hotSpot, b.hotSpot}, 1);
            QVERIFY2(overlap(ra, hotSpotRect(b.hotSpot)) <= limit,
                     qPrintable(QString("%1 / %2").arg(a.hotSpot).arg(b.hotSpot)));
        }
    }
    for (const BasePanelSpec& p : basePanels()) {
        for (const BasePanelSpec& q : basePanels().subspan(std::size_t(p.panel) + 1)) {
            if (p.frame == q.frame)
                QVERIFY(!basePanelRect(p.panel).intersects(basePanelRect(q.panel)));
        }
    }
}

void TestPaletteLayout::outOfRange()
{
    QVERIFY(hotSpotRect(-1).isNull());
    QVERIFY(hotSpotRect(335).isNull());
    QVERIFY(basePanelRect(-1).isNull());
    QVERIFY(basePanelRect(48).isNull());
    QCOMPARE(hotSpotFrame(335), kMiscFrame);
}

QTEST_APPLESS_MAIN(TestPaletteLayout)
#include "tst_palettelayout.moc"

#include "palettelayout.h"

#include "tilevariants.h"

#include <array>
#include <cstddef>

namespace tessellon {

namespace {

constexpr std::size_t kPanelCount = 48;
constexpr std::size_t kHotSpotCount = kLastHotSpot + 1;

// Window pixels. Pages 1..3 are listed where the window is created; start-up stacks them
// on page 0's place. The misc frame is never shown and only parks the unused controls.
constexpr FrameSpec kFrames[] = {
    {kPageStandard, 296, 16, 433, 153, true}, {kPageLarge, 432, 408, 433, 153, false},
    {kPageRooms, 0, 256, 433, 153, false},    {kPageKeyBindings, 0, 408, 433, 153, false},
    {kRightPanel, 732, 72, 169, 97, true},    {kLeftPanel, 4, 16, 289, 153, true},
    {kMiscFrame, 432, 256, 377, 153, false},
};

constexpr SeparatorSpec kSeparators[] = {
    {kPageStandard, 144, 16, 144}, {kPageStandard, 288, 16, 144}, {kPageLarge, 144, 16, 144},
    {kPageLarge, 288, 16, 144},    {kPageRooms, 144, 16, 144},    {kPageRooms, 288, 16, 144},
    {kLeftPanel, 144, 16, 144},
};

// Base panels in layout order; basePanels() re-sorts them by number.
constexpr BasePanelSpec kPanelRows[] = {
    {27, kPageStandard, 24, 32, 33, 33, true, 98},
    {28, kPageStandard, 88, 32, 33, 33, true, 102},
    {7, kPageStandard, 168, 32, 33, 33, true, 200},
    {37, kPageStandard, 232, 32, 33, 33, true, 287},
    {15, kPageStandard, 312, 32, 33, 33, true, 57},
    {18, kPageStandard, 376, 32, 33, 33, true, 216},
    {21, kPageStandard, 24, 96, 33, 33, true, 76},
    {22, kPageStandard, 88, 96, 33, 33, true, 324},
    {29, kPageStandard, 168, 96, 33, 33, true, 122},
    {38, kPageStandard, 232, 96, 33, 33, true, 283},
    {16, kPageStandard, 312, 96, 33, 33, true, 61},
    {17, kPageStandard, 376, 96, 33, 33, true, 64},
    {11, kPageLarge, 24, 32, 33, 33, true, 38},
    {8, kPageLarge, 88, 32, 33, 33, true, 32},
    {46, kPageLarge, 168, 32, 33, 33, true, 24},
    {4, kPageLarge, 232, 32, 33, 33, true, 27},
    {25, kPageLarge, 312, 32, 33, 33, true, 236},
    {47, kPageLarge, 376, 32, 33, 33, true, 240},
    {3, kPageLarge, 24, 96, 33, 33, true, 10},
    {1, kPageLarge, 88, 96, 33, 33, true, 1},
    {12, kPageLarge, 168, 96, 33, 33, true, 47},
    {32, kPageLarge, 232, 96, 33, 33, true, 14},
    {6, kPageLarge, 312, 96, 33, 33, true, 19},
    {10, kPageLarge, 376, 96, 33, 33, true, 34},
    {14, kPageRooms, 24, 32, 93, 93, true, 50},
    {30, kPageRooms, 168, 32, 33, 33, true, 126},
    {2, kPageRooms, 232, 32, 33, 33, true, 130},
    {33, kPageRooms, 312, 32, 33, 33, true, 267},
    {45, kPageRooms, 376, 32, 33, 33, true, 257},
    {34, kPageRooms, 168, 96, 33, 33, true, 114},
    {31, kPageRooms, 232, 96, 33, 33, true, 110},
    {9, kPageRooms, 312, 96, 33, 33, true, 253},
    {35, kPageRooms, 376, 96, 33, 33, true, 263},
    {44, kLeftPanel, 24, 32, 33, 33, true, 192},
    {5, kLeftPanel, 88, 32, 33, 33, true, 224},
    {26, kLeftPanel, 168, 32, 33, 33, true, 188},
    {36, kLeftPanel, 232, 32, 33, 33, true, 156},
    {24, kLeftPanel, 24, 96, 33, 33, true, 87},
    {20, kLeftPanel, 88, 96, 33, 33, true, 72},
    {19, kLeftPanel, 168, 96, 33, 33, true, 68},
    {23, kLeftPanel, 232, 96, 33, 33, true, 84},
    // Right panel: 1 x 1 pieces, shown unframed at their own size.
    {40, kRightPanel, 8, 16, 11, 11, false, 170},
    {41, kRightPanel, 24, 16, 11, 11, false, 174},
    {42, kRightPanel, 40, 16, 11, 11, false, 178},
    {43, kRightPanel, 83, 51, 11, 11, false, 143},
    // Never shown. Panel 0 backs the inert hot-spot 0 and so has no tile of its own.
    {0, kMiscFrame, 24, 32, 33, 33, true, 0},
    {13, kMiscFrame, 88, 32, 33, 33, true, 162},
    {39, kMiscFrame, 168, 32, 33, 33, true, 166},
};

/// The places around a 33 x 33 base panel that a ring's hot-spots take.
enum class Slot : quint8 { NW, N, NE, W, E, SW, S, SE, N1, N2, W1, W2, E1, E2, S1, S2 };

struct SlotPlace
{
    qint16 dx, dy, w, h;
};

// Indexed by Slot. The ring is 17 px deep and overlaps the panel's 1 px border, so a
// highlighted hot-spot touches the panel it previews on.
constexpr SlotPlace kSlotPlaces[] = {
    {-16, -16, 17, 17}, {0, -16, 33, 17},  {32, -16, 17, 17}, {-16, 0, 17, 33},
    {32, 0, 17, 33},    {-16, 32, 17, 17}, {0, 32, 33, 17},   {32, 32, 17, 17},
    {0, -16, 17, 17},   {16, -16, 17, 17}, {-16, 0, 17, 17},  {-16, 16, 17, 17},
    {32, 0, 17, 17},    {32, 16, 17, 17},  {0, 32, 17, 17},   {16, 32, 17, 17},
};

struct SlotSpot
{
    Slot slot = Slot::NW;
    qint16 hotSpot = -1; // -1 ends a row that uses fewer than twelve slots
};

/// One group's ring: hot-spots tagged `panel`, placed around `anchor`.
struct RingRow
{
    qint16 panel;
    qint16 anchor;
    std::array<SlotSpot, 12> spots;
};

using enum Slot;

constexpr RingRow kRings[] = {
    {27, 27, {{{N, 109}, {W, 110}, {E, 111}, {S, 112}}}},
    {28, 28, {{{N, 113}, {W, 114}, {E, 115}, {S, 116}}}},
    {7, 7, {{{NW, 204}, {N, 195}, {NE, 203}, {W, 197}, {E, 196}, {SW, 206}, {S, 198}, {SE, 205}}}},
    {37,
     37,
     {{{NW, 208}, {N, 283}, {NE, 207}, {W, 284}, {E, 285}, {SW, 210}, {S, 286}, {SE, 209}}}},
    {15, 15, {{{N, 61}, {W, 62}, {E, 63}, {S, 64}}}},
    {18,
     18,
     {{{NW, 216}, {N, 211}, {NE, 215}, {W, 212}, {E, 213}, {SW, 218}, {S, 214}, {SE, 217}}}},
    {21,
     21,
     {{{NW, 324},
       {N1, 85},
       {N2, 89},
       {NE, 323},
       {W1, 86},
       {W2, 90},
       {E1, 87},
       {E2, 91},
       {SW, 326},
       {S1, 88},
       {S2, 92},
       {SE, 325}}}},
    {22,
     22,
     {{{NW, 316}, {N, 319}, {NE, 315}, {W, 320}, {E, 321}, {SW, 318}, {S, 322}, {SE, 317}}}},
    {29,
     29,
     {{{NW, 150}, {N, 117}, {NE, 149}, {W, 118}, {E, 119}, {SW, 152}, {S, 120}, {SE, 151}}}},
    {38,
     38,
     {{{NW, 154}, {N, 279}, {NE, 153}, {W, 280}, {E, 281}, {SW, 156}, {S, 282}, {SE, 155}}}},
    {16, 16, {{{NW, 74}, {N, 65}, {NE, 73}, {W, 66}, {E, 67}, {SW, 76}, {S, 68}, {SE, 75}}}},
    {17, 17, {{{N, 69}, {W, 70}, {E, 71}, {S, 72}}}},
    {11, 11, {{{N, 41}, {W, 42}, {E, 43}, {S, 44}}}},
    {8, 8, {{{N, 29}, {W, 30}, {E, 31}, {S, 32}}}},
    {46, 46, {{{N, 311}, {W, 312}, {E, 313}, {S, 314}}}},
    {4, 4, {{{N, 13}, {W, 14}, {E, 15}, {S, 16}}}},
    {25, 25, {{{N, 231}, {W, 232}, {E, 233}, {S, 234}}}},
    {47, 47, {{{N, 235}, {W, 236}, {E, 237}, {S, 238}}}},
    {3, 3, {{{NW, 6}, {N, 9}, {NE, 5}, {W, 10}, {E, 11}, {SW, 8}, {S, 12}, {SE, 7}}}},
    {1, 1, {{{NW, 18}, {N, 1}, {NE, 17}, {W, 2}, {E, 3}, {SW, 20}, {S, 4}, {SE, 19}}}},
    {12, 12, {{{N, 45}, {W, 46}, {E, 47}, {S, 48}}}},
    {32, 32, {{{N, 25}, {W, 26}, {E, 27}, {S, 28}}}},
    {6, 6, {{{N, 21}, {W, 22}, {E, 23}, {S, 24}}}},
    {6, 10, {{{NW, 202}, {NE, 199}, {SW, 201}, {SE, 200}}}},
    {10, 10, {{{N, 37}, {W, 38}, {E, 39}, {S, 40}}}},
    {30,
     30,
     {{{N1, 121}, {N2, 291}, {W1, 122}, {W2, 292}, {E1, 123}, {E2, 293}, {S1, 124}, {S2, 294}}}},
    {2, 2, {{{NW, 142}, {N, 33}, {NE, 141}, {W, 34}, {E, 35}, {SW, 144}, {S, 36}, {SE, 143}}}},
    {33,
     33,
     {{{NW, 295},
       {N1, 296},
       {N2, 297},
       {NE, 298},
       {W1, 299},
       {W2, 300},
       {E1, 301},
       {E2, 302},
       {SW, 303},
       {S1, 304},
       {S2, 305},
       {SE, 306}}}},
    {45,
     45,
     {{{NW, 278},
       {N1, 277},
       {N2, 276},
       {NE, 275},
       {W1, 274},
       {W2, 273},
       {E1, 272},
       {E2, 271},
       {SW, 270},
       {S1, 269},
       {S2, 268},
       {SE, 267}}}},
    {34,
     34,
     {{{NW, 138}, {N, 133}, {NE, 137}, {W, 134}, {E, 135}, {SW, 140}, {S, 136}, {SE, 139}}}},
    {31,
     31,
     {{{NW, 126}, {N, 129}, {NE, 125}, {W, 130}, {E, 131}, {SW, 128}, {S, 132}, {SE, 127}}}},
    {9, 9, {{{NW, 252}, {N, 247}, {NE, 251}, {W, 248}, {E, 249}, {SW, 254}, {S, 250}, {SE, 253}}}},
    {35,
     35,
     {{{NW, 255},
       {N1, 256},
       {N2, 257},
       {NE, 258},
       {W1, 259},
       {W2, 260},
       {E1, 261},
       {E2, 262},
       {SW, 263},
       {S1, 264},
       {S2, 265},
       {SE, 266}}}},
    {44, 44, {{{N, 191}, {W, 192}, {E, 193}, {S, 194}}}},
    {5,
     5,
     {{{NW, 228},
       {N1, 219},
       {N2, 223},
       {NE, 227},
       {W1, 220},
       {W2, 224},
       {E1, 221},
       {E2, 225},
       {SW, 230},
       {S1, 222},
       {S2, 226},
       {SE, 229}}}},
    {26,
     26,
     {{{NW, 332}, {N, 187}, {NE, 331}, {W, 189}, {E, 188}, {SW, 334}, {S, 190}, {SE, 333}}}},
    {36,
     36,
     {{{NW, 157},
       {N1, 145},
       {N2, 327},
       {NE, 158},
       {W1, 146},
       {W2, 328},
       {E1, 147},
       {E2, 329},
       {SW, 159},
       {S1, 148},
       {S2, 330},
       {SE, 160}}}},
    {24, 24, {{{NW, 308}, {N, 97}, {NE, 307}, {W, 98}, {E, 99}, {SW, 310}, {S, 100}, {SE, 309}}}},
    {20, 20, {{{NW, 106}, {N, 81}, {NE, 105}, {W, 82}, {E, 83}, {SW, 108}, {S, 84}, {SE, 107}}}},
    {19, 19, {{{NW, 102}, {N, 77}, {NE, 101}, {W, 78}, {E, 79}, {SW, 104}, {S, 80}, {SE, 103}}}},
    {23, 23, {{{NW, 183}, {N, 93}, {NE, 184}, {W, 94}, {E, 95}, {SW, 185}, {S, 96}, {SE, 186}}}},
    // Hidden frame: one hot-spot each for the spare controls, none of them reachable.
    {0, 0, {{{N, 0}}}},
    {13, 13, {{{N, 49}, {W, 50}, {E, 51}, {S, 52}}}},
    {39, 39, {{{N, 161}, {W, 162}, {E, 163}, {S, 164}}}},
};

// Panel 14 is 93 x 93, so its ring has its own geometry; the side columns step 24 px and run
// into the bottom corners, as the page was laid out.
constexpr HotSpotSpec kPanel14Ring[] = {
    {287, 14, 14, -16, -16, 17, 17, false}, {288, 14, 14, 92, -16, 17, 17, false},
    {289, 14, 14, -16, 92, 17, 17, false},  {290, 14, 14, 92, 92, 17, 17, false},
    {53, 14, 14, 0, -16, 24, 17, false},    {54, 14, 14, 23, -16, 24, 17, false},
    {55, 14, 14, 46, -16, 24, 17, false},   {56, 14, 14, 69, -16, 24, 17, false},
    {57, 14, 14, 0, 92, 24, 17, false},     {58, 14, 14, 23, 92, 24, 17, false},
    {59, 14, 14, 46, 92, 24, 17, false},    {60, 14, 14, 69, 92, 24, 17, false},
    {239, 14, 14, -16, 0, 16, 24, false},   {240, 14, 14, -16, 24, 16, 24, false},
    {241, 14, 14, -16, 48, 16, 24, false},  {242, 14, 14, -16, 72, 16, 24, false},
    {243, 14, 14, 93, 0, 16, 24, false},    {244, 14, 14, 93, 24, 16, 24, false},
    {245, 14, 14, 93, 48, 16, 24, false},   {246, 14, 14, 93, 72, 16, 24, false},
};

// Panel 43 is a blank 11 x 11 square; its ring stands clear of it.
constexpr HotSpotSpec kPanel43Ring[] = {
    {175, 43, 43, -19, -19, 17, 17, true}, {176, 43, 43, -3, -19, 17, 17, true},
    {177, 43, 43, 13, -19, 17, 17, true},  {178, 43, 43, -19, -3, 17, 17, true},
    {179, 43, 43, 13, -3, 17, 17, true},   {180, 43, 43, -19, 13, 17, 17, true},
    {181, 43, 43, -3, 13, 17, 17, true},   {182, 43, 43, 13, 13, 17, 17, true},
};

/// A column of `count` consecutive hot-spots below a right-panel piece.
struct ColumnRow
{
    qint16 panel;
    qint16 firstHotSpot;
    qint16 count;
};

constexpr ColumnRow kRightColumns[] = {{40, 165, 4}, {41, 169, 4}, {42, 173, 2}};
constexpr qint16 kColumnTop = 16;
constexpr qint16 kColumnStep = 12; // 13 px boxes sharing their 1 px edges
constexpr qint16 kColumnBox = 13;

constexpr std::array<BasePanelSpec, kPanelCount> buildPanels()
{
    std::array<BasePanelSpec, kPanelCount> out{};
    std::array<bool, kPanelCount> seen{};
    for (const BasePanelSpec& row : kPanelRows) {
        if (row.panel < 0 || static_cast<std::size_t>(row.panel) >= kPanelCount)
            throw "panel number out of range";
        if (seen[static_cast<std::size_t>(row.panel)]) throw "panel listed twice";
        seen[static_cast<std::size_t>(row.panel)] = true;
        out[static_cast<std::size_t>(row.panel)] = row;
    }
    for (bool s : seen) {
        if (!s) throw "panel missing";
    }
    return out;
}

constexpr std::array<BasePanelSpec, kPanelCount> kPanels = buildPanels();

/// Collects hot-spots by number and refuses duplicates and dangling panel numbers.
struct HotSpotSink
{
    std::array<HotSpotSpec, kHotSpotCount> spots{};
    std::array<bool, kHotSpotCount> seen{};

    constexpr void put(const HotSpotSpec& s)
    {
        if (s.hotSpot < 0 || static_cast<std::size_t>(s.hotSpot) >= kHotSpotCount)
            throw "hot-spot number out of range";
        if (s.panel < 0 || s.anchor < 0 || static_cast<std::size_t>(s.panel) >= kPanelCount ||
            static_cast<std::size_t>(s.anchor) >= kPanelCount)
            throw "hot-spot names no panel";
        if (seen[static_cast<std::size_t>(s.hotSpot)]) throw "hot-spot placed twice";
        seen[static_cast<std::size_t>(s.hotSpot)] = true;
        spots[static_cast<std::size_t>(s.hotSpot)] = s;
    }
};

constexpr void addRings(HotSpotSink& sink)
{
    for (const RingRow& row : kRings) {
        for (const SlotSpot& spot : row.spots) {
            if (spot.hotSpot < 0) break;
            const SlotPlace& p = kSlotPlaces[static_cast<std::size_t>(spot.slot)];
            sink.put({spot.hotSpot, row.panel, row.anchor, p.dx, p.dy, p.w, p.h, false});
        }
    }
}

constexpr void addColumns(HotSpotSink& sink)
{
    for (const ColumnRow& row : kRightColumns) {
        for (qint16 i = 0; i < row.count; ++i) {
            const auto dy = static_cast<qint16>(kColumnTop + i * kColumnStep);
            sink.put({static_cast<qint16>(row.firstHotSpot + i), row.panel, row.panel, 0, dy,
                      kColumnBox, kColumnBox, true});
        }
    }
}

constexpr std::array<HotSpotSpec, kHotSpotCount> buildHotSpots()
{
    HotSpotSink sink;
    addRings(sink);
    addColumns(sink);
    for (const HotSpotSpec& s : kPanel14Ring)
        sink.put(s);
    for (const HotSpotSpec& s : kPanel43Ring)
        sink.put(s);
    for (bool s : sink.seen) {
        if (!s) throw "hot-spot missing";
    }
    return sink.spots;
}

constexpr std::array<HotSpotSpec, kHotSpotCount> kHotSpots = buildHotSpots();

constexpr bool validHotSpot(qint16 hotSpot)
{
    return hotSpot >= 0 && static_cast<std::size_t>(hotSpot) < kHotSpotCount;
}

} // namespace

std::span<const FrameSpec> paletteFrames() noexcept
{
    return kFrames;
}

std::span<const BasePanelSpec> basePanels() noexcept
{
    return kPanels;
}

std::span<const HotSpotSpec> hotSpots() noexcept
{
    return kHotSpots;
}

std::span<const SeparatorSpec> paletteSeparators() noexcept
{
    return kSeparators;
}

qint16 hotSpotFrame(qint16 hotSpot) noexcept
{
    // An unknown number is put in the frame that is never shown.
    if (!validHotSpot(hotSpot)) return kMiscFrame;
    return kPanels[static_cast<std::size_t>(kHotSpots[static_cast<std::size_t>(hotSpot)].anchor)]
        .frame;
}

QRect hotSpotRect(qint16 hotSpot) noexcept
{
    if (!validHotSpot(hotSpot)) return {};
    const HotSpotSpec& s = kHotSpots[static_cast<std::size_t>(hotSpot)];
    const BasePanelSpec& anchor = kPanels[static_cast<std::size_t>(s.anchor)];
    return {anchor.x + s.dx, anchor.y + s.dy, s.w, s.h};
}

QRect basePanelRect(qint16 panel) noexcept
{
    if (panel < 0 || static_cast<std::size_t>(panel) >= kPanelCount) return {};
    const BasePanelSpec& p = kPanels[static_cast<std::size_t>(panel)];
    return {p.x, p.y, p.w, p.h};
}

} // namespace tessellon

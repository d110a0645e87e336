#include "tilevariants.h"

#include "tilesizes.h"

#include <array>
#include <cstddef>

namespace tessellon {

namespace {

/// Hot-spots first..last give tiles firstTile..lastTile, one for one.
struct VariantRun
{
    qint16 first, last;
    qint16 firstTile, lastTile;
};

// The palette's own numbering: hot-spot numbers follow the order the groups were built in,
// tile numbers the order the art was drawn in, so the mapping is kept as data.
constexpr VariantRun kRuns[] = {
    {1, 1, 1, 1},         {2, 2, 3, 3},         {3, 3, 3, 3},         {4, 4, 2, 2},
    {5, 5, 5, 5},         {6, 6, 4, 4},         {7, 8, 6, 7},         {9, 9, 10, 10},
    {10, 10, 9, 9},       {11, 11, 11, 11},     {12, 12, 8, 8},       {13, 13, 27, 27},
    {14, 14, 26, 26},     {15, 16, 28, 29},     {17, 17, 23, 23},     {18, 18, 22, 22},
    {19, 20, 20, 21},     {21, 21, 19, 19},     {22, 22, 18, 18},     {23, 24, 16, 17},
    {25, 25, 14, 14},     {26, 26, 13, 13},     {27, 27, 15, 15},     {28, 28, 12, 12},
    {29, 29, 32, 32},     {30, 30, 31, 31},     {31, 31, 33, 33},     {32, 32, 30, 30},
    {33, 36, 130, 133},   {37, 37, 34, 34},     {38, 38, 37, 37},     {39, 40, 35, 36},
    {41, 41, 38, 38},     {42, 42, 41, 41},     {43, 44, 39, 40},     {45, 45, 47, 47},
    {46, 46, 46, 46},     {47, 47, 48, 48},     {48, 48, 45, 45},     {49, 52, 162, 165},
    {53, 65, 49, 61},     {66, 66, 142, 142},   {67, 67, 63, 63},     {68, 68, 62, 62},
    {69, 72, 64, 67},     {73, 76, 184, 187},   {77, 93, 68, 84},     {94, 94, 86, 86},
    {95, 95, 86, 86},     {96, 96, 85, 85},     {97, 97, 87, 87},     {98, 98, 309, 309},
    {99, 116, 88, 105},   {117, 124, 122, 129}, {125, 140, 106, 121}, {141, 144, 304, 307},
    {145, 148, 156, 159}, {149, 152, 138, 141}, {153, 156, 134, 137}, {157, 158, 160, 161},
    {159, 159, 161, 161}, {160, 160, 160, 160}, {161, 174, 166, 179}, {175, 182, 144, 151},
    {183, 186, 180, 183}, {187, 187, 188, 188}, {188, 188, 190, 190}, {189, 189, 189, 189},
    {190, 194, 191, 195}, {195, 196, 200, 201}, {197, 197, 203, 203}, {198, 198, 202, 202},
    {199, 199, 204, 204}, {200, 201, 206, 207}, {202, 202, 205, 205}, {203, 240, 208, 245},
    {241, 242, 247, 248}, {243, 246, 292, 295}, {247, 250, 253, 256}, {251, 254, 249, 252},
    {255, 258, 272, 275}, {259, 259, 266, 266}, {260, 260, 271, 271}, {261, 261, 258, 258},
    {262, 262, 264, 264}, {263, 263, 278, 278}, {264, 265, 280, 281}, {266, 266, 263, 263},
    {267, 267, 282, 282}, {268, 268, 279, 279}, {269, 269, 265, 265}, {270, 270, 269, 269},
    {271, 271, 303, 303}, {272, 272, 302, 302}, {273, 273, 270, 270}, {274, 274, 257, 257},
    {275, 275, 262, 262}, {276, 276, 261, 261}, {277, 277, 260, 260}, {278, 278, 259, 259},
    {279, 287, 283, 291}, {288, 288, 246, 246}, {289, 294, 296, 301}, {295, 296, 267, 268},
    {297, 297, 308, 308}, {298, 298, 319, 319}, {299, 299, 315, 315}, {300, 300, 314, 314},
    {301, 302, 276, 277}, {303, 303, 318, 318}, {304, 304, 317, 317}, {305, 305, 316, 316},
    {306, 306, 308, 308}, {307, 310, 310, 313}, {311, 312, 24, 25},   {313, 313, 25, 25},
    {314, 314, 24, 24},   {315, 322, 320, 327}, {323, 326, 94, 97},   {327, 330, 332, 335},
    {331, 334, 328, 331}};

// Expands the runs into one slot per hot-spot (slot 0 stays 0). A run that is malformed,
// overlaps another or leaves a hot-spot unassigned makes this non-constant, so the build
// fails instead of the palette stamping a wrong tile.
constexpr std::array<qint16, kLastHotSpot + 1> expandRuns()
{
    std::array<qint16, kLastHotSpot + 1> table{};
    for (const VariantRun& run : kRuns) {
        if (run.first < 1 || run.last > kLastHotSpot || run.first > run.last)
            throw "hot-spot run out of range";
        if (run.lastTile - run.firstTile != run.last - run.first) throw "run lengths differ";
        if (run.firstTile < 1 || run.lastTile > kLastTile) throw "tile out of range";
        for (int h = run.first; h <= run.last; ++h) {
            if (table[static_cast<std::size_t>(h)] != 0) throw "hot-spot given twice";
            table[static_cast<std::size_t>(h)] = static_cast<qint16>(run.firstTile + h - run.first);
        }
    }
    for (int h = 1; h <= kLastHotSpot; ++h) {
        if (table[static_cast<std::size_t>(h)] == 0) throw "hot-spot without tile";
    }
    return table;
}

constexpr std::array<qint16, kLastHotSpot + 1> kTileOfHotSpot = expandRuns();

} // namespace

qint16 TileForHotSpot(qint16 hotSpot) noexcept
{
    if (hotSpot < 1 || hotSpot > kLastHotSpot) return 0;
    return kTileOfHotSpot[static_cast<std::size_t>(hotSpot)];
}

} // namespace tessellon

#pragma once

#include <QSize>

#include <array>

namespace tessellon {

/// A run of tile image numbers first..last that share one pixel size.
struct TileSizeRun
{
    short first;
    short last;
    short width;
    short height;
};

inline constexpr short kFirstTile = 1;
inline constexpr short kLastTile = 335;
/// 3 x 3 units of 10 pixels plus the closing outline pixel.
inline constexpr short kStandardTileSide = 31;

/// Every image not covered by a run is the standard 31 x 31 tile. Runs are sorted and disjoint.
inline constexpr std::array<TileSizeRun, 25> kTileSizeRuns{{
    {42, 42, 11, 11},    {44, 44, 91, 91},    {49, 56, 91, 91},   {143, 155, 11, 11},
    {162, 179, 11, 11},  {244, 245, 91, 91},  {246, 246, 61, 61}, {247, 247, 61, 91},
    {248, 248, 91, 61},  {257, 262, 11, 11},  {265, 266, 11, 11}, {269, 271, 11, 11},
    {276, 277, 11, 12},  {278, 282, 11, 11},  {283, 290, 61, 61}, {291, 291, 91, 91},
    {292, 292, 91, 61},  {293, 293, 61, 91},  {294, 294, 91, 61}, {295, 295, 61, 91},
    {296, 296, 91, 121}, {297, 297, 121, 91}, {302, 303, 31, 11}, {314, 318, 11, 11},
    {319, 319, 61, 61},
}};

/// Width and height of a tile image in pixels; 0 x 0 for a number that names no image.
inline constexpr QSize tilePixelSize(int n) noexcept
{
    if (n < kFirstTile || n > kLastTile) return {0, 0};
    for (const TileSizeRun& run : kTileSizeRuns) {
        if (n >= run.first && n <= run.last) return {run.width, run.height};
    }
    return {kStandardTileSide, kStandardTileSide};
}

} // namespace tessellon

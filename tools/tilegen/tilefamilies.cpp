#include "tilefamilies.h"

#include "corridorpieces.h"
#include "markerpieces.h"
#include "roompieces.h"
#include "stairpieces.h"

#include <tilesizes.h>

namespace tessellon::tileart {
namespace {

/// Up to four tiles drawn from one piece, tile i with transform i (0 = no tile). Every shape in
/// ink `from` is drawn in ink `to` instead, which makes grey stairs and coloured markers.
struct Family
{
    const Piece* piece;
    std::array<qint16, 4> tiles;
    std::array<Xform, 4> xf;
    Ink from = Ink::Black;
    Ink to = Ink::Black;
};

constexpr std::array<Xform, 4> kOne{kR0, kR0, kR0, kR0};
constexpr std::array<Xform, 4> kTwo{kR0, kR90, kR0, kR0};
// The S-bend is point-symmetric, so its other two directions are mirror images.
constexpr std::array<Xform, 4> kSnake{kR0, kR90, kM0, kM90};

constexpr Ink B = Ink::Black;
constexpr Ink G = Ink::Grey;

// Directional tiles are listed N, E, S, W; corner tiles NE, SE, SW, NW.
constexpr Family kFamilies[] = {
    // wide corridors
    {&kWideStraight, {1, 2}, kTwo},
    {&kWideCross, {3}, kOne},
    {&kWideCorner, {5, 6, 7, 4}, kTurns},
    {&kWideTee, {10, 11, 8, 9}, kTurns},
    {&kNarrowToDoor, {14, 15, 12, 13}, kTurns},
    {&kWideStairs, {19, 16, 17, 18}, kTurns},
    {&kDiagonal, {23, 20, 21, 22}, kTurns},
    {&kDiagonalDouble, {24, 25}, kTwo},
    {&kDiagonalBend, {27, 28, 29, 26}, kTurns},
    {&kWideDeadEnd, {32, 33, 30, 31}, kTurns},
    {&kCorridorDoor, {34, 35, 36, 37}, kTurns},
    {&kWallOpening, {38, 39, 40, 41}, kTurns},
    {&kWidthChange, {47, 48, 45, 46}, kTurns},
    // large rooms
    {&kHallSquare, {49}, kOne},
    {&kHallOctagon, {50}, kOne},
    {&kHallCross, {51}, kOne},
    {&kHallQuartered, {52}, kOne},
    {&kHallCut, {53, 54, 55, 56}, kTurns},
    // 3 x 3 rooms
    {&kRoomGap, {57, 59, 60, 58}, kTurns},
    {&kRoomDoor, {61, 63, 62, 142}, kTurns},
    {&kRoomThreeGaps, {64, 66, 67, 65}, kTurns},
    {&kRoomTwoGaps, {184, 186, 187, 185}, kTurns},
    {&kRoomOpen, {216, 218, 219, 217}, kTurns},
    {&kRoomCornerGap, {220, 222, 223, 221}, kTurns},
    // narrow corridors
    {&kNarrowTee, {68, 70, 71, 69}, kTurns},
    {&kNarrowRoundTee, {72, 74, 75, 73}, kTurns},
    {&kNarrowCurve, {78, 79, 77, 76}, kTurns},
    {&kWideRoundCorner, {80, 82, 83, 81}, kTurns},
    {&kNarrowStraight, {84, 85}, kTwo},
    {&kNarrowCross, {86}, kOne},
    {&kRoundCross, {87}, kOne},
    {&kChamberCross, {88}, kOne},
    {&kOctCross, {89}, kOne},
    {&kSquareChamberCross, {309}, kOne},
    {&kNarrowCorner, {90, 92, 93, 91}, kTurns},
    {&kNarrowRoundCorner, {94, 96, 97, 95}, kTurns},
    {&kNarrowDoubleRound, {310, 312, 313, 311}, kTurns},
    {&kWideCurve, {320, 322, 323, 321}, kTurns},
    {&kNarrowCurveTee, {324, 326, 327, 325}, kTurns},
    {&kWideChamfer, {181, 183, 182, 180}, kTurns},
    {&kUTurn, {196, 197, 198, 199}, kTurns},
    {&kSBend, {98, 100, 101, 99}, kSnake},
    {&kArrow, {102, 104, 105, 103}, kTurns},
    // caves
    {&kCaveBend, {106, 108, 109, 107}, kTurns},
    {&kCaveStraightA, {110, 111}, kTwo},
    {&kCaveStraightB, {113, 112}, kTwo},
    {&kCaveTee, {114, 116, 117, 115}, kTurns},
    {&kCaveCross, {118, 120, 121, 119}, kTurns},
    // stairs, black and grey
    {&kNarrowStairs, {122, 124, 125, 123}, kTurns},
    {&kStairEnd, {126, 128, 129, 127}, kTurns},
    {&kSpiral, {130, 132, 133, 131}, kTurns},
    {&kSpiral, {304, 306, 307, 305}, kTurns, B, G},
    {&kLanding, {134, 136, 137, 135}, kTurns},
    {&kStairFan, {138, 140, 141, 139}, kTurns},
    {&kNarrowStairs, {200, 201, 202, 203}, kTurns, B, G},
    {&kDiagonalStairs, {204, 206, 207, 205}, kTurns, B, G},
    {&kStairFan, {208, 210, 211, 209}, kTurns, B, G},
    {&kLanding, {212, 214, 215, 213}, kTurns, B, G},
    {&kLongStairs, {283, 285, 286, 284}, kTurns},
    {&kLongStairs, {287, 289, 290, 288}, kTurns, B, G},
    {&kWideStairs, {298, 300, 301, 299}, kTurns, B, G},
    // 1 x 1 wall pieces
    {&kUnitCorner, {146, 151, 149, 144}, kTurns},
    {&kUnitEdge, {145, 148, 150, 147}, kTurns},
    {&kUnitTee, {152, 153, 154, 155}, kTurns},
    {&kUnitHalf, {162, 163, 164, 165}, kTurns},
    {&kUnitElbow, {166, 167, 168, 169}, kTurns},
    {&kUnitRound, {170, 171, 172, 173}, kTurns},
    {&kUnitRoundCorner, {174, 175, 176, 177}, kTurns},
    {&kUnitDiagonal, {178, 179}, kTwo},
    // walls
    {&kEdgeWall, {156, 158, 159, 157}, kTurns},
    {&kDiagonalWall, {160, 161}, kTwo},
    {&kThickWall, {188, 190, 191, 189}, kTurns},
    {&kWallDoor, {192, 194, 195, 193}, kTurns},
    {&kSquareAlcove, {224, 226, 227, 225}, kTurns},
    {&kRoundAlcove, {228, 230, 231, 229}, kTurns},
    {&kRoundCornerWall, {232, 234, 235, 233}, kTurns},
    {&kNotch, {236, 238, 239, 237}, kTurns},
    {&kNiche, {240, 242, 243, 241}, kTurns},
    {&kDottedGap, {250, 249, 251, 252}, kTurns},
    {&kDottedWall, {253, 255, 256, 254}, kTurns},
    {&kCornerWall, {328, 330, 331, 329}, kTurns},
    {&kWallGapEnd, {332, 334, 335, 333}, kTurns},
    // large rooms of other shapes
    {&kHallRound, {244}, kOne},
    {&kHallRounded, {245}, kOne},
    {&kRoundRoom, {246}, kOne},
    {&kLongRoom, {247, 248}, kTwo},
    {&kHallL, {291}, kOne},
    {&kHallT, {292, 293}, kTwo},
    {&kHallOctLong, {294, 295}, kTwo},
    {&kHallApse, {296, 297}, kTwo},
    // markers and symbols
    {&kKey, {257}, kOne, B, Ink::Gold},
    {&kCrossX, {258}, kOne, B, Ink::Red},
    {&kCrossPlus, {259}, kOne, B, Ink::Red},
    {&kCrossX, {260}, kOne, B, Ink::Blue},
    {&kCrossPlus, {261}, kOne, B, Ink::Blue},
    {&kCrossPlus, {262}, kOne, B, Ink::Green},
    {&kChest, {263}, kOne},
    {&kBigKey, {264}, kOne},
    {&kDot, {265}, kOne, B, Ink::Red},
    {&kDot, {266}, kOne, B, Ink::Blue},
    {&kBigCross, {267}, kOne, B, Ink::Red},
    {&kStar, {268}, kOne, B, Ink::Blue},
    {&kDot, {269}, kOne, B, Ink::Green},
    {&kDot, {270}, kOne, B, Ink::Brown},
    {&kDot, {271}, kOne, B, Ink::Gold},
    {&kElement, {272}, kOne},
    {&kElement, {273}, kOne, Ink::Red, Ink::Blue},
    {&kElement, {274}, kOne, Ink::Red, Ink::Green},
    {&kElement, {275}, kOne, Ink::Red, Ink::Yellow},
    {&kFlag, {276}, kOne, B, Ink::Red},
    {&kFlag, {277}, kOne, B, Ink::Blue},
    {&kBar, {278, 279}, kTwo, B, Ink::Red},
    {&kBar, {280, 281}, kTwo, B, Ink::Blue},
    {&kBar, {282}, kOne, B, Ink::Green},
    {&kKeyA, {302}, kOne},
    {&kKeyB, {303}, kOne},
    {&kGridPatch, {308}, kOne},
    {&kGridPatchLarge, {319}, kOne},
    {&kFigure, {314}, kOne, B, Ink::Red},
    {&kFigure, {315}, kOne, B, Ink::Blue},
    {&kFigure, {316}, kOne, B, Ink::Green},
    {&kFigure, {317}, kOne, B, Ink::Brown},
    {&kFigure, {318}, kOne, B, Ink::Gold},
};

// Tile number -> row of kFamilies and slot in it, built once at compile time.
struct Slot
{
    qint16 family = -1;
    qint8 index = 0;
};

constexpr std::array<Slot, kLastTile + 1> buildIndex()
{
    std::array<Slot, kLastTile + 1> index{};
    for (qint16 f = 0; f < qint16(std::size(kFamilies)); ++f) {
        for (qint8 i = 0; i < 4; ++i) {
            const qint16 tile = kFamilies[f].tiles[i];
            if (tile == 0) continue;
            if (tile < kFirstTile || tile > kLastTile || index[tile].family >= 0)
                throw "tile listed twice or out of range"; // fails the constant evaluation
            index[tile] = {f, i};
        }
    }
    return index;
}

constexpr std::array<Slot, kLastTile + 1> kIndex = buildIndex();

} // namespace

TileArt tileArt(int n) noexcept
{
    if (n < kFirstTile || n > kLastTile || kIndex[n].family < 0) return {};
    const Family& family = kFamilies[kIndex[n].family];
    return {family.piece, family.xf[kIndex[n].index], family.from, family.to};
}

} // namespace tessellon::tileart

#pragma once

#include "tileshapes.h"

// Markers, symbols and the 1 x 1 wall pieces. Markers are drawn in black here and given their
// colour by the family table, so one cross serves red, blue and green.
namespace tessellon::tileart {

// --- 1 x 1 wall pieces ----------------------------------------------------------------------

inline constexpr Shape kUnitEdgeS[] = {line(0, 0, 10, 0)};
inline constexpr Piece kUnitEdge{10, 10, kUnitEdgeS, {o_, o_, o_, o_}};

inline constexpr Shape kUnitCornerS[] = {path({{0, 0}, {10, 0}, {10, 10}})};
inline constexpr Piece kUnitCorner{10, 10, kUnitCornerS, {o_, o_, o_, o_}};

inline constexpr Shape kUnitTeeS[] = {line(0, 0, 10, 0), line(5, 0, 5, 5)};
inline constexpr Piece kUnitTee{10, 10, kUnitTeeS, {o_, o_, o_, o_}};

inline constexpr Shape kUnitHalfS[] = {line(5, 0, 5, 5)};
inline constexpr Piece kUnitHalf{10, 10, kUnitHalfS, {o_, o_, o_, o_}};

inline constexpr Shape kUnitElbowS[] = {path({{5, 0}, {5, 5}, {10, 5}})};
inline constexpr Piece kUnitElbow{10, 10, kUnitElbowS, {o_, o_, o_, o_}};

inline constexpr Shape kUnitRoundS[] = {arc(10, 0, 10, 180, 90)};
inline constexpr Piece kUnitRound{10, 10, kUnitRoundS, {o_, o_, o_, o_}};

// The border corner of kUnitCorner with its bend rounded off; a quarter arc from corner to
// corner would only repeat kUnitRound turned half way round.
inline constexpr Shape kUnitRoundCornerS[] = {line(0, 0, 5, 0), arc(5, 5, 5, 0, 90),
                                              line(10, 5, 10, 10)};
inline constexpr Piece kUnitRoundCorner{10, 10, kUnitRoundCornerS, {o_, o_, o_, o_}};

inline constexpr Shape kUnitDiagonalS[] = {line(0, 0, 10, 10)};
inline constexpr Piece kUnitDiagonal{10, 10, kUnitDiagonalS, {o_, o_, o_, o_}};

// --- small markers (11 x 11) ----------------------------------------------------------------

inline constexpr Shape kKeyS[] = {
    loop({{1, 3}, {3, 3}, {4, 4}, {4, 6}, {3, 7}, {1, 7}, {0, 6}, {0, 4}}), line(4, 5, 10, 5),
    line(8, 5, 8, 8), line(10, 5, 10, 7)};
inline constexpr Piece kKey{10, 10, kKeyS, {o_, o_, o_, o_}};

inline constexpr Shape kCrossXS[] = {line(1, 1, 9, 9), line(9, 1, 1, 9)};
inline constexpr Piece kCrossX{10, 10, kCrossXS, {o_, o_, o_, o_}};

inline constexpr Shape kCrossPlusS[] = {line(5, 1, 5, 9), line(1, 5, 9, 5)};
inline constexpr Piece kCrossPlus{10, 10, kCrossPlusS, {o_, o_, o_, o_}};

inline constexpr Shape kDotS[] = {disc(5, 5, 3)};
inline constexpr Piece kDot{10, 10, kDotS, {o_, o_, o_, o_}};

inline constexpr Shape kBarS[] = {box(1, 4, 9, 6)};
inline constexpr Piece kBar{10, 10, kBarS, {o_, o_, o_, o_}};

inline constexpr Shape kFigureS[] = {box(4, 0, 6, 2), line(5, 3, 5, 7), line(2, 4, 8, 4),
                                     line(5, 7, 2, 10), line(5, 7, 8, 10)};
inline constexpr Piece kFigure{10, 10, kFigureS, {o_, o_, o_, o_}};

// 11 x 12: the pole takes the extra row.
inline constexpr Shape kFlagS[] = {line(2, 0, 2, 11), fill({{3, 0}, {9, 3}, {3, 6}})};
inline constexpr Piece kFlag{10, 11, kFlagS, {o_, o_, o_, o_}};

// --- labelled keys (31 x 11) ----------------------------------------------------------------

inline constexpr Shape kKeyBow =
    loop({{2, 2}, {5, 2}, {7, 4}, {7, 6}, {5, 8}, {2, 8}, {0, 6}, {0, 4}}, Ink::Gold);

inline constexpr Shape kKeyAS[] = {kKeyBow,
                                   line(7, 5, 16, 5, Ink::Gold),
                                   line(13, 5, 13, 8, Ink::Gold),
                                   line(16, 5, 16, 8, Ink::Gold),
                                   path({{20, 9}, {23, 1}, {26, 9}}),
                                   line(21, 6, 25, 6)};
inline constexpr Piece kKeyA{30, 10, kKeyAS, {o_, o_, o_, o_}};

inline constexpr Shape kKeyBS[] = {kKeyBow,
                                   line(7, 5, 16, 5, Ink::Gold),
                                   line(13, 5, 13, 8, Ink::Gold),
                                   line(16, 5, 16, 8, Ink::Gold),
                                   line(20, 1, 20, 9),
                                   path({{20, 1}, {24, 1}, {25, 2}, {25, 4}, {24, 5}, {20, 5}}),
                                   path({{24, 5}, {26, 6}, {26, 8}, {25, 9}, {20, 9}})};
inline constexpr Piece kKeyB{30, 10, kKeyBS, {o_, o_, o_, o_}};

// --- 31 x 31 icons --------------------------------------------------------------------------

inline constexpr Shape kChestS[] = {
    fill({{6, 13}, {8, 7}, {22, 7}, {24, 13}}, Ink::Brown), box(6, 13, 24, 24, Ink::Brown),
    loop({{6, 13}, {8, 7}, {22, 7}, {24, 13}}), loop({{6, 13}, {24, 13}, {24, 24}, {6, 24}}),
    box(14, 12, 16, 16, Ink::Gold)};
inline constexpr Piece kChest{30, 30, kChestS, {o_, o_, o_, o_}};

inline constexpr Shape kBigKeyS[] = {ring(8, 15, 5, Ink::Gold), ring(8, 15, 4, Ink::Gold),
                                     box(13, 14, 26, 16, Ink::Gold), box(20, 17, 22, 20, Ink::Gold),
                                     box(24, 17, 26, 21, Ink::Gold)};
inline constexpr Piece kBigKey{30, 30, kBigKeyS, {o_, o_, o_, o_}};

// X marks the spot, three pixels thick.
inline constexpr Shape kBigCrossS[] = {line(6, 6, 24, 24), line(7, 6, 24, 23), line(6, 7, 23, 24),
                                       line(24, 6, 6, 24), line(23, 6, 6, 23), line(24, 7, 7, 24)};
inline constexpr Piece kBigCross{30, 30, kBigCrossS, {o_, o_, o_, o_}};

inline constexpr Shape kStarS[] = {
    fill({{15, 3}, {18, 12}, {27, 15}, {18, 18}, {15, 27}, {12, 18}, {3, 15}, {12, 12}})};
inline constexpr Piece kStar{30, 30, kStarS, {o_, o_, o_, o_}};

// One of the four elemental squares: the colour comes from the family, the frame stays black.
inline constexpr Shape kElementS[] = {box(5, 5, 25, 25, Ink::Red),
                                      loop({{5, 5}, {25, 5}, {25, 25}, {5, 25}})};
inline constexpr Piece kElement{30, 30, kElementS, {o_, o_, o_, o_}};

} // namespace tessellon::tileart

#pragma once

#include "tileshapes.h"

// Stairs, drawn facing north: the small triangle or arrow marks the upper end. Grey variants
// reuse these pieces with their black ink turned grey (see the family table).
namespace tessellon::tileart {

inline constexpr Shape kWideStairsS[] = {
    line(0, 0, 0, 30),   line(30, 0, 30, 30), line(0, 8, 30, 8),
    line(0, 12, 30, 12), line(0, 16, 30, 16), line(0, 20, 30, 20),
    line(0, 24, 30, 24), line(0, 28, 30, 28), fill({{15, 1}, {11, 5}, {19, 5}})};
inline constexpr Piece kWideStairs{30, 30, kWideStairsS, {oW, o_, oW, o_}};

inline constexpr Shape kNarrowStairsS[] = {line(10, 0, 10, 30),  line(20, 0, 20, 30),
                                           line(10, 9, 20, 9),   line(10, 12, 20, 12),
                                           line(10, 15, 20, 15), line(10, 18, 20, 18),
                                           line(10, 21, 20, 21), line(10, 24, 20, 24),
                                           line(10, 27, 20, 27), fill({{15, 1}, {12, 5}, {18, 5}})};
inline constexpr Piece kNarrowStairs{30, 30, kNarrowStairsS, {oN, o_, oN, o_}};

// The last treads of a flight, in grey, with a black arrow leading on.
inline constexpr Shape kStairEndS[] = {line(0, 0, 0, 30),
                                       line(30, 0, 30, 30),
                                       line(1, 18, 29, 18, Ink::Grey),
                                       line(1, 21, 29, 21, Ink::Grey),
                                       line(1, 24, 29, 24, Ink::Grey),
                                       line(1, 27, 29, 27, Ink::Grey),
                                       line(15, 6, 15, 14),
                                       fill({{15, 1}, {11, 6}, {19, 6}})};
inline constexpr Piece kStairEnd{30, 30, kStairEndS, {oW, o_, oW, o_}};

// Treads climb out of the north arm onto a landing that leaves to the east.
inline constexpr Shape kLandingS[] = {path({{0, 0}, {0, 30}, {30, 30}}),
                                      dot(30, 0),
                                      line(0, 3, 29, 3),
                                      line(0, 6, 29, 6),
                                      line(0, 9, 29, 9),
                                      line(0, 12, 29, 12)};
inline constexpr Piece kLanding{30, 30, kLandingS, {o_, o_, o_, o_}};

// Winding treads fanning round the inner corner, from the north arm to the east arm.
inline constexpr Shape kStairFanS[] = {path({{0, 0}, {0, 30}, {30, 30}}),
                                       dot(30, 0),
                                       line(23, 1, 0, 5),
                                       line(24, 3, 0, 14),
                                       line(25, 4, 0, 24),
                                       line(26, 5, 6, 30),
                                       line(27, 6, 16, 30),
                                       line(29, 7, 25, 30)};
inline constexpr Piece kStairFan{30, 30, kStairFanS, {o_, o_, o_, o_}};

// Treads across a diagonal corridor cutting the north-east corner.
inline constexpr Shape kDiagonalStairsS[] = {line(10, 0, 30, 20), line(20, 0, 30, 10),
                                             line(16, 6, 21, 1),  line(19, 9, 24, 4),
                                             line(22, 12, 27, 7), line(25, 15, 29, 11)};
inline constexpr Piece kDiagonalStairs{30, 30, kDiagonalStairsS, {o_, o_, o_, o_}};

// A spiral stair entered from the north through a short narrow passage.
inline constexpr Shape kSpiralS[] = {
    arc(15, 15, 12, 115, 310), line(10, 0, 10, 4),   line(20, 0, 20, 4),  disc(15, 15, 2),
    line(18, 15, 26, 15),      line(17, 13, 23, 7),  line(13, 13, 7, 7),  line(12, 15, 4, 15),
    line(13, 17, 7, 23),       line(15, 18, 15, 26), line(17, 17, 23, 23)};
inline constexpr Piece kSpiral{30, 30, kSpiralS, {o_, o_, o_, o_}};

// A long flight over 6 x 6 units.
inline constexpr Shape kLongStairsS[] = {line(0, 0, 0, 60),   line(60, 0, 60, 60),
                                         line(0, 10, 60, 10), line(0, 14, 60, 14),
                                         line(0, 18, 60, 18), line(0, 22, 60, 22),
                                         line(0, 26, 60, 26), line(0, 30, 60, 30),
                                         line(0, 34, 60, 34), line(0, 38, 60, 38),
                                         line(0, 42, 60, 42), line(0, 46, 60, 46),
                                         line(0, 50, 60, 50), line(0, 54, 60, 54),
                                         line(0, 58, 60, 58), fill({{30, 1}, {24, 7}, {36, 7}})};
inline constexpr Piece kLongStairs{60, 60, kLongStairsS, {o_, o_, o_, o_}};

} // namespace tessellon::tileart

#pragma once

#include "tileshapes.h"

// Corridors, diagonals and caves, each drawn once facing north (or north-east for corner
// pieces). Narrow corridor walls stand at 10 and 20, wide ones on the cell border at 0 and 30,
// so every piece meets its neighbours when stamped 30 pixels apart.
namespace tessellon::tileart {

// --- wide corridors -------------------------------------------------------------------------

inline constexpr Shape kWideStraightS[] = {line(0, 0, 0, 30), line(30, 0, 30, 30)};
inline constexpr Piece kWideStraight{30, 30, kWideStraightS, {oW, o_, oW, o_}};

// Only the corner pixels where the neighbours' walls end.
inline constexpr Shape kWideCrossS[] = {dot(0, 0), dot(30, 0), dot(0, 30), dot(30, 30)};
inline constexpr Piece kWideCross{30, 30, kWideCrossS, {oW, oW, oW, oW}};

inline constexpr Shape kWideCornerS[] = {path({{0, 0}, {0, 30}, {30, 30}}), dot(30, 0)};
inline constexpr Piece kWideCorner{30, 30, kWideCornerS, {oW, oW, o_, o_}};

inline constexpr Shape kWideTeeS[] = {line(0, 30, 30, 30), dot(0, 0), dot(30, 0)};
inline constexpr Piece kWideTee{30, 30, kWideTeeS, {oW, oW, o_, oW}};

inline constexpr Shape kWideDeadEndS[] = {path({{0, 0}, {0, 30}, {30, 30}, {30, 0}})};
inline constexpr Piece kWideDeadEnd{30, 30, kWideDeadEndS, {oW, o_, o_, o_}};

inline constexpr Shape kWideRoundCornerS[] = {line(0, 0, 0, 20), arc(10, 20, 10, 180, 90),
                                              line(10, 30, 30, 30), dot(30, 0)};
inline constexpr Piece kWideRoundCorner{30, 30, kWideRoundCornerS, {oW, oW, o_, o_}};

inline constexpr Shape kWideCurveS[] = {arc(30, 0, 30, 180, 90), dot(30, 0)};
inline constexpr Piece kWideCurve{30, 30, kWideCurveS, {oW, oW, o_, o_}};

inline constexpr Shape kWideChamferS[] = {path({{0, 0}, {0, 12}, {18, 30}, {30, 30}}), dot(30, 0)};
inline constexpr Piece kWideChamfer{30, 30, kWideChamferS, {oW, oW, o_, o_}};

// A wide corridor that turns back on itself around a short median wall.
inline constexpr Shape kUTurnS[] = {line(0, 0, 0, 15), line(30, 0, 30, 15),
                                    arc(15, 15, 15, 180, 180), line(15, 6, 15, 16)};
inline constexpr Piece kUTurn{30, 30, kUTurnS, {oW, o_, o_, o_}};

// A wide corridor (south) closed by a door in its northern wall.
inline constexpr Shape kCorridorDoorS[] = {line(0, 0, 0, 30), line(30, 0, 30, 30),
                                           line(0, 0, 10, 0), line(20, 0, 30, 0),
                                           loop({{10, 0}, {20, 0}, {20, 4}, {10, 4}})};
inline constexpr Piece kCorridorDoor{30, 30, kCorridorDoorS, {o_, o_, oW, o_}};

// Wide to the south, stepping in to a narrow passage with a door at the north edge.
inline constexpr Shape kNarrowToDoorS[] = {path({{0, 30}, {0, 16}, {10, 16}, {10, 0}}),
                                           path({{30, 30}, {30, 16}, {20, 16}, {20, 0}}),
                                           loop({{10, 4}, {20, 4}, {20, 8}, {10, 8}})};
inline constexpr Piece kNarrowToDoor{30, 30, kNarrowToDoorS, {oN, o_, oW, o_}};

// Wide to the north, funnelling to narrow in the south.
inline constexpr Shape kWidthChangeS[] = {path({{0, 0}, {0, 8}, {10, 20}, {10, 30}}),
                                          path({{30, 0}, {30, 8}, {20, 20}, {20, 30}})};
inline constexpr Piece kWidthChange{30, 30, kWidthChangeS, {oW, o_, oN, o_}};

inline constexpr Shape kArrowS[] = {line(15, 9, 15, 26), fill({{15, 2}, {10, 9}, {20, 9}})};
inline constexpr Piece kArrow{30, 30, kArrowS, {o_, o_, o_, o_}};

// --- narrow corridors -----------------------------------------------------------------------

inline constexpr Shape kNarrowStraightS[] = {line(10, 0, 10, 30), line(20, 0, 20, 30)};
inline constexpr Piece kNarrowStraight{30, 30, kNarrowStraightS, {oN, o_, oN, o_}};

inline constexpr Shape kNarrowCrossS[] = {
    path({{10, 0}, {10, 10}, {0, 10}}), path({{20, 0}, {20, 10}, {30, 10}}),
    path({{0, 20}, {10, 20}, {10, 30}}), path({{30, 20}, {20, 20}, {20, 30}})};
inline constexpr Piece kNarrowCross{30, 30, kNarrowCrossS, {oN, oN, oN, oN}};

inline constexpr Shape kRoundCrossS[] = {
    line(10, 0, 10, 5),     arc(5, 5, 5, 270, 90), line(5, 10, 0, 10),     line(20, 0, 20, 5),
    arc(25, 5, 5, 180, 90), line(25, 10, 30, 10),  line(0, 20, 5, 20),     arc(5, 25, 5, 0, 90),
    line(10, 25, 10, 30),   line(30, 20, 25, 20),  arc(25, 25, 5, 90, 90), line(20, 25, 20, 30)};
inline constexpr Piece kRoundCross{30, 30, kRoundCrossS, {oN, oN, oN, oN}};

// A crossing opening into a small round chamber.
inline constexpr Shape kChamberCrossS[] = {
    line(10, 0, 10, 6),      line(20, 0, 20, 6),       line(0, 10, 6, 10),
    line(0, 20, 6, 20),      line(24, 10, 30, 10),     line(24, 20, 30, 20),
    line(10, 24, 10, 30),    line(20, 24, 20, 30),     arc(15, 15, 10, 120, 30),
    arc(15, 15, 10, 30, 30), arc(15, 15, 10, 210, 30), arc(15, 15, 10, 300, 30)};
inline constexpr Piece kChamberCross{30, 30, kChamberCrossS, {oN, oN, oN, oN}};

inline constexpr Shape kOctCrossS[] = {
    path({{10, 0}, {10, 5}, {5, 10}, {0, 10}}), path({{20, 0}, {20, 5}, {25, 10}, {30, 10}}),
    path({{0, 20}, {5, 20}, {10, 25}, {10, 30}}), path({{30, 20}, {25, 20}, {20, 25}, {20, 30}})};
inline constexpr Piece kOctCross{30, 30, kOctCrossS, {oN, oN, oN, oN}};

inline constexpr Shape kSquareChamberCrossS[] = {
    path({{10, 0}, {10, 5}, {5, 5}, {5, 10}, {0, 10}}),
    path({{20, 0}, {20, 5}, {25, 5}, {25, 10}, {30, 10}}),
    path({{0, 20}, {5, 20}, {5, 25}, {10, 25}, {10, 30}}),
    path({{30, 20}, {25, 20}, {25, 25}, {20, 25}, {20, 30}})};
inline constexpr Piece kSquareChamberCross{30, 30, kSquareChamberCrossS, {oN, oN, oN, oN}};

inline constexpr Shape kNarrowCornerS[] = {path({{10, 0}, {10, 20}, {30, 20}}),
                                           path({{20, 0}, {20, 10}, {30, 10}})};
inline constexpr Piece kNarrowCorner{30, 30, kNarrowCornerS, {oN, oN, o_, o_}};

inline constexpr Shape kNarrowRoundCornerS[] = {line(10, 0, 10, 10), arc(20, 10, 10, 180, 90),
                                                line(20, 20, 30, 20),
                                                path({{20, 0}, {20, 10}, {30, 10}})};
inline constexpr Piece kNarrowRoundCorner{30, 30, kNarrowRoundCornerS, {oN, oN, o_, o_}};

inline constexpr Shape kNarrowDoubleRoundS[] = {line(10, 0, 10, 10),    arc(20, 10, 10, 180, 90),
                                                line(20, 20, 30, 20),   line(20, 0, 20, 5),
                                                arc(25, 5, 5, 180, 90), line(25, 10, 30, 10)};
inline constexpr Piece kNarrowDoubleRound{30, 30, kNarrowDoubleRoundS, {oN, oN, o_, o_}};

// Both walls quarter circles around the cell corner.
inline constexpr Shape kNarrowCurveS[] = {arc(30, 0, 10, 180, 90), arc(30, 0, 20, 180, 90)};
inline constexpr Piece kNarrowCurve{30, 30, kNarrowCurveS, {oN, oN, o_, o_}};

inline constexpr Shape kNarrowTeeS[] = {path({{10, 0}, {10, 10}, {0, 10}}),
                                        path({{20, 0}, {20, 10}, {30, 10}}), line(0, 20, 30, 20)};
inline constexpr Piece kNarrowTee{30, 30, kNarrowTeeS, {oN, oN, o_, oN}};

inline constexpr Shape kNarrowRoundTeeS[] = {
    line(10, 0, 10, 5),     arc(5, 5, 5, 270, 90), line(5, 10, 0, 10), line(20, 0, 20, 5),
    arc(25, 5, 5, 180, 90), line(25, 10, 30, 10),  line(0, 20, 30, 20)};
inline constexpr Piece kNarrowRoundTee{30, 30, kNarrowRoundTeeS, {oN, oN, o_, oN}};

// The corridor from the north forks into two curves; the far wall bows outwards.
inline constexpr Shape kNarrowCurveTeeS[] = {arc(0, 0, 10, 270, 90), arc(30, 0, 10, 180, 90),
                                             ellipseArc(15, 20, 15, 6, 180, 180)};
inline constexpr Piece kNarrowCurveTee{30, 30, kNarrowCurveTeeS, {oN, oN, o_, oN}};

// An S-shaped wiggle that leaves the corridor where it came in.
inline constexpr Shape kSBendS[] = {
    path({{10, 30}, {10, 27}, {5, 22}, {5, 18}, {15, 11}, {15, 7}, {10, 3}, {10, 0}}),
    path({{20, 30}, {20, 27}, {15, 22}, {15, 18}, {25, 11}, {25, 7}, {20, 3}, {20, 0}})};
inline constexpr Piece kSBend{30, 30, kSBendS, {oN, o_, oN, o_}};

// --- diagonal corridors ---------------------------------------------------------------------

// A narrow corridor cutting across the north-east corner; alternating with its opposite
// corner piece it makes a 45-degree corridor whose walls run straight across the cells.
inline constexpr Shape kDiagonalS[] = {line(10, 0, 30, 20), line(20, 0, 30, 10)};
inline constexpr Piece kDiagonal{30, 30, kDiagonalS, {oN, oN, o_, o_}};

inline constexpr Shape kDiagonalDoubleS[] = {line(10, 0, 30, 20), line(20, 0, 30, 10),
                                             line(0, 10, 20, 30), line(0, 20, 10, 30)};
inline constexpr Piece kDiagonalDouble{30, 30, kDiagonalDoubleS, {oN, oN, oN, oN}};

// From the north, the outer wall bends 45 degrees into the eastern exit.
inline constexpr Shape kDiagonalBendS[] = {path({{10, 0}, {10, 10}, {20, 20}, {30, 20}}),
                                           path({{20, 0}, {20, 10}, {30, 10}})};
inline constexpr Piece kDiagonalBend{30, 30, kDiagonalBendS, {oN, oN, o_, o_}};

// --- caves: irregular walls that still reach the cell border at 0 and 30 ---------------------

// Walls leave the cell corners by one diagonal pixel step, so that no rasterised segment
// brushes the open border beside them, whatever the tile's rotation.
inline constexpr Shape kCaveStraightAS[] = {
    path({{0, 0}, {1, 1}, {3, 4}, {2, 9}, {6, 13}, {5, 18}, {2, 22}, {4, 26}, {1, 29}, {0, 30}}),
    path({{30, 0}, {29, 1}, {27, 5}, {28, 10}, {25, 15}, {27, 20}, {24, 25}, {29, 29}, {30, 30}})};
inline constexpr Piece kCaveStraightA{30, 30, kCaveStraightAS, {oW, o_, oW, o_}};

inline constexpr Shape kCaveStraightBS[] = {
    path({{0, 0}, {1, 1}, {5, 3}, {4, 8}, {2, 12}, {4, 17}, {7, 21}, {3, 26}, {1, 29}, {0, 30}}),
    path({{30, 0},
          {29, 1},
          {26, 3},
          {27, 7},
          {24, 12},
          {25, 17},
          {28, 22},
          {26, 27},
          {29, 29},
          {30, 30}})};
inline constexpr Piece kCaveStraightB{30, 30, kCaveStraightBS, {oW, o_, oW, o_}};

// Rocks in the corners of open cells, tied to the corner by a diagonal spur.
inline constexpr Shape kCaveSpurNE = line(30, 0, 28, 2);
inline constexpr Shape kCaveRockNE = loop({{28, 2}, {24, 3}, {23, 6}, {26, 7}, {28, 5}});
inline constexpr Shape kCaveSpurNW = line(0, 0, 2, 2);
inline constexpr Shape kCaveRockNW = loop({{2, 2}, {6, 3}, {7, 6}, {4, 7}, {2, 5}});
inline constexpr Shape kCaveSpurSW = line(0, 30, 2, 28);
inline constexpr Shape kCaveRockSW = loop({{2, 28}, {3, 24}, {6, 23}, {7, 26}, {5, 28}});
inline constexpr Shape kCaveSpurSE = line(30, 30, 28, 28);
inline constexpr Shape kCaveRockSE = loop({{28, 28}, {27, 24}, {24, 23}, {23, 26}, {25, 28}});

inline constexpr Shape kCaveBendS[] = {path({{0, 0},
                                             {1, 1},
                                             {3, 6},
                                             {2, 12},
                                             {6, 18},
                                             {11, 22},
                                             {14, 27},
                                             {20, 26},
                                             {25, 28},
                                             {29, 29},
                                             {30, 30}}),
                                       kCaveSpurNE, kCaveRockNE};
inline constexpr Piece kCaveBend{30, 30, kCaveBendS, {oW, oW, o_, o_}};

inline constexpr Shape kCaveTeeS[] = {
    path({{0, 30}, {1, 29}, {5, 26}, {10, 27}, {15, 23}, {21, 27}, {26, 25}, {29, 29}, {30, 30}}),
    kCaveSpurNW, kCaveRockNW, kCaveSpurNE, kCaveRockNE};
inline constexpr Piece kCaveTee{30, 30, kCaveTeeS, {oW, oW, o_, oW}};

// Four rocks at the corners; the north-east one juts out further.
inline constexpr Shape kCaveCrossS[] = {
    kCaveSpurNE, loop({{28, 2}, {23, 3}, {20, 7}, {23, 10}, {27, 9}, {28, 5}}),
    kCaveSpurNW, kCaveRockNW,
    kCaveSpurSW, kCaveRockSW,
    kCaveSpurSE, kCaveRockSE};
inline constexpr Piece kCaveCross{30, 30, kCaveCrossS, {oW, oW, oW, oW}};

} // namespace tessellon::tileart

#pragma once

#include "tileshapes.h"

// Rooms and walls, drawn facing north (or north-east for corner pieces). Room walls lie on the
// cell border; narrow gaps sit at 10..20 so narrow corridors run straight into them.
namespace tessellon::tileart {

// --- 3 x 3 rooms ----------------------------------------------------------------------------

inline constexpr Shape kRoomGapS[] = {path({{10, 0}, {0, 0}, {0, 30}, {30, 30}, {30, 0}, {20, 0}})};
inline constexpr Piece kRoomGap{30, 30, kRoomGapS, {oN, o_, o_, o_}};

inline constexpr Shape kRoomDoorS[] = {path({{10, 0}, {0, 0}, {0, 30}, {30, 30}, {30, 0}, {20, 0}}),
                                       loop({{10, 0}, {20, 0}, {20, 4}, {10, 4}})};
inline constexpr Piece kRoomDoor{30, 30, kRoomDoorS, {o_, o_, o_, o_}};

inline constexpr Shape kRoomThreeGapsS[] = {path({{10, 0}, {0, 0}, {0, 10}}),
                                            path({{20, 0}, {30, 0}, {30, 10}}),
                                            path({{0, 20}, {0, 30}, {30, 30}, {30, 20}})};
inline constexpr Piece kRoomThreeGaps{30, 30, kRoomThreeGapsS, {oN, oN, o_, oN}};

inline constexpr Shape kRoomTwoGapsS[] = {path({{10, 0}, {0, 0}, {0, 30}, {30, 30}, {30, 20}}),
                                          path({{20, 0}, {30, 0}, {30, 10}})};
inline constexpr Piece kRoomTwoGaps{30, 30, kRoomTwoGapsS, {oN, oN, o_, o_}};

inline constexpr Shape kRoomOpenS[] = {path({{0, 0}, {0, 30}, {10, 30}}),
                                       path({{20, 30}, {30, 30}, {30, 0}})};
inline constexpr Piece kRoomOpen{30, 30, kRoomOpenS, {oW, o_, oN, o_}};

inline constexpr Shape kRoomCornerGapS[] = {path({{20, 0}, {0, 0}, {0, 30}, {30, 30}, {30, 10}})};
inline constexpr Piece kRoomCornerGap{30, 30, kRoomCornerGapS, {o_, o_, o_, o_}};

// --- large rooms ----------------------------------------------------------------------------

inline constexpr Shape kHallSquareS[] = {loop({{0, 0}, {90, 0}, {90, 90}, {0, 90}})};
inline constexpr Piece kHallSquare{90, 90, kHallSquareS, {o_, o_, o_, o_}};

inline constexpr Shape kHallOctagonS[] = {
    loop({{30, 0}, {60, 0}, {90, 30}, {90, 60}, {60, 90}, {30, 90}, {0, 60}, {0, 30}})};
inline constexpr Piece kHallOctagon{90, 90, kHallOctagonS, {o_, o_, o_, o_}};

inline constexpr Shape kHallCrossS[] = {loop({{30, 0},
                                              {60, 0},
                                              {60, 30},
                                              {90, 30},
                                              {90, 60},
                                              {60, 60},
                                              {60, 90},
                                              {30, 90},
                                              {30, 60},
                                              {0, 60},
                                              {0, 30},
                                              {30, 30}})};
inline constexpr Piece kHallCross{90, 90, kHallCrossS, {o_, o_, o_, o_}};

// Four chambers joined by doorways in the inner walls.
inline constexpr Shape kHallQuarteredS[] = {loop({{0, 0}, {90, 0}, {90, 90}, {0, 90}}),
                                            line(45, 0, 45, 20),
                                            line(45, 30, 45, 60),
                                            line(45, 70, 45, 90),
                                            line(0, 45, 20, 45),
                                            line(30, 45, 60, 45),
                                            line(70, 45, 90, 45)};
inline constexpr Piece kHallQuartered{90, 90, kHallQuarteredS, {o_, o_, o_, o_}};

inline constexpr Shape kHallCutS[] = {
    loop({{30, 0}, {60, 0}, {90, 30}, {90, 90}, {0, 90}, {0, 30}})};
inline constexpr Piece kHallCut{90, 90, kHallCutS, {o_, o_, o_, o_}};

inline constexpr Shape kHallRoundS[] = {ring(45, 45, 45)};
inline constexpr Piece kHallRound{90, 90, kHallRoundS, {o_, o_, o_, o_}};

inline constexpr Shape kHallRoundedS[] = {line(30, 0, 60, 0),       line(90, 30, 90, 60),
                                          line(60, 90, 30, 90),     line(0, 60, 0, 30),
                                          arc(60, 30, 30, 0, 90),   arc(30, 30, 30, 90, 90),
                                          arc(30, 60, 30, 180, 90), arc(60, 60, 30, 270, 90)};
inline constexpr Piece kHallRounded{90, 90, kHallRoundedS, {o_, o_, o_, o_}};

inline constexpr Shape kRoundRoomS[] = {ring(30, 30, 30)};
inline constexpr Piece kRoundRoom{60, 60, kRoundRoomS, {o_, o_, o_, o_}};

inline constexpr Shape kLongRoomS[] = {line(10, 0, 50, 0),       line(60, 10, 60, 80),
                                       line(50, 90, 10, 90),     line(0, 80, 0, 10),
                                       arc(50, 10, 10, 0, 90),   arc(10, 10, 10, 90, 90),
                                       arc(10, 80, 10, 180, 90), arc(50, 80, 10, 270, 90)};
inline constexpr Piece kLongRoom{60, 90, kLongRoomS, {o_, o_, o_, o_}};

inline constexpr Shape kHallLS[] = {loop({{0, 0}, {40, 0}, {40, 50}, {90, 50}, {90, 90}, {0, 90}})};
inline constexpr Piece kHallL{90, 90, kHallLS, {o_, o_, o_, o_}};

inline constexpr Shape kHallTS[] = {
    loop({{0, 0}, {90, 0}, {90, 30}, {60, 30}, {60, 60}, {30, 60}, {30, 30}, {0, 30}})};
inline constexpr Piece kHallT{90, 60, kHallTS, {o_, o_, o_, o_}};

inline constexpr Shape kHallOctLongS[] = {
    loop({{20, 0}, {70, 0}, {90, 20}, {90, 40}, {70, 60}, {20, 60}, {0, 40}, {0, 20}})};
inline constexpr Piece kHallOctLong{90, 60, kHallOctLongS, {o_, o_, o_, o_}};

// A long hall with round ends.
inline constexpr Shape kHallApseS[] = {line(0, 45, 0, 75), line(90, 45, 90, 75),
                                       arc(45, 45, 45, 0, 180), arc(45, 75, 45, 180, 180)};
inline constexpr Piece kHallApse{90, 120, kHallApseS, {o_, o_, o_, o_}};

// --- walls ----------------------------------------------------------------------------------

inline constexpr Shape kEdgeWallS[] = {line(0, 0, 30, 0)};
inline constexpr Piece kEdgeWall{30, 30, kEdgeWallS, {o_, o_, o_, o_}};

inline constexpr Shape kDiagonalWallS[] = {line(0, 0, 30, 30)};
inline constexpr Piece kDiagonalWall{30, 30, kDiagonalWallS, {o_, o_, o_, o_}};

inline constexpr Shape kWallGapEndS[] = {line(0, 0, 20, 0)};
inline constexpr Piece kWallGapEnd{30, 30, kWallGapEndS, {o_, o_, o_, o_}};

inline constexpr Shape kWallOpeningS[] = {line(0, 0, 10, 0), line(20, 0, 30, 0)};
inline constexpr Piece kWallOpening{30, 30, kWallOpeningS, {o_, o_, o_, o_}};

inline constexpr Shape kThickWallS[] = {box(0, 0, 30, 2)};
inline constexpr Piece kThickWall{30, 30, kThickWallS, {o_, o_, o_, o_}};

inline constexpr Shape kCornerWallS[] = {path({{0, 0}, {30, 0}, {30, 30}})};
inline constexpr Piece kCornerWall{30, 30, kCornerWallS, {o_, o_, o_, o_}};

inline constexpr Shape kWallDoorS[] = {line(0, 0, 10, 0), line(20, 0, 30, 0),
                                       loop({{10, 0}, {20, 0}, {20, 4}, {10, 4}})};
inline constexpr Piece kWallDoor{30, 30, kWallDoorS, {o_, o_, o_, o_}};

// Alcoves: the room lies south of the tile's southern edge and the recess reaches north.
inline constexpr Shape kSquareAlcoveS[] = {
    path({{0, 30}, {5, 30}, {5, 18}, {25, 18}, {25, 30}, {30, 30}})};
inline constexpr Piece kSquareAlcove{30, 30, kSquareAlcoveS, {o_, o_, o_, o_}};

inline constexpr Shape kRoundAlcoveS[] = {line(0, 30, 5, 30), arc(15, 30, 10, 0, 180),
                                          line(25, 30, 30, 30)};
inline constexpr Piece kRoundAlcove{30, 30, kRoundAlcoveS, {o_, o_, o_, o_}};

// The north-east corner of a room rounded off.
inline constexpr Shape kRoundCornerWallS[] = {arc(0, 30, 30, 0, 90)};
inline constexpr Piece kRoundCornerWall{30, 30, kRoundCornerWallS, {o_, o_, o_, o_}};

inline constexpr Shape kNotchS[] = {path({{0, 0}, {12, 0}, {12, 4}, {18, 4}, {18, 0}, {30, 0}})};
inline constexpr Piece kNotch{30, 30, kNotchS, {o_, o_, o_, o_}};

inline constexpr Shape kNicheS[] = {line(0, 0, 10, 0), arc(15, 0, 5, 180, 180), line(20, 0, 30, 0)};
inline constexpr Piece kNiche{30, 30, kNicheS, {o_, o_, o_, o_}};

inline constexpr Shape kDottedWallS[] = {dots(0, 0, 30, 0)};
inline constexpr Piece kDottedWall{30, 30, kDottedWallS, {o_, o_, o_, o_}};

inline constexpr Shape kDottedGapS[] = {dots(0, 0, 10, 0), dots(20, 0, 30, 0)};
inline constexpr Piece kDottedGap{30, 30, kDottedGapS, {o_, o_, o_, o_}};

inline constexpr Shape kGridPatchS[] = {
    dots(0, 0, 0, 30), dots(10, 0, 10, 30), dots(20, 0, 20, 30), dots(30, 0, 30, 30),
    dots(0, 0, 30, 0), dots(0, 10, 30, 10), dots(0, 20, 30, 20), dots(0, 30, 30, 30)};
inline constexpr Piece kGridPatch{30, 30, kGridPatchS, {o_, o_, o_, o_}};

inline constexpr Shape kGridPatchLargeS[] = {
    dots(0, 0, 0, 60),   dots(10, 0, 10, 60), dots(20, 0, 20, 60), dots(30, 0, 30, 60),
    dots(40, 0, 40, 60), dots(50, 0, 50, 60), dots(60, 0, 60, 60), dots(0, 0, 60, 0),
    dots(0, 10, 60, 10), dots(0, 20, 60, 20), dots(0, 30, 60, 30), dots(0, 40, 60, 40),
    dots(0, 50, 60, 50), dots(0, 60, 60, 60)};
inline constexpr Piece kGridPatchLarge{60, 60, kGridPatchLargeS, {o_, o_, o_, o_}};

} // namespace tessellon::tileart

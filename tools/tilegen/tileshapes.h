#pragma once

#include <QtGlobal>

#include <array>
#include <initializer_list>
#include <span>

namespace tessellon::tileart {

/// The few flat colours the art may use. None of them is the canvas grid colour.
enum class Ink : quint8 { Black, Grey, Red, Blue, Green, Gold, Brown, Yellow };

/// Drawing primitives. Coordinates are canvas pixels of the piece's canonical orientation.
enum class Op : quint8 {
    Path, ///< open polyline through pts; a single point draws one pixel
    Loop, ///< closed polyline
    Fill, ///< filled polygon, outline included
    Arc,  ///< elliptic arc: pts[0] centre, pts[1] radii, pts[2] start and span in degrees
    Ring, ///< ellipse outline: pts[0] centre, pts[1] radii
    Disc, ///< filled ellipse: pts[0] centre, pts[1] radii
    Dots, ///< one pixel every pts[2].x pixels from pts[0] to pts[1], both ends included
};

struct Pt
{
    qint16 x;
    qint16 y;
};

inline constexpr int kMaxPoints = 16;

struct Shape
{
    Op op;
    Ink ink;
    quint8 count;
    std::array<Pt, kMaxPoints> pts;
};

constexpr Shape make(Op op, Ink ink, std::initializer_list<Pt> pts)
{
    if (pts.size() > kMaxPoints)
        throw "too many points in one shape"; // fails the constant evaluation
    Shape s{op, ink, static_cast<quint8>(pts.size()), {}};
    int i = 0;
    for (const Pt& p : pts)
        s.pts[i++] = p;
    return s;
}

constexpr Shape path(std::initializer_list<Pt> pts, Ink ink = Ink::Black)
{
    return make(Op::Path, ink, pts);
}
constexpr Shape line(qint16 x1, qint16 y1, qint16 x2, qint16 y2, Ink ink = Ink::Black)
{
    return make(Op::Path, ink, {{x1, y1}, {x2, y2}});
}
constexpr Shape dot(qint16 x, qint16 y, Ink ink = Ink::Black)
{
    return make(Op::Path, ink, {{x, y}});
}
constexpr Shape loop(std::initializer_list<Pt> pts, Ink ink = Ink::Black)
{
    return make(Op::Loop, ink, pts);
}
constexpr Shape fill(std::initializer_list<Pt> pts, Ink ink = Ink::Black)
{
    return make(Op::Fill, ink, pts);
}
/// Axis-aligned filled rectangle covering x1..x2 and y1..y2 inclusive.
constexpr Shape box(qint16 x1, qint16 y1, qint16 x2, qint16 y2, Ink ink = Ink::Black)
{
    return make(Op::Fill, ink, {{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}});
}
/// Circular arc; angles counter-clockwise from east, as on a compass turned to the screen.
constexpr Shape arc(qint16 cx, qint16 cy, qint16 r, qint16 start, qint16 span, Ink ink = Ink::Black)
{
    return make(Op::Arc, ink, {{cx, cy}, {r, r}, {start, span}});
}
constexpr Shape ring(qint16 cx, qint16 cy, qint16 r, Ink ink = Ink::Black)
{
    return make(Op::Ring, ink, {{cx, cy}, {r, r}});
}
constexpr Shape ellipseArc(qint16 cx, qint16 cy, qint16 rx, qint16 ry, qint16 start, qint16 span,
                           Ink ink = Ink::Black)
{
    return make(Op::Arc, ink, {{cx, cy}, {rx, ry}, {start, span}});
}
constexpr Shape disc(qint16 cx, qint16 cy, qint16 r, Ink ink = Ink::Black)
{
    return make(Op::Disc, ink, {{cx, cy}, {r, r}});
}
constexpr Shape dots(qint16 x1, qint16 y1, qint16 x2, qint16 y2, qint16 step = 2,
                     Ink ink = Ink::Black)
{
    return make(Op::Dots, ink, {{x1, y1}, {x2, y2}, {step, 0}});
}

/// What a corridor side offers its neighbour: no opening, walls at 10 and 20, or walls at 0
/// and 30 (the cell border). Only used for seams; rooms and markers leave it at None.
enum class Opening : quint8 { None, Narrow, Wide };

/// Openings on the north, east, south and west side, in that order.
using Sides = std::array<Opening, 4>;

inline constexpr Opening o_ = Opening::None;
inline constexpr Opening oN = Opening::Narrow;
inline constexpr Opening oW = Opening::Wide;

/// One drawing in its canonical orientation: width x height in canvas pixels (the image is one
/// pixel larger each way), its shapes and the openings its corridor walls leave.
struct Piece
{
    qint16 width;
    qint16 height;
    std::span<const Shape> shapes;
    Sides sides;
};

/// Mirror (x becomes width - x) first, then `turns` quarter turns clockwise.
struct Xform
{
    quint8 turns;
    bool mirror;
};

inline constexpr Xform kR0{0, false};
inline constexpr Xform kR90{1, false};
inline constexpr Xform kR180{2, false};
inline constexpr Xform kR270{3, false};
inline constexpr Xform kM0{0, true};
inline constexpr Xform kM90{1, true};

/// The usual order of a directional family: canonical, then turned clockwise three times.
/// Tiles of such a family are listed N, E, S, W (or NE, SE, SW, NW for corner pieces).
inline constexpr std::array<Xform, 4> kTurns{kR0, kR90, kR180, kR270};

} // namespace tessellon::tileart

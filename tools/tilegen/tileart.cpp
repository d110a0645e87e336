#include "tileart.h"

#include "tilefamilies.h"

#include <tilesizes.h>

#include <QPainter>
#include <QPen>
#include <QPoint>

#include <cmath>
#include <numbers>
#include <vector>

namespace tessellon::tileart {
namespace {

constexpr QRgb kInks[] = {
    qRgb(0, 0, 0),       // Black
    qRgb(128, 128, 128), // Grey
    qRgb(220, 0, 0),     // Red
    qRgb(0, 64, 224),    // Blue
    qRgb(0, 150, 0),     // Green
    qRgb(224, 160, 0),   // Gold
    qRgb(128, 64, 0),    // Brown
    qRgb(255, 224, 0),   // Yellow
};

// Points on an elliptic arc, rounded to whole pixels, close enough for the segments between
// them to stay smooth. Ends land exactly on the integer end points of quarter arcs.
std::vector<QPoint> arcPoints(Pt centre, Pt radii, double start, double span)
{
    const double r = std::max(radii.x, radii.y);
    const int steps = std::max(4, int(std::ceil(r * std::abs(span) / 90.0)));
    std::vector<QPoint> points;
    for (int i = 0; i <= steps; ++i) {
        const double a = (start + span * i / steps) * std::numbers::pi / 180.0;
        const QPoint p(int(std::lround(centre.x + radii.x * std::cos(a))),
                       int(std::lround(centre.y - radii.y * std::sin(a))));
        if (points.empty() || points.back() != p) points.push_back(p);
    }
    return points;
}

// The shape's outline in canonical coordinates (for Dots: the two end points).
std::vector<QPoint> canonicalPoints(const Shape& s)
{
    switch (s.op) {
    case Op::Arc:
        return arcPoints(s.pts[0], s.pts[1], s.pts[2].x, s.pts[2].y);
    case Op::Ring:
    case Op::Disc:
        return arcPoints(s.pts[0], s.pts[1], 0, 360);
    case Op::Dots:
        return {QPoint(s.pts[0].x, s.pts[0].y), QPoint(s.pts[1].x, s.pts[1].y)};
    default: {
        std::vector<QPoint> points;
        for (int i = 0; i < s.count; ++i)
            points.emplace_back(s.pts[i].x, s.pts[i].y);
        return points;
    }
    }
}

QPoint transformed(QPoint p, const Piece& piece, Xform xf)
{
    int w = piece.width;
    int h = piece.height;
    if (xf.mirror) p.setX(w - p.x());
    for (int t = 0; t < xf.turns; ++t) {
        p = QPoint(h - p.y(), p.x()); // a quarter turn clockwise in a w x h box
        std::swap(w, h);
    }
    return p;
}

void drawDots(QPainter& painter, QPoint a, QPoint b, int step)
{
    const int length = std::max(std::abs(b.x() - a.x()), std::abs(b.y() - a.y()));
    const int count = length / std::max(1, step);
    for (int i = 0; i <= count; ++i) {
        const QPoint d = count == 0 ? QPoint() : (b - a) * i / count;
        painter.drawPoint(a + d);
    }
}

void drawShape(QPainter& painter, const Shape& s, const TileArt& art)
{
    const Ink ink = s.ink == art.from ? art.to : s.ink;
    const QColor colour = QColor::fromRgb(kInks[int(ink)]);
    QPen pen(colour, 0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    painter.setPen(pen);
    std::vector<QPoint> points = canonicalPoints(s);
    for (QPoint& p : points)
        p = transformed(p, *art.piece, art.xf);

    switch (s.op) {
    case Op::Dots:
        drawDots(painter, points[0], points[1], s.pts[2].x);
        break;
    case Op::Fill:
    case Op::Disc:
        painter.setBrush(colour);
        painter.drawPolygon(points.data(), int(points.size()));
        painter.setBrush(Qt::NoBrush);
        break;
    case Op::Loop:
    case Op::Ring:
        painter.drawPolygon(points.data(), int(points.size()));
        break;
    default:
        painter.drawPolyline(points.data(), int(points.size()));
        break;
    }
    // Aliased polylines may leave out their last pixel; the vertices must all be there for
    // walls to reach the cell border.
    if (s.op != Op::Dots) painter.drawPoints(points.data(), int(points.size()));
}

} // namespace

QRgb inkColour(Ink ink) noexcept
{
    return kInks[int(ink)];
}

QImage renderTile(int n)
{
    const QSize size = tilePixelSize(n);
    if (size.width() == 0) return {};
    QImage image(size.width(), size.height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    const TileArt art = tileArt(n);
    if (art.piece == nullptr) return image; // the erasers and the blank 1 x 1 square
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const Shape& shape : art.piece->shapes)
        drawShape(painter, shape, art);
    return image;
}

Sides tileOpenings(int n) noexcept
{
    const TileArt art = tileArt(n);
    // Grey walls do not join black ones, so recoloured corridors offer no openings.
    if (art.piece == nullptr || (art.from == Ink::Black && art.to != Ink::Black))
        return {o_, o_, o_, o_};
    Sides sides = art.piece->sides;
    if (art.xf.mirror) std::swap(sides[1], sides[3]);
    for (int t = 0; t < art.xf.turns; ++t)
        sides = {sides[3], sides[0], sides[1], sides[2]}; // what faced west now faces north
    return sides;
}

} // namespace tessellon::tileart

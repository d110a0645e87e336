#pragma once

// Helpers shared by the canvas tests: tiles built here (black lines on white), an
// independent statement of where grid dots belong, and the grid pass written pixel by
// pixel through Point and PSet as the reference for the fast row walk.

#include "surface.h"

#include <QImage>
#include <QRandomGenerator>
#include <QRect>

namespace fixtures {

using tessellon::Surface;
using tessellon::VbColor;

inline QImage solidImage(int w, int h, VbColor c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(tessellon::toRgb32(c));
    return img;
}

// A white tile with a black frame and a black diagonal; `mark` shifts a black column so
// that tiles of one size can be told apart.
inline QImage lineTile(int w, int h, int mark = 0)
{
    QImage img = solidImage(w, h, tessellon::kWhite);
    const QRgb black = tessellon::toRgb32(tessellon::kBlack);
    for (int x = 0; x < w; ++x) {
        img.setPixel(x, 0, black);
        img.setPixel(x, h - 1, black);
    }
    for (int y = 0; y < h; ++y) {
        img.setPixel(0, y, black);
        img.setPixel(w - 1, y, black);
        img.setPixel(qMin(y, w - 1), y, black);
        img.setPixel((2 + mark) % w, y, black);
    }
    return img;
}

// Where the grid belongs, written from the dot rule rather than from the drawing loops.
inline bool onGrid(int x, int y)
{
    const bool vertical = x >= 30 && x % 30 == 0 && (y & 1) == 1;
    const bool horizontal = y >= 30 && y % 30 == 0 && (x & 1) == 1;
    return vertical || horizontal;
}

// The points a repair around the grid origin (gx, gy) looks at: vertical lines gx .. gx+120
// over rows gy-1 .. gy+119, horizontal lines gy .. gy+90 over columns gx-1 .. gx+89.
inline bool inRepair(int x, int y, int gx, int gy)
{
    const bool vertical = x % 30 == 0 && x >= gx && x <= gx + 120 && y >= gy - 1 && y <= gy + 119;
    const bool horizontal = y % 30 == 0 && y >= gy && y <= gy + 90 && x >= gx - 1 && x <= gx + 89;
    return onGrid(x, y) && (vertical || horizontal);
}

// The grid pass one pixel at a time: column by column, then row by row, probing x == W.
inline void naiveGridPass(Surface& s, VbColor from, VbColor to)
{
    for (int x = 30; x <= s.width(); x += 30)
        for (int y = 1; y <= s.height(); y += 2)
            if (s.Point(x, y) == from) s.PSet(x, y, to);
    for (int y = 30; y <= s.height(); y += 30)
        for (int x = 1; x <= s.width(); x += 2)
            if (s.Point(x, y) == from) s.PSet(x, y, to);
}

// A canvas of mixed pixels: mostly white, with grid-coloured, black and random colours
// sprinkled everywhere, on and off the grid positions.
inline Surface noisyCanvas(int w, int h, quint32 seed)
{
    QRandomGenerator rng(seed);
    Surface s(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const quint32 roll = rng.bounded(10u);
            if (roll == 0) s.PSet(x, y, tessellon::kGridColour);
            if (roll == 1) s.PSet(x, y, tessellon::kBlack);
            if (roll == 2) s.PSet(x, y, VbColor(rng.bounded(0x00800000u)));
        }
    }
    return s;
}

// The number of pixels that differ between two pictures of the same size.
inline int differences(const QImage& a, const QImage& b)
{
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += (a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF);
    return n;
}

} // namespace fixtures

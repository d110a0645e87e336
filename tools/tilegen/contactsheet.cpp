#include "contactsheet.h"

#include "tileart.h"

#include <tilesizes.h>

#include <QPainter>
#include <QString>

#include <vector>

namespace tessellon::tileart {
namespace {

// A 3 x 5 pixel digit font, one row per entry, bit 2 = left column. Our own glyphs keep the
// sheet identical on every machine, whatever fonts are installed.
constexpr unsigned char kDigits[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};

constexpr int kGlyphScale = 2;
constexpr int kGlyphAdvance = 4 * kGlyphScale;
constexpr int kLabelHeight = 5 * kGlyphScale;
constexpr int kGap = 6;
constexpr QRgb kBackground = 0xFFE4E8EE;

void drawNumber(QPainter& painter, int x, int y, int number)
{
    const QString text = QString::number(number);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (const QChar c : text) {
        const int digit = c.digitValue();
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 3; ++col)
                if (kDigits[digit][row] & (4 >> col))
                    painter.drawRect(x + col * kGlyphScale, y + row * kGlyphScale, kGlyphScale,
                                     kGlyphScale);
        x += kGlyphAdvance;
    }
}

struct Placement
{
    int tile;
    int x;
    int y;
};

// Flow layout: left to right, wrapping to a new line as tall as its tallest tile.
std::vector<Placement> layout(int scale, int maxWidth, int& sheetHeight)
{
    std::vector<Placement> placements;
    int x = kGap;
    int y = kGap;
    int lineHeight = 0;
    for (int n = kFirstTile; n <= kLastTile; ++n) {
        const QSize size = tilePixelSize(n);
        const int w = std::max(size.width() * scale, 3 * kGlyphAdvance);
        const int h = size.height() * scale + 3 + kLabelHeight;
        if (x + w + kGap > maxWidth && x > kGap) {
            x = kGap;
            y += lineHeight + kGap;
            lineHeight = 0;
        }
        placements.push_back({n, x, y});
        x += w + kGap;
        lineHeight = std::max(lineHeight, h);
    }
    sheetHeight = y + lineHeight + kGap;
    return placements;
}

} // namespace

QImage contactSheet(int scale, int maxWidth)
{
    int height = 0;
    const std::vector<Placement> placements = layout(scale, maxWidth, height);
    QImage sheet(maxWidth, height, QImage::Format_RGB32);
    sheet.fill(kBackground);
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const Placement& p : placements) {
        const QImage tile = renderTile(p.tile);
        const QSize size = tile.size() * scale;
        painter.drawImage(QRect(QPoint(p.x, p.y), size), tile);
        drawNumber(painter, p.x, p.y + size.height() + 3, p.tile);
    }
    return sheet;
}

} // namespace tessellon::tileart

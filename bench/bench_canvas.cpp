// Times the canvas hot paths against a naive version of each that goes through QImage's
// own per-pixel pixel() and setPixel(), one call per point, measured in the same run.
// Prints operation, median, baseline median and their ratio.

#include "benchstats.h"

#include "grid.h"
#include "stamping.h"
#include "surface.h"

#include <QImage>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

using namespace tessellon;

namespace {

constexpr int kSide = 5999; // the largest typed canvas size
constexpr int kSamples = 21;

using Clock = std::chrono::steady_clock;

// One timed operation: `reset` runs before every sample, outside the clock; `repeat`
// calls make one sample.
struct Timed
{
    std::function<void()> op;
    std::function<void()> reset = [] {};
    int repeat = 1;
};

double sampleMicros(const Timed& t)
{
    t.reset();
    const auto start = Clock::now();
    for (int r = 0; r < t.repeat; ++r)
        t.op();
    const std::chrono::duration<double, std::micro> took = Clock::now() - start;
    return took.count() / t.repeat;
}

// Medians in microseconds per call. The samples of the two alternate, so that load from
// other processes on the machine falls on both alike.
std::pair<double, double> medianMicros(const Timed& fast, const Timed& baseline)
{
    std::vector<double> f, b;
    for (int i = 0; i < kSamples; ++i) {
        f.push_back(sampleMicros(fast));
        b.push_back(sampleMicros(baseline));
    }
    return {median(f), median(b)};
}

// The naive pixel access: Point answers -1 outside, PSet ignores it.
VbColor naivePoint(const QImage& img, int x, int y)
{
    return img.valid(x, y) ? fromRgb32(img.pixel(x, y)) : kNoColour;
}

void naivePSet(QImage& img, int x, int y, VbColor c)
{
    if (img.valid(x, y)) img.setPixel(x, y, toRgb32(c));
}

void naiveGrid(QImage& img, VbColor from, VbColor to)
{
    for (int x = 30; x <= img.width(); x += 30)
        for (int y = 1; y <= img.height(); y += 2)
            if (naivePoint(img, x, y) == from) naivePSet(img, x, y, to);
    for (int y = 30; y <= img.height(); y += 30)
        for (int x = 1; x <= img.width(); x += 2)
            if (naivePoint(img, x, y) == from) naivePSet(img, x, y, to);
}

void naiveRepairPoint(QImage& img, int x, int y, bool gridOn)
{
    const VbColor c = naivePoint(img, x, y);
    if (c == kWhite && gridOn)
        naivePSet(img, x, y, kGridColour);
    else if (c == kGridColour && !gridOn)
        naivePSet(img, x, y, kWhite);
}

void naiveRepair(QImage& img, int left, int top, bool gridOn)
{
    const int gx = left - left % 30;
    const int gy = top - top % 30;
    for (int x = std::max(gx, 30); x <= gx + 120; x += 30)
        for (int y = gy - 1; y <= gy + 119; y += 2)
            naiveRepairPoint(img, x, y, gridOn);
    for (int y = std::max(gy, 30); y <= gy + 90; y += 30)
        for (int x = gx - 1; x <= gx + 89; x += 2)
            naiveRepairPoint(img, x, y, gridOn);
}

void naiveStamp(QImage& img, const QImage& tile, QPoint at, bool overlay)
{
    for (int y = 0; y < tile.height(); ++y) {
        for (int x = 0; x < tile.width(); ++x) {
            const VbColor t = fromRgb32(tile.pixel(x, y));
            const VbColor c = naivePoint(img, at.x() + x, at.y() + y);
            if (c != kNoColour) naivePSet(img, at.x() + x, at.y() + y, overlay ? (c & t) : t);
        }
    }
}

QImage lineTile(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(toRgb32(kWhite));
    for (int i = 0; i < std::min(w, h); ++i)
        img.setPixel(i, i, toRgb32(kBlack));
    return img;
}

struct Row
{
    const char* operation;
    std::pair<double, double> micros; // ours, baseline
};

void printTable(const std::vector<Row>& rows)
{
    std::printf("%-34s %14s %14s %8s\n", "operation", "median", "baseline", "ratio");
    for (const Row& r : rows)
        std::printf("%-34s %11.1f us %11.1f us %7.1fx\n", r.operation, r.micros.first,
                    r.micros.second, r.micros.second / r.micros.first);
}

// Full passes: drawing times a white canvas, erasing a fully gridded one, so every pass
// writes its 1.2 million dots.
void benchGrid(std::vector<Row>& rows)
{
    Surface canvas(kSide, kSide);
    QImage naive = canvas.image().copy();
    const auto naiveDraw = [&] { naiveGrid(naive, kWhite, kGridColour); };
    const auto naiveErase = [&] { naiveGrid(naive, kGridColour, kWhite); };
    rows.push_back({"DrawGrid 5999 x 5999",
                    medianMicros({[&] { DrawGrid(canvas); }, [&] { EraseGrid(canvas); }},
                                 {naiveDraw, naiveErase})});
    rows.push_back({"EraseGrid 5999 x 5999",
                    medianMicros({[&] { EraseGrid(canvas); }, [&] { DrawGrid(canvas); }},
                                 {naiveErase, naiveDraw})});
    bool on = false;
    const auto noReset = [] {};
    rows.push_back(
        {"RepairGridAtCursor (on/off)",
         medianMicros({[&] { RepairGridAtCursor(canvas, 3000, 3000, on = !on); }, noReset, 2000},
                      {[&] { naiveRepair(naive, 3000, 3000, on = !on); }, noReset, 2000})});
}

void benchStamps(std::vector<Row>& rows)
{
    Surface canvas(1200, 900);
    DrawGrid(canvas);
    QImage naive = canvas.image().copy();
    const QPoint at(600, 450);
    struct Case
    {
        const char* name;
        QImage tile;
        bool overlay;
    };
    const Case cases[] = {
        {"StampOverlay 31 x 31", lineTile(31, 31), true},
        {"StampReplace 31 x 31 (+ repair)", lineTile(31, 31), false},
        {"StampOverlay 121 x 91", lineTile(121, 91), true},
        {"StampReplace 121 x 91 (+ repair)", lineTile(121, 91), false},
    };
    const auto noReset = [] {};
    for (const Case& c : cases) {
        const auto fast = [&] {
            c.overlay ? StampOverlay(canvas, c.tile, at) : StampReplace(canvas, c.tile, at, true);
        };
        const auto slow = [&] {
            naiveStamp(naive, c.tile, at, c.overlay);
            if (!c.overlay) naiveRepair(naive, at.x(), at.y(), true);
        };
        rows.push_back({c.name, medianMicros({fast, noReset, 2000}, {slow, noReset, 2000})});
    }
}

} // namespace

int main()
{
    std::vector<Row> rows;
    benchGrid(rows);
    benchStamps(rows);
    printTable(rows);
    return 0;
}

// Times a Right key press that grows the canvas by one strip, grid on, on the real window,
// beside one QImage::copy of the same canvas measured in the same run. The goal is one
// frame (16 ms) at 3000 x 3000. Prints median and worst of each, the medians of the two
// parts of a press (the grown bitmap, the grid pass), and press over copy.

#include "benchstats.h"

#include "cursorshape.h"
#include "frmtessellon.h"
#include "grid.h"
#include "vbbuttons.h"

#include <QApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace tessellon;

namespace {

constexpr int kPresses = 30;
constexpr int kRightKey = 68; // D, the default binding of Right
constexpr int kSides[] = {3000, 5999};

using Clock = std::chrono::steady_clock;

struct Stats
{
    double median, worst;
};

Stats stats(const std::vector<double>& v)
{
    return {median(v), *std::max_element(v.begin(), v.end())};
}

double millisSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Press and copy samples alternate, so that load from other processes falls on both alike.
void measure(frmTessellon& w, int side)
{
    w.setCanvasSize(side, side);
    w.UpdateScrollRanges();
    w.DrawGrid();
    std::vector<double> press, copy, grow, grid;
    for (int i = 0; i < kPresses; ++i) {
        // outside the clock: back to a canvas that the next press must grow
        w.setCanvasSize(side, side);
        w.shpCursor->move(side - 60, 0);
        QCoreApplication::processEvents();

        auto start = Clock::now();
        w.cmdFob_KeyDown(kRightKey, 0);
        press.push_back(millisSince(start));
        if (w.Canvas.width() != side + 1) std::fprintf(stderr, "press %d did not grow\n", i);

        start = Clock::now();
        const QImage copied = w.Canvas.image().copy();
        copy.push_back(millisSince(start));
        if (copied.width() != w.Canvas.width()) std::fprintf(stderr, "bad copy\n");

        // the two parts of a press: the grown bitmap, and the grid pass over all of it
        w.Canvas.setSize(side, side);
        start = Clock::now();
        w.Canvas.setSize(side + 1, side);
        grow.push_back(millisSince(start));
        start = Clock::now();
        tessellon::DrawGrid(w.Canvas);
        grid.push_back(millisSince(start));
    }
    const Stats p = stats(press), c = stats(copy), g = stats(grow), d = stats(grid);
    std::printf("%5d x %-5d %10.2f %10.2f %10.2f %10.2f %10.2f %10.2f %7.2f\n", side, side,
                p.median, p.worst, c.median, c.worst, g.median, d.median, p.median / c.median);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    frmTessellon w(dir.path());
    w.show();
    QCoreApplication::processEvents();
    w.chkGrid->setValue(1);

    std::printf("Right key growing the canvas by one strip, grid on; %d presses each (ms)\n",
                kPresses);
    std::printf("%-13s %10s %10s %10s %10s %10s %10s %7s\n", "canvas", "press med", "press max",
                "copy med", "copy max", "grow med", "grid med", "ratio");
    for (int side : kSides)
        measure(w, side);
    return 0;
}

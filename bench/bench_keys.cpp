// Times key presses on the real window with the grid on, beside one QImage::copy of the
// same canvas measured in the same run:
// - 200 Right presses along the right edge of a 5999-high canvas, each growing it a strip;
// - 200 Down presses along the bottom edge of a 5999-wide canvas, likewise;
// - plain moves on a 5999 x 5999 canvas, which grow nothing.
// For the growing runs it also prints the peak resident memory over the presses (VmHWM,
// reset before them) against 1.25 x the final image + 80 MB.
// Goals: a growing press at most 8 ms median and 16 ms worst, a plain move under 1 ms.

#include "benchstats.h"

#include "cursorshape.h"
#include "frmtessellon.h"
#include "scrollbar.h"
#include "vbbuttons.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace tessellon;

namespace {

constexpr int kSide = 5999;
constexpr int kGrowingPresses = 200;
constexpr int kPlainPresses = 200;
// D, S and A, the default bindings of Right, Down and Left
constexpr int kRightKey = 68, kDownKey = 83, kLeftKey = 65;
constexpr double kMB = 1024.0 * 1024.0;

using Clock = std::chrono::steady_clock;

double worst(const std::vector<double>& v)
{
    return *std::max_element(v.begin(), v.end());
}

// One whole copy of the canvas, the baseline the presses are read against.
double copyMillis(const Surface& canvas)
{
    const auto start = Clock::now();
    const QImage copied = canvas.image().copy();
    const double ms = millisSince(start);
    if (copied.size() != canvas.size()) std::fprintf(stderr, "bad copy\n");
    return ms;
}

// Starts the high-water mark afresh at the present resident size.
void resetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly)) refs.write("5");
}

// A 5999 x 5999 canvas with the grid, the view at its top-left.
void freshCanvas(frmTessellon& w)
{
    w.setCanvasSize(kSide, kSide);
    w.UpdateScrollRanges();
    w.VScroll->setValueFromCode(1);
    w.HScroll->setValueFromCode(1);
    w.DrawGrid();
    QCoreApplication::processEvents();
}

// Times `count` presses of `key`; pending events (repainting) run between presses, off the
// clock, as they would between key repeats.
std::vector<double> press(frmTessellon& w, int key, int count)
{
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        const auto start = Clock::now();
        w.cmdFob_KeyDown(key, 0);
        times.push_back(millisSince(start));
        QCoreApplication::processEvents();
    }
    return times;
}

void growingRun(frmTessellon& w, bool right)
{
    freshCanvas(w);
    // one step before the last cell: every press from the first one grows the canvas
    const int edge = 30 * ((kSide - 31) / 30);
    w.shpCursor->move(right ? QPoint(edge, 0) : QPoint(0, edge));
    resetPeak();
    const double before = peakBytes();
    const std::vector<double> t = press(w, right ? kRightKey : kDownKey, kGrowingPresses);
    const double peak = peakBytes();
    const QSize grown = w.Canvas.size();
    const int along = right ? grown.width() : grown.height();
    if (along < kSide + 30 * (kGrowingPresses - 1))
        std::fprintf(stderr, "the canvas did not grow on every press\n");
    const double image = double(grown.width()) * grown.height() * 4;
    std::printf("%-6s %5d x %-5d %9.2f %9.2f %9.1f %9.0f %9.0f %9.0f\n", right ? "right" : "down",
                grown.width(), grown.height(), median(t), worst(t), copyMillis(w.Canvas),
                before / kMB, peak / kMB, (1.25 * image + 80 * kMB) / kMB);
}

void plainRun(frmTessellon& w)
{
    freshCanvas(w);
    // a shown cursor, as between blinks: a hidden one costs nothing to move
    w.tmrFlashCursor->stop();
    w.shpCursor->setVisible(true);
    w.shpCursor->move(2400, 2400);
    std::vector<double> t;
    for (int i = 0; i < kPlainPresses / 2; ++i)
        for (int key : {kRightKey, kLeftKey})
            t.push_back(press(w, key, 1).front());
    if (w.Canvas.size() != QSize(kSide, kSide)) std::fprintf(stderr, "a plain move grew\n");
    std::printf("%-6s %5d x %-5d %9.4f %9.4f %9.1f\n", "move", kSide, kSide, median(t), worst(t),
                copyMillis(w.Canvas));
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

    std::printf("Key presses with the grid on: %d growing presses right along a %d-high canvas "
                "and down along a %d-wide one, %d plain moves on %d x %d\n",
                kGrowingPresses, kSide, kSide, kPlainPresses, kSide, kSide);
    std::printf(
        "times in ms, memory in MB; peak over the presses, bound 1.25 x final image + 80\n");
    std::printf("%-6s %-13s %9s %9s %9s %9s %9s %9s\n", "run", "final canvas", "press med",
                "press max", "one copy", "before", "peak", "bound");
    growingRun(w, true);
    growingRun(w, false);
    plainRun(w);
    return 0;
}

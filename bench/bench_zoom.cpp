// Times the zoomed-out view of a drawn 5999 x 5999 map on the real window, beside a plain
// QImage::scaled() of the whole map to the same fitted size, measured in the same run:
// - each Ctrl + wheel step out and back in, with the view repainted;
// - the whole map fitted into the view, repainted;
// - a step out to the whole map after a stamp at 1:1 (the copies brought up to date from
//   the stamp's rectangle);
// - making the copies from the whole map at once, and one slice of 512 map rows of the
//   same work as the window does it while the map is still;
// - QImage::scaled() with smoothing, which averages lines away to grey, for comparison.
// Goals: each step and the whole-map paint within 16 ms; the copies at most a third of
// the map's memory.

#include "benchmap.h"
#include "benchstats.h"

#include "cursorshape.h"
#include "frmtessellon.h"
#include "picturebox.h"
#include "zoomview.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QWheelEvent>

#include <chrono>
#include <cstdio>

using namespace tessellon;

namespace {

constexpr int kSide = 5999;
constexpr int kRounds = 11;
using Clock = std::chrono::steady_clock;

// One Ctrl + wheel notch over the view's centre (out when `out`), then a repaint.
double timedStep(frmTessellon& w, bool out)
{
    QWidget* over = w.Zoom->step() == 0 ? static_cast<QWidget*>(w.picCanvas) : w.Zoom->box();
    const QPointF global =
        w.picScrollContainer->mapToGlobal(QPointF(w.picScrollContainer->rect().center()));
    QWheelEvent e(over->mapFromGlobal(global), global, QPoint(), QPoint(0, out ? -120 : 120),
                  Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    const auto start = Clock::now();
    QApplication::sendEvent(over, &e);
    (w.Zoom->step() == 0 ? static_cast<QWidget*>(w.picCanvas) : w.Zoom->box())->repaint();
    return millisSince(start);
}

double timed(const std::function<void()>& op)
{
    const auto start = Clock::now();
    op();
    return millisSince(start);
}

void row(const char* name, const std::vector<double>& ms, double baseline)
{
    std::printf("%-34s %8.2f ms   %5.2f x baseline\n", name, median(ms), median(ms) / baseline);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    frmTessellon w(dir.path());
    w.show();
    QImage map = drawnMap(kSide);
    if (!w.setCanvasPicture(std::move(map))) return 1;
    w.UpdateScrollRanges();
    w.DrawGrid();
    QCoreApplication::processEvents();

    const QSize fitArea = w.picScrollContainer->size() - QSize(10, 10);
    const QSize fitted = w.Canvas.size().scaled(fitArea, Qt::KeepAspectRatio);
    std::vector<double> baseline, smooth, build, slice, steps[8], whole, afterStamp;
    for (int r = 0; r < kRounds; ++r) {
        baseline.push_back(timed([&] { (void)w.Canvas.image().scaled(fitted); }));
        Overview fresh;
        build.push_back(
            timed([&] { fresh.prepare(w.Canvas.size(), fitArea), fresh.sync(w.Canvas); }));
        smooth.push_back(timed([&] {
            (void)w.Canvas.image().scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }));
        fresh.damage();
        while (fresh.dirty())
            slice.push_back(timed([&] { fresh.syncRows(w.Canvas, 512); }));
        for (int i = 0; i < 8; ++i)
            steps[i].push_back(timedStep(w, i < 4));
        timedStep(w, true), timedStep(w, true), timedStep(w, true), timedStep(w, true);
        whole.push_back(timed([&] { w.Zoom->box()->repaint(); }));
        w.Zoom->leave();
        w.shpCursor->move(30 * (r + 10), 30 * (r + 10));
        w.StampOverlay(99);
        afterStamp.push_back(timed([&] {
            for (int i = 0; i < 4; ++i)
                timedStep(w, true);
        }));
        w.Zoom->leave();
    }
    const double base = median(baseline);
    std::printf("zoomed-out view of a %d x %d map, medians of %d\n", kSide, kSide, kRounds);
    std::printf("%-34s %8.2f ms\n", "baseline: QImage::scaled to fit", base);
    const char* names[8] = {"step 1:1 -> 1/2",       "step 1/2 -> 1/4",       "step 1/4 -> 1/8",
                            "step 1/8 -> whole map", "step whole map -> 1/8", "step 1/8 -> 1/4",
                            "step 1/4 -> 1/2",       "step 1/2 -> 1:1"};
    for (int i = 0; i < 8; ++i)
        row(names[i], steps[i], base);
    row("whole map repainted", whole, base);
    row("four steps out after a stamp", afterStamp, base);
    row("copies made from the whole map", build, base);
    row("one idle slice of 512 map rows", slice, base);
    row("smooth QImage::scaled (averages)", smooth, base);
    const double mapBytes = double(w.Canvas.width()) * w.Canvas.height() * 4;
    std::printf("copies: %.1f MB, %.3f of the map's %.1f MB (goal at most 0.333)\n",
                w.Zoom->overview().bytes() / 1e6, w.Zoom->overview().bytes() / mapBytes,
                mapBytes / 1e6);
    return 0;
}

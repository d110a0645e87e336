// Loads and saves as the user meets them, each beside a baseline of the same run:
// - a 5999 x 5999 map typed into the real window's Load and Save boxes, beside ImageMagick's
//   convert reading and writing the same file (goal: load + save at most 0.25 x convert);
// - how soon a stop ends long loads and saves on a worker thread at any stage (goal: 300 ms),
//   beside the time the whole load or save takes, and that the bar has moved by then.

#include "benchmap.h"
#include "benchstats.h"
#include "slowjpeg.h"

#include "frmtessellon.h"
#include "mapfile.h"
#include "progress.h"
#include "vbbuttons.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <chrono>
#include <cstdio>
#include <memory>

using namespace tessellon;

namespace {

constexpr int kSide = 5999;
constexpr int kSamples = 7;

using Clock = std::chrono::steady_clock;

// Qt's own boxes, but the names typed into the Load and Save boxes come from here.
class TypedNames : public QtDialogs
{
public:
    using QtDialogs::QtDialogs;
    QString name;
    QString InputBox(const QString&, const QString&, const QString&) override { return name; }
};

void boxRuns(const QString& dir)
{
    const QString in = dir + "/map.bmp";
    if (!writeBitmap(drawnMap(kSide), in, nullptr)) std::printf("writing the map failed\n");
    auto* names = new TypedNames(nullptr);
    frmTessellon w(dir, std::unique_ptr<Dialogs>(names));
    w.show();
    QApplication::processEvents();
    const std::vector<BenchRow> rows = {
        {"Load box: map", [&] {
             names->name = "map";
             w.cmdLoad->click();
             return w.Canvas.size() == QSize(kSide, kSide);
         }},
        {"Save box: out", [&] {
             names->name = "out";
             w.cmdSave->click();
             return w.windowTitle() == "Tessellon out.bmp";
         }},
        {"convert in.bmp out.bmp",
         [&] { return runProgram(kConvert, {in, dir + "/magick.bmp"}); }},
    };
    const std::vector<double> ms = medianMillis(rows, kSamples);
    std::printf("%d x %d map, %.1f MB, median of %d\n", kSide, kSide, QFile(in).size() / 1e6,
                kSamples);
    for (size_t i = 0; i < rows.size(); ++i)
        std::printf("  %-26s %8.1f ms\n", qPrintable(rows[i].name), ms[i]);
    std::printf("  load + save vs convert: %.2f x (goal at most 0.25)\n", (ms[0] + ms[1]) / ms[2]);
}

// The whole of `work`, then how long it runs on after a stop requested early, halfway and
// late (so every stage is met), and where the bar stood when the stop came.
void cancelRun(const char* what, const std::function<bool(Progress&)>& work)
{
    Progress whole;
    auto start = Clock::now();
    const bool done = work(whole);
    const double full = millisSince(start);
    std::printf("  %-34s %7.0f ms%s", what, full, done ? "" : " (failed)");
    for (const double at : {0.05, 0.5, 0.95}) {
        Progress stopped;
        std::unique_ptr<QThread> t(QThread::create([&] { work(stopped); }));
        t->start();
        QThread::msleep(static_cast<unsigned long>(full * at));
        start = Clock::now();
        const int bar = stopped.permille();
        stopped.requestStop();
        t->wait();
        std::printf("  %5.1f ms (bar %4.1f %%)", millisSince(start), bar / 10.0);
    }
    std::printf("\n");
}

void cancelRuns(const QString& dir)
{
    std::printf("stopped at 5 %%, 50 %% and 95 %% of the time the whole work takes: how long it ran "
                "on after the stop\n");
    const auto load = [](const QString& path) {
        return [path](Progress& p) { return !readPicture(path, &p).image.isNull(); };
    };
    const QString slow = dir + "/slow.jpg", photo = dir + "/photo.jpg", png = dir + "/big.png";
    for (const auto& [path, bytes] : {std::pair{slow, slowjpeg::refiningJpeg(6144)},
                                      std::pair{photo, slowjpeg::refiningJpeg(9000, 0)}}) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) return;
    }
    runProgram(kConvert, {dir + "/map.bmp", "-resize", "200%", png});
    cancelRun("6144^2 JPEG, 499 refining scans", load(slow));
    cancelRun("9000^2 progressive JPEG", load(photo));
    cancelRun("11998^2 PNG map", load(png));
    const QImage big = drawnMap(12000);
    cancelRun("save 12000^2 bitmap (432 MB)", [&](Progress& p) {
        return writeMap(big, dir + "/big.bmp", MapFormat::Bmp, nullptr, systemFileCalls(), &p);
    });
    cancelRun("save 12000^2 PNG", [&](Progress& p) {
        return writeMap(big, dir + "/big2.png", MapFormat::Png, nullptr, systemFileCalls(), &p);
    });
    const QImage largest = drawnMap(16384); // its colour scan alone takes half a second
    cancelRun("save 16384^2 PNG", [&](Progress& p) {
        return writeMap(largest, dir + "/big3.png", MapFormat::Png, nullptr, systemFileCalls(), &p);
    });
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    boxRuns(dir.path());
    cancelRuns(dir.path());
    return 0;
}

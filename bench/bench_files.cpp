// Times saving and loading a 5999 x 5999 map through writeBitmap and readPicture beside
// ImageMagick's convert reading and writing the same file, and cp copying its bytes, all
// in the same run. Then measures the peak memory of a child process that loads, holds
// and saves the map. Prints medians and ratios; exits non-zero when the memory bound or a
// round trip fails.

#include "benchstats.h"

#include "mapfile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

using namespace tessellon;

namespace {

constexpr int kSide = 5999; // the largest typed canvas size
constexpr int kSamples = 7;
constexpr const char* kConvert = "/usr/bin/convert"; // the real one, not a stand-in on PATH
constexpr double kImageBytes = double(kSide) * kSide * 4;
constexpr double kPeakBound = 2.2 * kImageBytes + 80e6;

using Clock = std::chrono::steady_clock;

struct Row
{
    const char* name;
    std::function<bool()> op;
};

bool run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Black lines every 30 pixels and a few filled rooms on white: what a drawn map holds.
QImage makeMap()
{
    QImage map(kSide, kSide, QImage::Format_RGB32);
    map.fill(Qt::white);
    QPainter p(&map);
    p.setPen(Qt::black);
    for (int i = 0; i < kSide; i += 30) {
        p.drawLine(i, 0, i, kSide - 1);
        p.drawLine(0, i, kSide - 1, i);
    }
    for (int i = 0; i < 50; ++i)
        p.fillRect(i * 113 % 5000, i * 71 % 5000, 240, 180, Qt::gray);
    return map;
}

// Child modes: "--peak in out" loads, holds and saves; "--idle" only starts.
int childMain(const QStringList& args)
{
    if (args[1] == "--peak") {
        const PictureResult r = readPicture(args[2]);
        if (r.image.isNull() || !writeBitmap(r.image, args[3], nullptr)) return 2;
    }
    std::printf("%lld\n", peakBytes());
    return 0;
}

qint64 childPeak(const QStringList& args)
{
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), args);
    if (!p.waitForFinished(-1) || p.exitCode() != 0) return -1;
    return p.readAllStandardOutput().trimmed().toLongLong();
}

// Medians in milliseconds; the samples of all rows alternate, so that load from other
// processes on the machine falls on each alike.
std::vector<double> medianMillis(const std::vector<Row>& rows)
{
    std::vector<std::vector<double>> ms(rows.size());
    for (int s = 0; s < kSamples; ++s)
        for (size_t i = 0; i < rows.size(); ++i) {
            const auto start = Clock::now();
            if (!rows[i].op()) std::printf("%s failed\n", rows[i].name);
            ms[i].push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
    std::vector<double> medians;
    for (const auto& m : ms)
        medians.push_back(median(m));
    return medians;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() > 1) return childMain(args);

    QTemporaryDir dir;
    const QString in = dir.filePath("map.bmp");
    const QImage map = makeMap();
    if (!writeBitmap(map, in, nullptr) || readPicture(in).image != map) {
        std::printf("round trip of the map failed\n");
        return 1;
    }
    const bool haveConvert = QFileInfo::exists(kConvert);
    std::vector<Row> rows = {
        {"save  writeBitmap", [&] { return writeBitmap(map, dir.filePath("ours.bmp"), nullptr); }},
        {"load  readPicture", [&] { return !readPicture(in).image.isNull(); }},
        {"cp    same bytes",
         [&] {
             return run("cp", {in, dir.filePath("copy.bmp")});
         }},
        // The save syncs its data before the rename; the fair baseline for it does too.
        {"cp + sync of the copy",
         [&] {
             const QString script = "cp \"$1\" \"$2\" && sync \"$2\"";
             return run("sh", {"-c", script, "sh", in, dir.filePath("synced.bmp")});
         }},
    };
    if (haveConvert)
        rows.push_back({"convert in.bmp out.bmp", [&] {
                            return run(kConvert, {in, dir.filePath("magick.bmp")});
                        }});
    const std::vector<double> ms = medianMillis(rows);

    const double save = ms[0], load = ms[1], cp = ms[2], cpSync = ms[3];
    std::printf("%d x %d map, %.1f MB file, median of %d\n", kSide, kSide,
                QFileInfo(in).size() / 1e6, kSamples);
    std::printf("%-24s %10s %8s\n", "operation", "ms", "x cp");
    for (size_t i = 0; i < rows.size(); ++i)
        std::printf("%-24s %10.1f %8.2f\n", rows[i].name, ms[i], ms[i] / cp);
    std::printf("%-24s %10.1f %8.2f\n", "load + save", load + save, (load + save) / cp);
    if (haveConvert) {
        std::printf("load + save vs convert: %.2f x (goal below 1)\n", (load + save) / ms[4]);
    } else {
        std::printf("convert: %s missing, comparison skipped\n", kConvert);
    }
    std::printf(
        "load vs cp: %.2f x, save vs cp: %.2f x, save vs cp + sync: %.2f x (goal at most 3)\n",
        load / cp, save / cp, save / cpSync);

    const qint64 idle = childPeak({"--idle"});
    const qint64 peak = childPeak({"--peak", in, dir.filePath("child.bmp")});
    std::printf("peak memory (VmHWM): idle child %.1f MB, load + hold + save %.1f MB, bound %.1f MB"
                " (image %.1f MB)\n",
                idle / 1e6, peak / 1e6, kPeakBound / 1e6, kImageBytes / 1e6);
    return peak > 0 && peak <= kPeakBound ? 0 : 1;
}

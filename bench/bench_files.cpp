// Times saving and loading a 5999 x 5999 map through writeBitmap and readPicture beside
// ImageMagick's convert reading and writing the same file, and cp (on Windows the system's
// CopyFileW) copying its bytes, all in the same run. Then measures the peak memory of a child
// process that loads, holds and saves the map. Prints medians and ratios; exits non-zero when the
// memory bound or a round trip fails.

#include "benchmap.h"
#include "benchstats.h"

#include "mapfile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace tessellon;

namespace {

constexpr int kSide = 5999; // the largest typed canvas size
constexpr int kSamples = 7;
constexpr double kImageBytes = double(kSide) * kSide * 4;
constexpr double kPeakBound = 2.2 * kImageBytes + 80e6;

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

#ifdef _WIN32
// A copy of `from` by the system, flushed to the disk when `flush`, as a save is.
bool copied(const QString& from, const QString& to, bool flush)
{
    QFile::remove(to);
    if (!QFile::copy(from, to)) return false;
    if (!flush) return true;
    const HANDLE file = CreateFileW(to.toStdWString().c_str(), GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    const bool ok = file != INVALID_HANDLE_VALUE && FlushFileBuffers(file);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return ok;
}
#endif

qint64 childPeak(const QStringList& args)
{
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), args);
    if (!p.waitForFinished(-1) || p.exitCode() != 0) return -1;
    return p.readAllStandardOutput().trimmed().toLongLong();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() > 1) return childMain(args);

    QTemporaryDir dir;
    const QString in = dir.filePath("map.bmp");
    const QImage map = drawnMap(kSide);
    if (!writeBitmap(map, in, nullptr) || readPicture(in).image != map) {
        std::printf("round trip of the map failed\n");
        return 1;
    }
#ifdef _WIN32
    const bool haveConvert = false; // Wine would start Linux's own, handing it Windows paths
    const char* const noConvert = "not run by the Windows build";
#else
    const bool haveConvert = QFileInfo::exists(kConvert);
    const char* const noConvert = "/usr/bin/convert missing";
#endif
    std::vector<BenchRow> rows = {
        {"save  writeBitmap", [&] { return writeBitmap(map, dir.filePath("ours.bmp"), nullptr); }},
        {"load  readPicture", [&] { return !readPicture(in).image.isNull(); }},
#ifdef _WIN32 // no cp here: the system's own copy is the floor
        {"CopyFileW same bytes", [&] { return copied(in, dir.filePath("copy.bmp"), false); }},
        {"CopyFileW + flush", [&] { return copied(in, dir.filePath("synced.bmp"), true); }},
#else
        {"cp    same bytes",
         [&] {
             return runProgram("cp", {in, dir.filePath("copy.bmp")});
         }},
        // The save syncs its data before the rename; the fair baseline for it does too.
        {"cp + sync of the copy",
         [&] {
             const QString script = "cp \"$1\" \"$2\" && sync \"$2\"";
             return runProgram("sh", {"-c", script, "sh", in, dir.filePath("synced.bmp")});
         }},
#endif
    };
    if (haveConvert)
        rows.push_back({"convert in.bmp out.bmp", [&] {
                            return runProgram(kConvert, {in, dir.filePath("magick.bmp")});
                        }});
    const std::vector<double> ms = medianMillis(rows, kSamples);

    const double save = ms[0], load = ms[1], cp = ms[2], cpSync = ms[3];
    std::printf("%d x %d map, %.1f MB file, median of %d\n", kSide, kSide,
                QFileInfo(in).size() / 1e6, kSamples);
    std::printf("%-24s %10s %8s\n", "operation", "ms", "x copy");
    for (size_t i = 0; i < rows.size(); ++i)
        std::printf("%-24s %10.1f %8.2f\n", qPrintable(rows[i].name), ms[i], ms[i] / cp);
    std::printf("%-24s %10.1f %8.2f\n", "load + save", load + save, (load + save) / cp);
    if (haveConvert) {
        std::printf("load + save vs convert: %.2f x (goal below 1)\n", (load + save) / ms[4]);
    } else {
        std::printf("convert: %s, comparison skipped\n", noConvert);
    }
    std::printf("load vs copy: %.2f x, save vs copy: %.2f x, save vs copy + sync: %.2f x (goal at "
                "most 3)\n",
                load / cp, save / cp, save / cpSync);

    const qint64 idle = childPeak({"--idle"});
    const qint64 peak = childPeak({"--peak", in, dir.filePath("child.bmp")});
    std::printf("peak memory: idle child %.1f MB, load + hold + save %.1f MB, bound %.1f MB"
                " (image %.1f MB)\n",
                idle / 1e6, peak / 1e6, kPeakBound / 1e6, kImageBytes / 1e6);
    return peak > 0 && peak <= kPeakBound ? 0 : 1;
}

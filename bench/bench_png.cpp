// Times saving a 5999 x 5999 drawn map as a PNG beside saving it as a bitmap, both through
// writeMap, in the same run, and compares the file sizes. Checks that the PNG decodes to
// exactly the map through readPicture, ImageMagick's convert and Python's Pillow (each
// where present). Exits non-zero when a goal is missed: PNG save at most 3 x the bitmap
// save, PNG file at most 1/20 of the bitmap. With --sweep, first times every compression
// setting considered, on the line map and on one with more than 256 colours.

#include "benchmap.h"
#include "benchstats.h"

#include "mapfile.h"
#include "pngwriter.h"
#include "replacefile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <utility>

using namespace tessellon;

namespace {

constexpr int kSide = 5999;
constexpr int kSamples = 7;

// The line map with a colour wash over a corner: a map past 256 colours, saved as RGB.
QImage washedMap(int side)
{
    QImage map = drawnMap(side);
    for (int y = 0; y < 1500; ++y) {
        auto* row = reinterpret_cast<QRgb*>(map.scanLine(y));
        for (int x = 0; x < 1500; ++x)
            row[x] &= qRgb(255 - x / 8, 255 - y / 8, 200 + (x + y) % 56);
    }
    return map;
}

// The pixels as R, G, B bytes, as decoders print them.
QByteArray rgbBytes(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    QByteArray out;
    for (int y = 0; y < rgb.height(); ++y)
        out.append(reinterpret_cast<const char*>(rgb.constScanLine(y)), rgb.width() * 3);
    return out;
}

// "same", "differs" or "missing": what `program` prints as the file's RGB bytes.
const char* decodedBy(const QString& program, const QStringList& args, const QByteArray& want)
{
    if (!QFileInfo(program).isExecutable()) return "missing";
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(-1) || p.exitCode() != 0) return "missing";
    return p.readAllStandardOutput() == want ? "same" : "differs";
}

bool savePng(const QImage& map, const QString& path, const PngSettings& s)
{
    ReplacingFile out(path);
    return out.open() && writePngPixels(out, map, s) && out.commit();
}

const char* filterName(PngFilter f)
{
    static const char* const names[] = {"none", "sub", "up", "paeth", "all"};
    return names[int(f)];
}

// One line per setting: median of three saves and the file size.
void sweep(const QImage& map, const QString& path, PngCompression PngSettings::*kind)
{
    std::printf("%-5s %-7s %-6s %10s %10s\n", "level", "zlib", "filter", "ms", "KB");
    // zlib's run-length strategy ignores the level
    const std::pair<int, bool> zlib[] = {{1, true},  {1, false}, {2, false},
                                         {3, false}, {6, false}, {9, false}};
    for (const auto& [level, rle] : zlib)
        for (PngFilter f : {PngFilter::None, PngFilter::Up, PngFilter::Paeth, PngFilter::All}) {
            PngSettings s;
            s.*kind = {level, rle, f};
            const double ms = medianMillis({{"png", [&] { return savePng(map, path, s); }}}, 3)[0];
            std::printf("%-5d %-7s %-6s %10.1f %10.1f\n", level, rle ? "rle" : "default",
                        filterName(f), ms, QFileInfo(path).size() / 1e3);
            std::fflush(stdout);
        }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString bmp = dir.filePath("map.bmp"), png = dir.filePath("map.png");
    const QImage map = drawnMap(kSide);
    if (app.arguments().contains("--sweep")) {
        std::printf("line map (palette):\n");
        sweep(map, png, &PngSettings::palette);
        std::printf("washed map (RGB):\n");
        sweep(washedMap(kSide), png, &PngSettings::rgb);
    }
    const std::vector<double> ms =
        medianMillis({{"bmp", [&] { return writeMap(map, bmp, MapFormat::Bmp, nullptr); }},
                      {"png", [&] { return writeMap(map, png, MapFormat::Png, nullptr); }}},
                     kSamples);
    const double bmpBytes = QFileInfo(bmp).size(), pngBytes = QFileInfo(png).size();
    std::printf("%d x %d line map, median of %d\n", kSide, kSide, kSamples);
    std::printf("save as bitmap %8.1f ms %10.1f KB\n", ms[0], bmpBytes / 1e3);
    std::printf("save as PNG    %8.1f ms %10.1f KB\n", ms[1], pngBytes / 1e3);
    std::printf("PNG / bitmap: time %.2f (goal at most 3), size 1/%.0f (goal at most 1/20)\n",
                ms[1] / ms[0], bmpBytes / pngBytes);

    const bool ours = readPicture(png).image == map;
    const QByteArray want = rgbBytes(map);
    const char* magick = decodedBy(kConvert, {png, "-depth", "8", "rgb:-"}, want);
    const char* pillow =
        decodedBy("/usr/bin/python3",
                  {"-c",
                   "import sys; from PIL import Image; "
                   "sys.stdout.buffer.write(Image.open(sys.argv[1]).convert('RGB').tobytes())",
                   png},
                  want);
    std::printf("decodes to the map: readPicture %s, convert %s, Pillow %s\n",
                ours ? "same" : "differs", magick, pillow);
    const bool exact = ours && qstrcmp(magick, "differs") != 0 && qstrcmp(pillow, "differs") != 0;
    return exact && ms[1] <= 3 * ms[0] && pngBytes * 20 <= bmpBytes ? 0 : 1;
}

// Times loading a 5999 x 5999 PNG and a JPEG of the same map through readPicture beside
// Qt's own QImageReader (to the canvas format) and ImageMagick's convert decoding the same
// file, all in the same run; then how long a small crafted progressive JPEG of 4096 x 4096
// pixels and 20,000 copies of one scan takes to be refused. Prints medians and ratios.

#include "benchmap.h"
#include "benchstats.h"

#include "mapfile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

using namespace tessellon;

namespace {

constexpr int kSide = 5999; // the largest typed canvas size
constexpr int kSamples = 9;

using Clock = std::chrono::steady_clock;

// Black lines every 30 pixels, coloured rooms and a shaded band on white: a drawn map with
// some of everything a photograph-free map holds.
QImage makeMap()
{
    QImage map = drawnMap(kSide);
    QPainter p(&map);
    for (int i = 0; i < 50; ++i) // the rooms coloured
        p.fillRect(i * 113 % 5000, i * 71 % 5000, 240, 180, QColor::fromHsv(i * 7 % 360, 160, 200));
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 20000; ++i) { // marks scattered over it, their edges smoothed
        p.setBrush(QColor::fromHsv(i * 13 % 360, 200, 150 + i % 100));
        p.drawEllipse(i * 7919 % kSide, i * 6271 % kSide, 9 + i % 20, 7 + i % 13);
    }
    QLinearGradient shade(0, 0, kSide, 0);
    shade.setColorAt(0, Qt::darkGreen);
    shade.setColorAt(1, Qt::darkBlue);
    p.fillRect(0, 2000, kSide, 600, shade);
    return map;
}

bool qtLoads(const QString& path)
{
    QImageReader reader(path);
    QImage img = reader.read();
    if (img.isNull()) return false;
    img.convertTo(QImage::Format_RGB32);
    return img.width() == kSide;
}

// Where the `n`th scan of `jpeg` starts and where its data ends: at the next marker that
// is neither a stuffed byte nor a restart.
std::pair<qsizetype, qsizetype> scanAt(const QByteArray& jpeg, int n)
{
    qsizetype start = -1;
    for (int i = 0; i < n; ++i)
        if ((start = jpeg.indexOf("\xFF\xDA", start + 1)) < 0) return {-1, -1};
    qsizetype end = start + 2;
    while (end + 1 < jpeg.size() &&
           !(jpeg[end] == char(0xFF) && jpeg[end + 1] != 0 && uchar(jpeg[end + 1]) < 0xD0))
        ++end;
    return {start, end};
}

// A blank 4096 x 4096 progressive JPEG whose second scan (a few bytes of empty
// coefficients) is repeated 20,000 times.
QByteArray scanFlood()
{
    QImage blank(4096, 4096, QImage::Format_RGB32);
    blank.fill(Qt::gray);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPEG");
    writer.setProgressiveScanWrite(true);
    if (!writer.write(blank)) return {};
    const auto [start, end] = scanAt(bytes, 2);
    if (start < 0) return {};
    QByteArray flood = bytes.left(end);
    for (int i = 0; i < 20000; ++i)
        flood += bytes.mid(start, end - start);
    return flood + bytes.mid(end);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QImageReader::setAllocationLimit(0); // Qt's reader as the baseline, at any size
    QTemporaryDir dir;
    const QImage map = makeMap();
    const QString png = dir.filePath("map.png"), jpeg = dir.filePath("map.jpg");
    if (!map.save(png, "PNG") || !map.save(jpeg, "JPEG", 90) || readPicture(png).image != map) {
        std::printf("the test pictures could not be made or the PNG does not read back\n");
        return 1;
    }
    const bool haveConvert = QFileInfo::exists(kConvert);
    std::vector<BenchRow> rows;
    for (const QString& path : {png, jpeg}) {
        const QString kind = QFileInfo(path).suffix().toUpper();
        rows.push_back(
            {kind + " readPicture", [path] { return !readPicture(path).image.isNull(); }});
        rows.push_back({kind + " QImageReader", [path] { return qtLoads(path); }});
        if (haveConvert)
            rows.push_back({kind + " convert to null:", [path] {
                                return runProgram(kConvert, {path, QStringLiteral("null:")});
                            }});
    }
    const std::vector<double> ms = medianMillis(rows, kSamples);
    std::printf("%d x %d map: PNG %.1f MB, JPEG %.1f MB, median of %d\n", kSide, kSide,
                QFileInfo(png).size() / 1e6, QFileInfo(jpeg).size() / 1e6, kSamples);
    std::printf("%-26s %10s %10s\n", "load", "ms", "x Qt");
    const size_t perKind = haveConvert ? 3 : 2;
    for (size_t i = 0; i < rows.size(); ++i)
        std::printf("%-26s %10.1f %10.2f\n", qPrintable(rows[i].name), ms[i],
                    ms[i] / ms[i - i % perKind + 1]);
    std::printf("goal: readPicture at most 1.00 x Qt (PNG %.2f, JPEG %.2f)\n", ms[0] / ms[1],
                ms[perKind] / ms[perKind + 1]);
    if (!haveConvert) std::printf("convert: %s missing, comparison skipped\n", kConvert);

    const QByteArray flood = scanFlood();
    QBuffer floodBuffer;
    floodBuffer.setData(flood);
    floodBuffer.open(QIODevice::ReadOnly);
    const auto start = Clock::now();
    const PictureResult refused = readPicture(floodBuffer);
    const double floodMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::printf("crafted JPEG, 4096 x 4096, %.0f KB, 20,000 copies of one scan: %s in %.1f ms\n",
                flood.size() / 1e3, refused.image.isNull() ? "refused" : "LOADED", floodMs);
    return refused.image.isNull() && !flood.isEmpty() ? 0 : 1;
}

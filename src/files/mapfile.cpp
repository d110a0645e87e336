#include "mapfile.h"

#include "bmpformat.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QSaveFile>

namespace tessellon {

namespace {

constexpr int kBudgetMiB = int(kPictureBudgetBytes >> 20);

// Qt's allocation limit is process-wide; hold ours only while we decode.
class AllocationLimit
{
public:
    explicit AllocationLimit(int mib) : old_(QImageReader::allocationLimit())
    {
        QImageReader::setAllocationLimit(mib);
    }
    ~AllocationLimit() { QImageReader::setAllocationLimit(old_); }
    AllocationLimit(const AllocationLimit&) = delete;
    AllocationLimit& operator=(const AllocationLimit&) = delete;

private:
    int old_;
};

PictureResult failure(const QString& why)
{
    return {QImage(), why};
}

QString tooLarge(QSize s)
{
    return QStringLiteral("the picture is too large (%1 x %2 pixels)")
        .arg(s.width())
        .arg(s.height());
}

// The canvas is opaque RGB32: transparent parts go onto white, everything else converts.
QImage toCanvasFormat(QImage image)
{
    if (image.format() == QImage::Format_RGB32) return image;
    if (!image.hasAlphaChannel()) return image.convertToFormat(QImage::Format_RGB32);
    QImage out(image.size(), QImage::Format_RGB32);
    if (out.isNull()) return out;
    out.fill(Qt::white);
    QPainter p(&out);
    p.drawImage(0, 0, image);
    return out;
}

// Any format Qt reads, judged by its content rather than by the file name.
PictureResult readWithQt(const QString& path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QSize announced = reader.size(); // header only, nothing decoded yet
    if (announced.isValid() && !pictureFits(announced)) return failure(tooLarge(announced));
    QImage image;
    {
        const AllocationLimit limit(kBudgetMiB);
        if (!reader.read(&image)) return failure(reader.errorString());
    }
    if (!pictureFits(image.size())) return failure(tooLarge(image.size()));
    image = toCanvasFormat(std::move(image));
    if (image.isNull()) return failure(QStringLiteral("not enough memory for the picture"));
    return {image, QString()};
}

} // namespace

bool pictureFits(QSize size) noexcept
{
    return size.width() > 0 && size.height() > 0 && size.width() <= kMaxPictureSide &&
           size.height() <= kMaxPictureSide &&
           qint64(size.width()) * size.height() * 4 <= kPictureBudgetBytes;
}

QString mapPath(const QString& programDir, const QString& bareName)
{
    QString dir = QDir::fromNativeSeparators(programDir);
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    QString name = bareName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::toNativeSeparators(dir + name + QStringLiteral(".bmp"));
}

PictureResult readPicture(const QString& path)
{
    QFile file(path);
    // Unbuffered: the fast path reads large chunks straight into its own buffer.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) return failure(file.errorString());
    char head[kBmpHeadersSize];
    const qint64 got = file.read(head, sizeof head);
    const auto bmp = parseFastBmpHeader(head, got);
    if (!bmp) {
        file.close();
        return readWithQt(path);
    }
    const QSize announced(bmp->width, bmp->height < 0 ? -qint64(bmp->height) : bmp->height);
    if (!pictureFits(announced)) return failure(tooLarge(announced));
    PictureResult r;
    if (!readFastBmpPixels(file, *bmp, &r.image, &r.error)) r.image = QImage();
    return r;
}

bool writeBitmap(const QImage& image, const QString& path, QString* error)
{
    const auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    if (image.isNull()) return fail(QStringLiteral("there is no picture to save"));
    // Within the budget the file stays far below the 4 GiB its 32-bit size field can hold.
    if (!pictureFits(image.size())) return fail(tooLarge(image.size()));
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) return fail(out.errorString());
    const auto headers = bmp24Headers(image.width(), image.height());
    if (out.write(headers.data(), headers.size()) != qint64(headers.size()) ||
        !writeBmp24Pixels(out, image)) {
        const QString why = out.errorString();
        out.cancelWriting();
        return fail(why);
    }
    if (!out.commit()) return fail(out.errorString());
    return true;
}

} // namespace tessellon

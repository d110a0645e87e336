#include "mapfile.h"

#include "bmpformat.h"
#include "picturereaders.h"
#include "pngwriter.h"
#include "progress.h"
#include "regularfile.h"
#include "replacefile.h"
#include "watcheddevice.h"

#include <QDir>
#include <QFile>

namespace tessellon {

bool pictureFits(QSize size) noexcept
{
    return size.width() > 0 && size.height() > 0 && size.width() <= kMaxPictureSide &&
           size.height() <= kMaxPictureSide &&
           qint64(size.width()) * size.height() * 4 <= kPictureBudgetBytes;
}

QString fileInDir(const QString& programDir, const QString& name)
{
    QString dir = QDir::fromNativeSeparators(programDir);
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    QString file = name;
    file.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::toNativeSeparators(dir + file);
}

QString mapPath(const QString& programDir, const QString& bareName)
{
    return fileInDir(programDir, bareName + QStringLiteral(".bmp"));
}

PictureResult readPicture(const QString& path, Progress* progress)
{
    QFile file;
    QString error;
    if (!openRegularFile(path, file, &error)) return refusal(error);
    if (!progress) return readPicture(file);
    WatchedDevice watched(file, *progress);
    return readPicture(watched);
}

PictureResult readPicture(QIODevice& device)
{
    if (!device.isOpen() || device.isSequential() || !device.seek(0))
        return refusal(QStringLiteral("the picture cannot be read from this device"));
    const QByteArray magic = device.peek(2);
    if (magic == "BM") return readBitmapFile(device);
    if (magic == "BA") return readBitmapArray(device);
    return readOtherPicture(device);
}

bool writeBitmap(const QImage& image, const QString& path, QString* error, const FileCalls& calls,
                 Progress* progress)
{
    return writeMap(image, path, MapFormat::Bmp, error, calls, progress);
}

bool writeMap(const QImage& image, const QString& path, MapFormat format, QString* error,
              const FileCalls& calls, Progress* progress)
{
    const auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    if (image.isNull()) return fail(QStringLiteral("there is no picture to save"));
    // Within the budget the file stays far below the 4 GiB its 32-bit size field can hold.
    if (!pictureFits(image.size())) return fail(tooLarge(image.size()));
    ReplacingFile out(path, calls);
    if (progress) out.setStopFlag(&progress->stopFlag()); // up to the rename
    if (!out.open()) return fail(out.errorString());
    QString why;
    bool written = false;
    if (format == MapFormat::Png) {
        written = writePngPixels(out, image, PngSettings(), &why, progress);
    } else {
        const auto headers = bmp24Headers(image.width(), image.height());
        written = out.write(headers.data(), headers.size()) == qint64(headers.size()) &&
                  writeBmp24Pixels(out, image, &why, progress);
    }
    if (!written || !out.commit()) return fail(why.isEmpty() ? out.errorString() : why);
    return true;
}

} // namespace tessellon

// PNG and JPEG through Qt's readers: judged from their headers and checked to be
// whole before decoding, decoded straight into the canvas's buffer where the reader allows.
#include "canvasformat.h"
#include "decodewarnings.h"
#include "picturereaders.h"
#include "picturestructure.h"
#include "pixelpool.h"

#include <QImageReader>
#include <QIODevice>

#include <optional>

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

// The formats left to Qt; GIF has a reader of our own.
const char* qtFormatName(OtherFormat f)
{
    return f == OtherFormat::Png ? "png" : "jpeg";
}

// The format the reader decodes to, if it tells. Qt's JPEG reader may answer with a value
// it never set for a header it could not read, so the answer is checked as a number.
QImage::Format announcedFormat(QImageReader& reader)
{
    const int raw = int(reader.imageFormat());
    if (raw <= QImage::Format_Invalid || raw >= QImage::NImageFormats)
        return QImage::Format_Invalid;
    return QImage::Format(raw);
}

// The image the reader should decode into: a view of the canvas's buffer in the reader's
// own format when that is no wider than the canvas's.
struct Plan
{
    QImage canvas;
    QImage target;
};

// The memory decoding takes, by the file's header: the canvas and what the decoder adds.
bool withinBudget(const PictureStructure& structure, QString* error)
{
    const QSize size = structure.size;
    if (!size.isValid() || !pictureFits(size)) {
        *error = size.isValid() ? tooLarge(size) : QStringLiteral("the picture's size is unknown");
        return false;
    }
    const qint64 canvasBytes = qint64(size.width()) * size.height() * 4;
    if (canvasBytes + structure.decoderBytes > kPictureBudgetBytes) {
        *error = QStringLiteral("decoding the picture would take too much memory");
        return false;
    }
    return true;
}

// The reader lives only here: were it to keep a reference to what it decoded, converting
// the picture in place afterwards would copy it whole instead.
bool decode(QIODevice& device, OtherFormat format, const PictureStructure& structure, Plan& plan,
            QString* error)
{
    QImageReader reader(&device, qtFormatName(format));
    reader.setAutoTransform(false); // a turned JPEG would not be the size its frame says
    if (!withinBudget(structure, error)) return false;
    // PNG warnings (colour profile notes and the like) say nothing about the pixels.
    std::optional<DecodeWarnings> warnings;
    if (format == OtherFormat::Jpeg) warnings.emplace();
    const QImage::Format f = announcedFormat(reader);
    if (f != QImage::Format_Invalid && QImage::toPixelFormat(f).bitsPerPixel() <= 32) {
        const QSize size = structure.size;
        plan.canvas = allocateRgb32(size.width(), size.height());
        if (plan.canvas.isNull()) {
            *error = QStringLiteral("not enough memory for the picture");
            return false;
        }
        // The canvas's rows, each the start of a decoded row: widened in place afterwards.
        plan.target =
            QImage(plan.canvas.bits(), size.width(), size.height(), plan.canvas.bytesPerLine(), f);
    }
    const AllocationLimit limit(kBudgetMiB);
    if (!reader.read(&plan.target)) {
        *error = reader.errorString();
        return false;
    }
    if (warnings && !warnings->first().isEmpty()) {
        *error = QStringLiteral("the JPEG's data is damaged: ") + warnings->first();
        return false;
    }
    return true;
}

} // namespace

PictureResult readOtherPicture(QIODevice& device)
{
    const OtherFormat format = sniffOtherFormat(device.peek(8));
    if (format == OtherFormat::None)
        return refusal(QStringLiteral("not a bitmap, PNG, GIF or JPEG picture"));
    if (format == OtherFormat::Gif) return readGifFile(device);
    const PictureStructure structure = walkPictureStructure(device, format);
    if (!structure.complete || !device.seek(0))
        return refusal(QStringLiteral("the picture is truncated or damaged"));
    Plan plan;
    QString error;
    if (!decode(device, format, structure, plan, &error)) return refusal(error);
    if (plan.target.size() != structure.size)
        return refusal(QStringLiteral("the picture's pixels do not match its header"));
    QImage canvas = toCanvasFormat(std::move(plan.target), std::move(plan.canvas));
    if (canvas.isNull()) return refusal(QStringLiteral("not enough memory for the picture"));
    return {canvas, QString()};
}

} // namespace tessellon

#pragma once

#include "mapfile.h"

class QIODevice;

namespace tessellon {

/// A refusal: a null image and the reason.
inline PictureResult refusal(const QString& why)
{
    return {QImage(), why, nullptr};
}

/// The refusal of a picture whose memory cannot be had.
inline PictureResult noMemory()
{
    return refusal(QStringLiteral("not enough memory for the picture"));
}

/// The reason given for a picture beyond pictureFits.
inline QString tooLarge(QSize s)
{
    return QStringLiteral("the picture is too large (%1 x %2 pixels)")
        .arg(s.width())
        .arg(s.height());
}

/// Reads a Windows or OS/2 bitmap ("BM") from the device's position with our own decoder;
/// a bitmap carrying a PNG or JPEG through the readers below.
PictureResult readBitmapFile(QIODevice& device);

/// Reads the first bitmap of an OS/2 bitmap array ("BA") from the start of `device`.
PictureResult readBitmapArray(QIODevice& device);

/// Reads the first image of a GIF from the start of `device` with our own decoder, on
/// white where the image or its transparent index leaves the screen uncovered. A file cut
/// short before the image's terminator is refused before the picture is allocated.
PictureResult readGifFile(QIODevice& device);

/// Reads a PNG (by libpng) or a JPEG (by libjpeg-turbo) from the device's position on, row
/// by row into the canvas, transparent parts on white. A file cut short or damaged is
/// refused, one beyond the budget before the canvas is allocated. With `expectedSize`
/// valid, a picture of another size is refused (a bitmap's embedded picture).
PictureResult readPngFile(QIODevice& device, QSize expectedSize = {});
PictureResult readJpegFile(QIODevice& device, QSize expectedSize = {});

/// Reads a PNG, GIF or JPEG from the start of `device`; anything else is refused.
PictureResult readOtherPicture(QIODevice& device);

} // namespace tessellon

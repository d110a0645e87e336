// PNG, GIF and JPEG, known by their first bytes. Qt's image plugins read none of them.
#include "picturereaders.h"

#include <QIODevice>

namespace tessellon {

PictureResult readOtherPicture(QIODevice& device)
{
    const QByteArray head = device.peek(8);
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a")) return readGifFile(device);
    if (head.startsWith("\x89PNG\r\n\x1a\n")) return readPngFile(device);
    if (head.startsWith("\xFF\xD8\xFF")) return readJpegFile(device);
    return refusal(QStringLiteral("not a bitmap, PNG, GIF or JPEG picture"));
}

} // namespace tessellon

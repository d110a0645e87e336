// Whether a PNG or JPEG file is whole, told from its framing before anything is
// decoded: Qt's JPEG reader shows a file cut short as a picture, its missing part grey,
// and reports success.
#include "picturestructure.h"

#include "bytesource.h"

#include <QByteArray>
#include <QIODevice>
#include <QtEndian>

#include <algorithm>

namespace tessellon {

namespace {

const QByteArray kPngSignature("\x89PNG\r\n\x1a\n", 8);

bool readBig16(ByteSource& in, int& v)
{
    uchar b[2];
    if (!in.read(b, 2)) return false;
    v = qFromBigEndian<quint16>(b);
    return true;
}

// A side of 31 bits or more is no size a QSize holds; such a picture is refused anyway.
int side(quint32 v)
{
    return v > 0x7FFFFFFFu ? -1 : int(v);
}

// Qt decodes a PNG of 16 bits a channel at up to 8 bytes a pixel, twice the canvas, before
// narrowing it in place.
qint64 sixteenBitExtra(QSize size)
{
    return size.isValid() ? qint64(size.width()) * size.height() * 4 : 0;
}

PictureStructure pngStructure(ByteSource& in)
{
    if (!in.skip(kPngSignature.size())) return {};
    PictureStructure s;
    bool sawData = false;
    for (;;) {
        uchar head[18];
        if (!in.read(head, 8)) return {};
        const quint32 length = qFromBigEndian<quint32>(head);
        const QByteArray type(reinterpret_cast<const char*>(head + 4), 4);
        if (length > 0x7FFFFFFFu) return {};
        if (type == "IEND") {
            s.complete = sawData && s.size.isValid();
            return s;
        }
        sawData = sawData || type == "IDAT";
        qint64 rest = qint64(length) + 4;     // data and checksum
        if (type == "IHDR" && length >= 10) { // width, height, bits a channel
            if (!in.read(head + 8, 10)) return {};
            s.size = QSize(side(qFromBigEndian<quint32>(head + 8)),
                           side(qFromBigEndian<quint32>(head + 12)));
            s.decoderBytes = head[16] == 16 ? sixteenBitExtra(s.size) : 0;
            rest -= 10;
        }
        if (!in.skip(rest)) return {};
    }
}

struct JpegFrame
{
    int width = 0, height = 0;
    int components = 0;
    int h[4] = {}, v[4] = {};
    bool progressive = false;
};

// Start-of-frame markers: C0 to CF but for the table markers C4, C8 and CC.
bool isFrameMarker(uchar m)
{
    return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

bool readFrame(ByteSource& in, uchar marker, int length, JpegFrame& f)
{
    uchar s[6 + 4 * 3] = {};
    const int n = std::min(length - 2, int(sizeof s));
    if (n < 6 || !in.read(s, n) || !in.skip(length - 2 - n)) return false;
    f.height = qFromBigEndian<quint16>(s + 1);
    f.width = qFromBigEndian<quint16>(s + 3);
    f.components = std::min<int>(s[5], (n - 6) / 3);
    for (int c = 0; c < f.components; ++c) {
        f.h[c] = std::max(1, s[6 + 3 * c + 1] >> 4);
        f.v[c] = std::max(1, s[6 + 3 * c + 1] & 15);
    }
    f.progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
    return true;
}

// Entropy-coded data ends at the first marker that is not a stuffed 0xFF or a restart.
bool skipScan(ByteSource& in, uchar& marker)
{
    uchar b = 0;
    for (;;) {
        if (!in.get(b)) return false;
        if (b != 0xFF) continue;
        do {
            if (!in.get(b)) return false;
        } while (b == 0xFF);
        if (b != 0x00 && (b < 0xD0 || b > 0xD7)) {
            marker = b;
            return true;
        }
    }
}

// 64 two-byte coefficients for every block of every component, whole MCUs.
qint64 coefficientBytes(const JpegFrame& f)
{
    const int hMax = std::max(1, *std::max_element(f.h, f.h + 4));
    const int vMax = std::max(1, *std::max_element(f.v, f.v + 4));
    const qint64 mcuColumns = (f.width + 8 * hMax - 1) / (8 * hMax);
    const qint64 mcuRows = (f.height + 8 * vMax - 1) / (8 * vMax);
    qint64 bytes = 0;
    for (int c = 0; c < f.components; ++c)
        bytes += mcuColumns * f.h[c] * mcuRows * f.v[c] * 128;
    return bytes;
}

PictureStructure jpegStructure(ByteSource& in)
{
    uchar b[2];
    if (!in.read(b, 2) || b[0] != 0xFF || b[1] != 0xD8) return {};
    JpegFrame frame;
    int scans = 0;
    uchar marker = 0;
    for (bool pending = false;;) {
        if (!pending) { // a marker, after any fill bytes
            if (!in.get(b[0]) || b[0] != 0xFF) return {};
            do {
                if (!in.get(marker)) return {};
            } while (marker == 0xFF);
        }
        pending = false;
        if (marker == 0xD9) {
            const bool whole = scans > 0 && frame.width > 0 && frame.height > 0;
            const bool buffered = frame.progressive || scans > 1;
            return {whole, QSize(frame.width, frame.height),
                    whole && buffered ? coefficientBytes(frame) : 0};
        }
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) continue;
        int length = 0;
        if (!readBig16(in, length) || length < 2) return {};
        if (isFrameMarker(marker)) {
            if (!readFrame(in, marker, length, frame)) return {};
        } else if (!in.skip(length - 2)) {
            return {};
        }
        if (marker == 0xDA) {
            ++scans;
            if (!skipScan(in, marker)) return {};
            pending = true;
        }
    }
}

} // namespace

OtherFormat sniffOtherFormat(const QByteArray& head)
{
    if (head.startsWith(kPngSignature)) return OtherFormat::Png;
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a")) return OtherFormat::Gif;
    if (head.startsWith("\xFF\xD8\xFF")) return OtherFormat::Jpeg;
    return OtherFormat::None;
}

PictureStructure walkPictureStructure(QIODevice& device, OtherFormat format)
{
    if (!device.seek(0)) return {};
    ByteSource in(device);
    switch (format) {
    case OtherFormat::Png:
        return pngStructure(in);
    case OtherFormat::Jpeg:
        return jpegStructure(in);
    case OtherFormat::Gif: // its own reader walks it
    case OtherFormat::None:
        break;
    }
    return {};
}

} // namespace tessellon

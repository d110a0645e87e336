#pragma once

#include <QSize>

class QIODevice;

namespace tessellon {

/// The picture formats besides bitmaps, known by their first bytes: PNG and JPEG go to
/// Qt's readers, GIF to our own decoder.
enum class OtherFormat { None, Png, Gif, Jpeg };

/// The format whose signature `head` (the first bytes of a file) starts with.
OtherFormat sniffOtherFormat(const QByteArray& head);

/// What a walk over a file's chunks, blocks or markers found.
struct PictureStructure
{
    /// The file holds everything the picture's decoder will read: PNG chunks up to the end
    /// chunk, JPEG segments and scans up to the end-of-image marker. A file cut short fails
    /// this.
    bool complete = false;
    /// The picture's size by the file's own header (PNG header chunk, JPEG frame), which
    /// the decoders produce.
    QSize size;
    /// Memory the decoder needs beside the canvas-sized picture: the coefficients of a JPEG
    /// whose scans come one after the other (progressive or not interleaved), or the second
    /// half of a PNG of 16 bits a channel, decoded at 8 bytes a pixel.
    qint64 decoderBytes = 0;
};

/// Walks the structure of a PNG or JPEG file from the device's start, reading only a small
/// buffer at a time (a GIF's reader checks its file itself). The device's position
/// afterwards is unspecified.
PictureStructure walkPictureStructure(QIODevice& device, OtherFormat format);

} // namespace tessellon

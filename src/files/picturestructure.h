#pragma once

#include <QSize>

class QIODevice;

namespace tessellon {

/// The picture formats besides bitmaps that we hand to Qt's readers, known by their first
/// bytes.
enum class OtherFormat { None, Png, Gif, Jpeg };

/// The format whose signature `head` (the first bytes of a file) starts with.
OtherFormat sniffOtherFormat(const QByteArray& head);

/// What a walk over a file's chunks, blocks or markers found.
struct PictureStructure
{
    /// The file holds everything the first picture's decoder will read: PNG chunks up to
    /// the end chunk, the GIF blocks of the first image up to its terminator, JPEG segments
    /// and scans up to the end-of-image marker. A file cut short fails this.
    bool complete = false;
    /// The picture's size by the file's own header (PNG header chunk, GIF logical screen,
    /// JPEG frame), which Qt's decoders produce; Qt's GIF reader reports something else
    /// for large screens.
    QSize size;
    /// Memory the decoder needs beside the picture itself: the coefficients of a JPEG
    /// whose scans come one after the other (progressive or not interleaved).
    qint64 decoderBytes = 0;
};

/// Walks the structure of a `format` file from the device's start, reading only a small
/// buffer at a time. The device's position afterwards is unspecified.
PictureStructure walkPictureStructure(QIODevice& device, OtherFormat format);

} // namespace tessellon

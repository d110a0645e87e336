#pragma once

#include <QtGlobal>

#include <vector>

class QIODevice;

namespace tessellon {

/// Bytes of a random-access device read one at a time through a small buffer, from its
/// position at construction on: for the compressed bitmap rows and the GIF block walk,
/// which look at every byte but must not hold a whole file.
class ByteSource
{
public:
    explicit ByteSource(QIODevice& device);

    /// The next byte; false at the end of the device or on a read error.
    bool get(uchar& c)
    {
        if (pos_ == len_ && !fill()) return false;
        c = buf_[size_t(pos_++)];
        return true;
    }
    /// Reads `n` bytes into `out`; false when fewer are left.
    bool read(uchar* out, qint64 n);
    /// Passes over `n` bytes; false when fewer are left.
    bool skip(qint64 n);
    /// The device position of the next byte.
    qint64 pos() const;

private:
    bool fill();

    QIODevice& device_;
    std::vector<uchar> buf_;
    qint64 pos_ = 0;
    qint64 len_ = 0;
};

} // namespace tessellon

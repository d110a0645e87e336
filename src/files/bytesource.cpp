#include "bytesource.h"

#include <QIODevice>

namespace tessellon {

namespace {

constexpr qint64 kBufferBytes = 64 * 1024;

} // namespace

ByteSource::ByteSource(QIODevice& device) : device_(device), buf_(size_t(kBufferBytes)) {}

bool ByteSource::fill()
{
    const qint64 got = device_.read(reinterpret_cast<char*>(buf_.data()), kBufferBytes);
    pos_ = 0;
    len_ = got > 0 ? got : 0;
    return len_ > 0;
}

bool ByteSource::read(uchar* out, qint64 n)
{
    for (qint64 i = 0; i < n; ++i)
        if (!get(out[i])) return false;
    return true;
}

bool ByteSource::skip(qint64 n)
{
    const qint64 buffered = len_ - pos_;
    if (n <= buffered) {
        pos_ += n;
        return true;
    }
    // Past the buffer: seek, but never beyond the end, which a seek would allow.
    const qint64 target = device_.pos() + (n - buffered);
    pos_ = len_ = 0;
    return target <= device_.size() && device_.seek(target);
}

qint64 ByteSource::pos() const
{
    return device_.pos() - (len_ - pos_);
}

} // namespace tessellon

// Writes a JPEG that is slow to decode, for the test that cancels its load.
// Usage: tessellon_slowjpeg <file> <side>
#include "slowjpeg.h"

#include <QFile>

int main(int argc, char** argv)
{
    if (argc != 3) return 2;
    QFile out(QString::fromLocal8Bit(argv[1]));
    const QByteArray bytes = slowjpeg::refiningJpeg(std::atoi(argv[2]));
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() ? 0 : 1;
}

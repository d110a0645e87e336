#pragma once
// What the replacing writer's tests share: the picture they save and the folder they check.

#include <QDir>
#include <QImage>
#include <QStringList>

namespace replacecheck {

inline QImage pattern(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 7, y * 3, x ^ y));
    return img;
}

// Everything in `dir`, hidden temporaries included.
inline QStringList listing(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace replacecheck

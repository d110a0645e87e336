// Writes the program icon in the sizes a desktop's hicolor theme looks for.
// Usage: tessellon_iconsizes <icon.png> <dir> <name> <size>...
// writes <dir>/<size>x<size>/apps/<name>.png for each size.
#include <QDir>
#include <QImage>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QTextStream err(stderr);
    if (argc < 5) {
        err << "usage: tessellon_iconsizes <icon.png> <dir> <name> <size>...\n";
        return 2;
    }
    const QImage source(QString::fromLocal8Bit(argv[1]));
    if (source.isNull()) {
        err << "cannot read " << argv[1] << "\n";
        return 1;
    }
    const QDir dir(QString::fromLocal8Bit(argv[2]));
    const QString name = QString::fromLocal8Bit(argv[3]);
    for (int i = 4; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        if (size <= 0) {
            err << "not a size: " << argv[i] << "\n";
            return 2;
        }
        // Whole multiples of the drawn size keep its lines sharp; other sizes are averaged.
        const Qt::TransformationMode mode =
            size % source.width() == 0 ? Qt::FastTransformation : Qt::SmoothTransformation;
        const QImage icon = source.scaled(size, size, Qt::IgnoreAspectRatio, mode);
        const QString sub = QStringLiteral("%1x%1/apps").arg(size);
        const QString file = dir.filePath(sub + QLatin1Char('/') + name + QStringLiteral(".png"));
        if (!dir.mkpath(sub) || !icon.save(file, "PNG")) {
            err << "cannot write " << file << "\n";
            return 1;
        }
    }
    return 0;
}

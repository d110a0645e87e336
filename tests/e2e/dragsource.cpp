// A drag source for the end-to-end tests: a small window that starts a file drag when the
// mouse is pressed on it, so that a test can drop a file with real pointer input.
// Usage: tessellon_dragsource <file> <x> <y>
// The window (titled "dragsource") is placed at screen position x, y; after the drag it
// prints "dropped" when a target accepted the file, "refused" otherwise, and exits a few
// seconds later.
#include <QApplication>
#include <QDrag>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextStream>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace tessellon {

class DragSource : public QWidget
{
public:
    explicit DragSource(const QString& path) : path_(path)
    {
        setWindowTitle(QStringLiteral("dragsource"));
        setFixedSize(60, 60);
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, Qt::darkCyan);
        setPalette(p);
    }

protected:
    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() != Qt::LeftButton) return;
        auto* data = new QMimeData;
        data->setUrls({QUrl::fromLocalFile(QFileInfo(path_).absoluteFilePath())});
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        const Qt::DropAction action = drag->exec(Qt::CopyAction);
        QTextStream(stdout) << (action == Qt::IgnoreAction ? "refused" : "dropped") << Qt::endl;
        // The target fetches the file list from us after the drop; stay until it has.
        QTimer::singleShot(3000, qApp, &QApplication::quit);
    }

private:
    QString path_;
};

} // namespace tessellon

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <file> <x> <y>\n", argv[0]);
        return 2;
    }
    tessellon::DragSource w(QString::fromLocal8Bit(argv[1]));
    w.move(QString::fromLatin1(argv[2]).toInt(), QString::fromLatin1(argv[3]).toInt());
    w.show();
    return app.exec();
}

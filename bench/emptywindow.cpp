// The start-up baseline: an empty Qt Widgets window of the editor's client size.
#include "windowlayout.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Empty"));
    window.resize(tessellon::kClientWidth, tessellon::kClientHeight);
    window.show();
    return app.exec();
}

#include "frmtessellon.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessellon"));
    tessellon::frmTessellon window(QCoreApplication::applicationDirPath());
    window.show();
    return app.exec();
}

#pragma once

#include "frmtessellon.h"
#include "scripteddialogs.h"

#include <QTemporaryDir>
#include <QTest>

/// A window over a fresh temporary program directory, with scripted dialogs, shown and
/// active so that focus moves are real.
struct WindowFixture
{
    QTemporaryDir dir;
    ScriptedDialogs* dialogs = new ScriptedDialogs;
    tessellon::frmTessellon window{dir.path(), std::unique_ptr<tessellon::Dialogs>(dialogs)};

    /// Shows the window and waits until it is active and its one-shot grid ran.
    bool show()
    {
        window.show();
        if (!QTest::qWaitForWindowActive(&window)) return false;
        QTest::qWait(80);
        return true;
    }
    QString path(const QString& name) const { return dir.filePath(name); }
};

/// Counts pixels of the grid colour at grid positions of an image.
inline int gridDots(const QImage& img)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const bool vertical = x > 0 && x % 30 == 0 && y % 2 == 1;
            const bool horizontal = y > 0 && y % 30 == 0 && x % 2 == 1;
            if ((vertical || horizontal) && (img.pixel(x, y) & 0xFFFFFF) == 0xB4B4B3) ++n;
        }
    return n;
}

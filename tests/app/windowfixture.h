#pragma once

#include "frmtessellon.h"
#include "scripteddialogs.h"
#include "vbbuttons.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <initializer_list>

/// A window over a fresh temporary program directory, with scripted dialogs, shown and
/// active so that focus moves are real.
struct WindowFixture
{
    QTemporaryDir dir;
    ScriptedDialogs* dialogs = new ScriptedDialogs;
    tessellon::frmTessellon window{dir.path(), std::unique_ptr<tessellon::Dialogs>(dialogs)};

    /// Shows the window and waits until it is active, its one-shot grid ran and the focus
    /// holder has the focus.
    bool show()
    {
        window.show();
        if (!QTest::qWaitForWindowActive(&window)) return false;
        // a move to where the last test left the pointer would be dropped as no move at all
        QTest::mouseMove(&window, {1, 1});
        if (!QTest::qWaitFor([this] { return !window.tmrDrawInitialGrid->isActive(); }))
            return false;
        if (QApplication::focusWidget() != window.cmdFob) window.cmdFob->setFocus();
        return QApplication::focusWidget() == window.cmdFob;
    }
    /// Types `keys` (Qt key codes) into whatever holds the focus.
    void type(std::initializer_list<int> keys, Qt::KeyboardModifiers mods = {})
    {
        for (int k : keys) QTest::keyClick(QApplication::focusWidget(), Qt::Key(k), mods);
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

#pragma once

#include "frmtessellon.h"
#include "scripteddialogs.h"
#include "testfiles.h"
#include "vbbuttons.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <initializer_list>

/// A window over a fresh temporary program directory, with scripted dialogs; show() makes it
/// shown and active so that focus moves are real. Given settings bytes, the directory holds
/// them as Tessellon.ini before the window starts and reads it.
struct WindowFixture
{
    explicit WindowFixture(const QByteArray& settings = QByteArray())
        : iniWritten(settings.isNull() || writeSettings(dir, settings))
    {
    }

    QTemporaryDir dir;
    bool iniWritten; // written before the window, which reads it in its constructor
    ScriptedDialogs* dialogs = new ScriptedDialogs;
    tessellon::frmTessellon window{dir.path(), std::unique_ptr<tessellon::Dialogs>(dialogs)};

    /// Tessellon.ini as the window left it.
    QString ini() const { return QString::fromLatin1(readFile(path(QStringLiteral("Tessellon.ini")))); }

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
        // the window must hand the focus to its holder by itself
        return QTest::qWaitFor([this] { return QApplication::focusWidget() == window.cmdFob; });
    }
    /// Types `keys` (Qt key codes) into whatever holds the focus.
    void type(std::initializer_list<int> keys, Qt::KeyboardModifiers mods = {})
    {
        for (int k : keys) QTest::keyClick(QApplication::focusWidget(), Qt::Key(k), mods);
    }
    QString path(const QString& name) const { return dir.filePath(name); }

private:
    static bool writeSettings(const QTemporaryDir& d, const QByteArray& bytes)
    {
        QFile f(d.filePath(QStringLiteral("Tessellon.ini")));
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }
};

/// Counts grid-coloured pixels at grid positions (x a positive multiple of 30 and y odd, or
/// y a positive multiple of 30 and x odd), reading only those positions.
inline int gridDots(const QImage& picture)
{
    const QImage img = picture.convertToFormat(QImage::Format_RGB32);
    auto isDot = [](QRgb p) { return (p & 0xFFFFFF) == 0xB4B4B3; };
    int n = 0;
    for (int y = 0; y < img.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        if (y % 2 == 1)
            for (int x = 30; x < img.width(); x += 30) n += isDot(row[x]);
        if (y > 0 && y % 30 == 0)
            for (int x = 1; x < img.width(); x += 2) n += isDot(row[x]);
    }
    return n;
}

#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace tessellon {

class Dialogs;
class Progress;

/// The box shows only for work still running after this long: shorter work looks as if it
/// had run on the window's own thread.
inline constexpr int kProgressBoxDelayMs = 400;

/// Runs `work` (a load or a save) on a worker thread while `window` waits for it. Work that
/// ends within `boxDelayMs` shows nothing. Longer work shows the progress box `title` with
/// `name`; while it shows, the window keeps painting but every input to it is dropped, so
/// nothing on the window's thread can change the canvas before the work has ended. Returns
/// false when the user cancelled: `progress` was asked to stop, and the work has ended by
/// the time this returns (the result it left is the caller's to judge).
bool runLongWork(QWidget& window, Dialogs& dialogs, const QString& title, const QString& name,
                 Progress& progress, const std::function<void()>& work,
                 int boxDelayMs = kProgressBoxDelayMs);

} // namespace tessellon

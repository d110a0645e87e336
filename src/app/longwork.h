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

/// A close of the window asked while the progress box shows. The window cannot close under
/// running work, so the close is held for the window to carry out once the work is over.
struct HeldClose
{
    bool stopsWork = false; // a load is not worth finishing for a window about to close
    bool asked = false;
};

/// Runs `work` (a load or a save) on a worker thread while `window` waits for it. Work that
/// ends within `boxDelayMs` shows nothing; with 0 the box is always asked for. Longer work shows the progress box `title` with
/// `name`; while it shows, the window keeps painting but every input to it is dropped, so
/// nothing on the window's thread can change the canvas before the work has ended, and a
/// close of it is held in `close`. Returns false when the work was stopped, by Cancel or by
/// a held close that `stopsWork`; the work has ended by the time this returns (the result it
/// left is the caller's to judge).
bool runLongWork(QWidget& window, Dialogs& dialogs, const QString& title, const QString& name,
                 Progress& progress, const std::function<void()>& work, HeldClose& close,
                 int boxDelayMs = kProgressBoxDelayMs);

} // namespace tessellon

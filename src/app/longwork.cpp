#include "longwork.h"

#include "dialogs.h"
#include "progress.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QKeyEvent>
#include <QThread>
#include <QWidget>

#include <memory>

namespace tessellon {

namespace {

bool isInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::NativeGesture:
    case QEvent::Gesture:
    case QEvent::GestureOverride:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

// Drops every input meant for one window while the box shows, a drop from another program
// and an event posted before the box opened included. A close of the window is held.
class InputBlocker : public QObject
{
public:
    InputBlocker(QWidget& window, Progress& progress, HeldClose& close)
        : window_(window), progress_(progress), close_(close)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~InputBlocker() override { QCoreApplication::instance()->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!isInput(event->type()) || !watched->isWidgetType()) return false;
        if (static_cast<QWidget*>(watched)->window() != &window_) return false;
        if (event->type() == QEvent::Close && watched == &window_) {
            close_.asked = true;
            if (close_.stopsWork) progress_.requestStop();
        }
        // the box is not modal: Escape typed after a click on the window still cancels
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            progress_.requestStop();
        event->ignore();
        return true;
    }

private:
    QWidget& window_;
    Progress& progress_;
    HeldClose& close_;
};

} // namespace

bool runLongWork(QWidget& window, Dialogs& dialogs, const QString& title, const QString& name,
                 Progress& progress, const std::function<void()>& work, HeldClose& close,
                 int boxDelayMs)
{
    std::unique_ptr<QThread> thread(QThread::create(work));
    thread->start();
    if (boxDelayMs > 0 && thread->wait(QDeadlineTimer(boxDelayMs))) return true;
    bool finished;
    {
        const InputBlocker blocker(window, progress, close);
        finished = dialogs.ProgressBox(title, name, progress, [&] { return thread->isFinished(); });
    }
    if (!finished) progress.requestStop();
    thread->wait();
    return finished && !progress.stopRequested();
}

} // namespace tessellon

#include "longwork.h"

#include "dialogs.h"
#include "progress.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
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
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

// Drops every input meant for one window. The modal box already keeps the user's input
// from it; this also stops what modality lets through, such as a drop from another
// program or an event posted before the box opened.
class InputBlocker : public QObject
{
public:
    explicit InputBlocker(QWidget& window) : window_(window)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~InputBlocker() override { QCoreApplication::instance()->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!isInput(event->type()) || !watched->isWidgetType()) return false;
        if (static_cast<QWidget*>(watched)->window() != &window_) return false;
        event->ignore();
        return true;
    }

private:
    QWidget& window_;
};

} // namespace

bool runLongWork(QWidget& window, Dialogs& dialogs, const QString& title, const QString& name,
                 Progress& progress, const std::function<void()>& work, int boxDelayMs)
{
    std::unique_ptr<QThread> thread(QThread::create(work));
    thread->start();
    if (thread->wait(QDeadlineTimer(boxDelayMs))) return true;
    bool finished;
    {
        const InputBlocker blocker(window);
        finished = dialogs.ProgressBox(title, name, progress, [&] { return thread->isFinished(); });
    }
    if (!finished) progress.requestStop();
    thread->wait();
    return finished;
}

} // namespace tessellon

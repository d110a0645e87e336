#include "zoomview.h"

#include "frmtessellon.h"
#include "picturebox.h"
#include "scrollbar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QSignalBlocker>
#include <QTimer>
#include <QWheelEvent>

#include <cmath>
#include <functional>
#include <utility>

namespace tessellon {

namespace {

// A scrolled map stands at 5 - the bar's value, as the canvas does at 1:1.
constexpr int kOrigin = 5;
constexpr int kNotch = 120;         // eighths of a degree
constexpr double kPinchStep = 0.25; // of a pinch's scale change, a step
constexpr int kSettleMs = 300;      // so that key repeat and drags are never held up
constexpr int kRowsPerSlice = 512;  // a few milliseconds of a 5999-wide map
constexpr VbColor kFrameGrey = 0x00808080;
const QColor kViewOutline(0, 96, 208);
const QColor kCursorMark(208, 0, 0);
constexpr int kSmallestMark = 4;

// The picture box that shows the zoomed map; the view paints it.
class OverviewBox : public PictureBox
{
public:
    OverviewBox(QWidget* parent, std::function<void(QPainter&, const QRect&)> paint)
        : PictureBox(parent), paint_(std::move(paint))
    {
    }

protected:
    void paintEvent(QPaintEvent* e) override
    {
        QPainter p(this);
        paint_(p, e->rect());
    }

private:
    std::function<void(QPainter&, const QRect&)> paint_;
};

bool modifierOnly(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        return true;
    default:
        return false;
    }
}

QPoint rounded(QPointF p)
{
    return {int(std::lround(p.x())), int(std::lround(p.y()))};
}

} // namespace

ZoomView::ZoomView(frmTessellon& window) : QObject(&window), w_(window)
{
    box_ = new OverviewBox(w_.picScrollContainer,
                           [this](QPainter& p, const QRect& r) { paint(p, r); });
    box_->setObjectName(QStringLiteral("zoomView"));
    box_->setCursor(Qt::CrossCursor);
    box_->hide();
    connect(box_, &PictureBox::MouseDown, this, [this](int, int, int, double x, double y) {
        jump({x, y});
    });
    // as over the canvas, a move here ends the palette's hover
    connect(box_, &PictureBox::MouseMove, &w_, &frmTessellon::ClearPaletteHover);
    for (ScrollBar* bar : {w_.HScroll, w_.VScroll}) {
        connect(bar, &ScrollBar::Change, box_, qOverload<>(&QWidget::update));
        connect(bar, &ScrollBar::Scroll, box_, qOverload<>(&QWidget::update));
    }
    settle_ = new QTimer(this);
    settle_->setSingleShot(true);
    connect(settle_, &QTimer::timeout, this, &ZoomView::refresh);
    // a new size or a load reports no damage of its own: looked for at each blink
    connect(w_.tmrFlashCursor, &QTimer::timeout, this, [this] {
        if (step_ == 0 && !settle_->isActive() &&
            (!overview_.keeps(w_.Canvas.size()) || overview_.dirty()))
            settle_->start(kSettleMs);
    });
    qApp->installEventFilter(this);
}

QSize ZoomView::fitArea() const
{
    return w_.picScrollContainer->size() - QSize(2 * kOrigin, 2 * kOrigin);
}

double ZoomView::scale() const
{
    return step_ == 0 ? 1.0 : overview_.steps()[size_t(step_ - 1)].scale;
}

QPoint ZoomView::origin() const
{
    if (step_ == 0) return w_.picCanvas->pos();
    return {kOrigin - w_.HScroll->Value(), kOrigin - w_.VScroll->Value()};
}

QPointF ZoomView::mapPointAt(QPointF at) const
{
    return (at - QPointF(origin())) / scale();
}

bool ZoomView::stepOut(QPoint at)
{
    if (step_ == 0 && !overview_.prepare(w_.Canvas.size(), fitArea())) return false;
    if (step_ >= int(overview_.steps().size())) return false;
    overview_.sync(w_.Canvas);
    show(step_ + 1, mapPointAt(at), at);
    return true;
}

bool ZoomView::stepIn(QPoint at)
{
    if (step_ == 0) return false;
    if (step_ > 1) {
        show(step_ - 1, mapPointAt(at), at);
        return true;
    }
    leaveTo(rounded(QPointF(kOrigin, kOrigin) + mapPointAt(at) - QPointF(at)));
    return true;
}

void ZoomView::leave()
{
    if (step_ != 0) leaveTo(saved_);
}

void ZoomView::show(int step, QPointF m, QPoint at)
{
    if (step_ == 0) saved_ = {w_.HScroll->Value(), w_.VScroll->Value()};
    step_ = step;
    const QSize size = overview_.steps()[size_t(step - 1)].image->size();
    // a map that shows whole has nothing to scroll
    const bool whole = size.width() <= fitArea().width() && size.height() <= fitArea().height();
    const QPoint values = rounded(QPointF(kOrigin, kOrigin) + m * scale() - QPointF(at));
    {
        // no Change: the focus stays where it is and the canvas where 1:1 left it
        const QSignalBlocker h(w_.HScroll), v(w_.VScroll);
        w_.HScroll->setRangeFor(whole ? 1 : size.width());
        w_.VScroll->setRangeFor(whole ? 1 : size.height());
        w_.HScroll->setValue(values.x());
        w_.VScroll->setValue(values.y());
    }
    for (int i = 1; i <= 8; ++i)
        w_.picResizer[i]->hide();
    w_.picCanvas->hide();
    box_->setGeometry(w_.picScrollContainer->rect());
    box_->raise();
    box_->show();
    box_->update();
}

void ZoomView::leaveTo(QPoint values)
{
    step_ = 0;
    box_->hide();
    {
        const QSignalBlocker h(w_.HScroll), v(w_.VScroll);
        w_.UpdateScrollRanges();
        w_.HScroll->setValue(values.x());
        w_.VScroll->setValue(values.y());
    }
    w_.HScroll_Scroll();
    w_.VScroll_Scroll();
    w_.picCanvas->show();
    for (int i = 1; i <= 8; ++i)
        w_.picResizer[i]->show();
}

// A click on the map: 1:1 centred there, and the cursor to the cell under it, as a click
// on the canvas puts it. Off the map it only returns.
void ZoomView::jump(QPointF at)
{
    const QPointF m = mapPointAt(at);
    if (!QRectF(QPointF(), QSizeF(w_.Canvas.size())).contains(m)) return leave();
    const QSize view = w_.picScrollContainer->size();
    leaveTo(rounded(QPointF(kOrigin, kOrigin) + m - QPointF(view.width(), view.height()) / 2));
    w_.picCanvas_MouseDown(m.x(), m.y());
}

void ZoomView::paint(QPainter& p, const QRect& area) const
{
    p.fillRect(area, toQColor(kFrameGrey));
    if (step_ == 0) return;
    const QImage& img = *overview_.steps()[size_t(step_ - 1)].image;
    const QPoint o = origin();
    const QRect shown = area.translated(-o) & img.rect();
    if (!shown.isEmpty()) p.drawImage(shown.topLeft() + o, img, shown);
    const double s = scale();
    const QSizeF view(w_.picScrollContainer->size());
    p.setPen(kViewOutline);
    p.drawRect(QRectF(QPointF(saved_ - QPoint(kOrigin, kOrigin)) * s + o, view * s));
    const double mark = std::max<double>(kSmallestMark, w_.CursorStep * s);
    p.setPen(QPen(kCursorMark, 2));
    p.drawRect(QRectF(QPointF(w_.cursorPos()) * s + o, QSizeF(mark, mark)));
}

void ZoomView::relayout()
{
    const QPoint centre = w_.picScrollContainer->rect().center();
    const QPointF m = mapPointAt(centre);
    if (!overview_.prepare(w_.Canvas.size(), fitArea())) return leave();
    show(std::min(step_, int(overview_.steps().size())), m, centre);
}

void ZoomView::damage(const QRect& area)
{
    overview_.damage(area);
    settle_->start(kSettleMs);
}

// The copies are made and kept up to date a slice at a time once the map has been still a
// while, so that a step out finds them ready. A map still changing size is waited for: its
// copies would be made anew at every step.
void ZoomView::refresh()
{
    if (step_ != 0) return;
    if (std::exchange(stillSize_, w_.Canvas.size()) != w_.Canvas.size()) {
        settle_->start(kSettleMs);
        return;
    }
    if (!overview_.prepare(w_.Canvas.size(), fitArea())) return;
    if (overview_.syncRows(w_.Canvas, kRowsPerSlice)) settle_->start(0);
}

void ZoomView::stepBy(int count, QPointF globalPos)
{
    const QPoint at = w_.picScrollContainer->mapFromGlobal(globalPos).toPoint();
    // never while a button is held: a drag of a handle would go on resizing
    if (QApplication::mouseButtons() != Qt::NoButton) return;
    for (; count < 0; ++count)
        stepOut(at);
    for (; count > 0; --count)
        stepIn(at);
}

bool ZoomView::wheel(const QWheelEvent& e)
{
    if (!(e.modifiers() & Qt::ControlModifier)) return false;
    const QPoint d = e.angleDelta();
    wheelTurned_ += d.y() != 0 ? d.y() : d.x();
    const int notches = wheelTurned_ / kNotch; // wheel down (negative) zooms out
    wheelTurned_ -= notches * kNotch;
    stepBy(notches, e.globalPosition());
    return true;
}

bool ZoomView::pinch(const QNativeGestureEvent& e)
{
    if (e.gestureType() == Qt::BeginNativeGesture) pinched_ = 0;
    if (e.gestureType() != Qt::ZoomNativeGesture) return false;
    pinched_ += e.value(); // fingers together: negative, out
    const int count = int(pinched_ / kPinchStep);
    pinched_ -= count * kPinchStep;
    stepBy(count, e.globalPosition());
    return true;
}

bool ZoomView::overCanvas(const QWidget* w) const
{
    return w && (w == w_.picScrollContainer || w_.picScrollContainer->isAncestorOf(w));
}

// What works zoomed out: the zoomed map itself and the bars that scroll it.
bool ZoomView::exempt(const QWidget* w) const
{
    return w == box_ || w == w_.HScroll || w == w_.VScroll;
}

bool ZoomView::eventFilter(QObject* watched, QEvent* event)
{
    QWidget* widget = watched->isWidgetType() ? static_cast<QWidget*>(watched) : nullptr;
    switch (event->type()) {
    case QEvent::Wheel:
        return overCanvas(widget) && wheel(*static_cast<QWheelEvent*>(event));
    case QEvent::NativeGesture:
        return overCanvas(widget) && pinch(*static_cast<QNativeGestureEvent*>(event));
    case QEvent::KeyPress:
        if (modifierOnly(static_cast<QKeyEvent*>(event)->key())) return false;
        [[fallthrough]];
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Drop:
        if (step_ != 0 && widget && widget->window() == &w_ && !exempt(widget)) leave();
        return false;
    case QEvent::Resize:
        if (step_ != 0 && watched == w_.picScrollContainer) relayout();
        return false;
    default:
        return false;
    }
}

} // namespace tessellon

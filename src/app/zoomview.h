#pragma once

#include "overview.h"

#include <QObject>
#include <QPointF>

class QPainter;
class QTimer;
class QWheelEvent;
class QNativeGestureEvent;

namespace tessellon {

class frmTessellon;
class PictureBox;

/// The zoomed-out view, for looking and moving only. Ctrl + wheel or a pinch over the
/// canvas, its frame or the handles steps out to 1/2, 1/4, 1/8 and the whole map, and back
/// in; the map then shows in the canvas's place from the reduced copies of an Overview, with
/// the cursor and the part that 1:1 shows outlined. A click on it returns to 1:1 there; any
/// other key, button or drop first returns to 1:1 as it was and then does what it does
/// there, so nothing is ever drawn, resized or undone while zoomed out.
class ZoomView : public QObject
{
    Q_OBJECT
public:
    explicit ZoomView(frmTessellon& window);

    /// 0 at 1:1, else the zoomed-out step: 1 is 1/2, the last the whole map.
    int step() const noexcept { return step_; }
    /// Map pixels to view pixels at the present step.
    double scale() const;
    /// One step out or in, the map point under `at` (picScrollContainer pixels) staying
    /// there; false where there is no such step, or memory for the copies.
    bool stepOut(QPoint at);
    bool stepIn(QPoint at);
    /// Back to 1:1 with the view as it was before zooming out.
    void leave();
    /// Notes that the map changed inside `area` (a null rectangle: all of it).
    void damage(const QRect& area);
    /// The widget that shows the zoomed map over picScrollContainer.
    PictureBox* box() const noexcept { return box_; }
    const Overview& overview() const noexcept { return overview_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QSize fitArea() const;
    QPoint origin() const;
    QPointF mapPointAt(QPointF at) const;
    /// Shows step `step` with map point `m` under `at`.
    void show(int step, QPointF m, QPoint at);
    void leaveTo(QPoint values);
    void jump(QPointF at);
    void paint(QPainter& p, const QRect& area) const;
    void relayout();
    void refresh();
    bool wheel(const QWheelEvent& e);
    bool pinch(const QNativeGestureEvent& e);
    /// Steps `count` times, out when negative, at `globalPos`.
    void stepBy(int count, QPointF globalPos);
    bool overCanvas(const QWidget* w) const;
    bool exempt(const QWidget* w) const;

    frmTessellon& w_;
    Overview overview_;
    PictureBox* box_ = nullptr;
    QTimer* settle_ = nullptr; // damage is worked off once the map has been still a while
    int step_ = 0;
    QPoint saved_;        // the bars' values at 1:1
    QSize stillSize_;     // the map's size when the copies were last looked after
    int wheelTurned_ = 0; // eighths of a degree not yet stepped
    double pinched_ = 0;  // pinch not yet stepped
};

} // namespace tessellon

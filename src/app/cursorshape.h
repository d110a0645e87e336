#pragma once

#include "vbcolor.h"

#include <QWidget>

namespace tessellon {

/// The drawing cursor: a rectangle outline over the canvas, never part of its bitmap.
/// Position and size are in canvas pixels; mouse events pass through to the canvas.
class CursorShape : public QWidget
{
    Q_OBJECT
public:
    explicit CursorShape(QWidget* canvas);

    int Left() const { return x(); }
    int Top() const { return y(); }
    int Width() const { return width(); }
    int Height() const { return height(); }
    void setLeft(int v) { move(v, y()); }
    void setTop(int v) { move(x(), v); }
    void setWidth(int v) { resize(v, height()); }
    void setHeight(int v) { resize(width(), v); }

    /// Blinking flips this, independent of whether the window shows the widget.
    bool Visible() const { return visible_; }
    void setVisible(bool v) override;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    bool visible_ = true;
};

} // namespace tessellon

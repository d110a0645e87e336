#pragma once

#include "vbcolor.h"

#include <QImage>
#include <QWidget>

namespace tessellon {

class Surface;

/// A picture box: a background colour, an optional picture drawn at its top-left (clipped),
/// an optional single border, a Tag text and an index within its control array. Mouse events
/// are reported in pixels relative to the inner area, with the platform's button numbers
/// (1 left, 2 right, 4 middle) and modifier state (1 Shift, 2 Ctrl, 4 Alt). Qt's implicit
/// grab sends the release to the box that was pressed. The wheel is reported as the distance
/// it scrolls (wheelPixels).
class PictureBox : public QWidget
{
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent, int index = 0);

    int Index() const noexcept { return index_; }
    QString Tag;

    VbColor BackColor() const noexcept { return back_; }
    void setBackColor(VbColor c);

    const QImage& Picture() const noexcept { return picture_; }
    void setPicture(const QImage& picture);

    bool hasBorder() const noexcept { return border_; }
    void setBorder(bool single);

    /// Shows a persistent surface instead of a picture (the canvas); painted straight from
    /// the surface's image, never copied.
    void setSurface(const Surface* surface);

signals:
    void MouseDown(int index, int button, int shift, double x, double y);
    void MouseMove(int index, int button, int shift, double x, double y);
    void MouseUp(int index, int button, int shift, double x, double y);
    /// A key pressed while the box holds the focus, as a virtual-key code.
    void KeyDown(int index, int keyCode, int shift);
    /// The wheel turned over the box: how far it scrolls, in pixels.
    void Wheel(QPoint pixels);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    int index_;
    VbColor back_ = kWhite;
    QImage picture_;
    bool border_ = false;
    const Surface* surface_ = nullptr;
};

/// The platform's number of one mouse button (1 left, 2 right, 4 middle, 0 other).
int vbButton(Qt::MouseButton b) noexcept;
/// The platform's number of a set of held buttons, added together.
int vbButtons(Qt::MouseButtons b) noexcept;
/// How far a wheel event scrolls a view, in pixels, positive towards the bottom and right:
/// three grid cells (90 pixels) a notch, a touchpad's own pixel distance where it gives one.
/// Shift turns a vertical wheel sideways.
QPoint wheelPixels(const QWheelEvent& e);

} // namespace tessellon

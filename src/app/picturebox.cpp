#include "picturebox.h"

#include "keymapper.h"
#include "surface.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace tessellon {

int vbButton(Qt::MouseButton b) noexcept
{
    switch (b) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

int vbButtons(Qt::MouseButtons b) noexcept
{
    return (b & Qt::LeftButton ? 1 : 0) | (b & Qt::RightButton ? 2 : 0) |
           (b & Qt::MiddleButton ? 4 : 0);
}

QPoint wheelPixels(const QWheelEvent& e)
{
    constexpr int kPixelsPerNotch = 90;
    constexpr double kNotch = 120; // eighths of a degree
    QPoint d = e.pixelDelta().isNull() ? e.angleDelta() * kPixelsPerNotch / kNotch : e.pixelDelta();
    if ((e.modifiers() & Qt::ShiftModifier) && d.x() == 0) d = QPoint(d.y(), 0);
    return -d; // turning the wheel away from the user moves the view up
}

PictureBox::PictureBox(QWidget* parent, int index) : QWidget(parent), index_(index)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setBackColor(VbColor c)
{
    if (c == back_) return;
    back_ = c;
    update();
}

void PictureBox::setPicture(const QImage& picture)
{
    picture_ = picture;
    update();
}

void PictureBox::setBorder(bool single)
{
    border_ = single;
    update();
}

void PictureBox::setSurface(const Surface* surface)
{
    surface_ = surface;
    update();
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.fillRect(event->rect(), toQColor(back_));
    const int inset = border_ ? 1 : 0;
    p.setClipRect(rect().adjusted(inset, inset, -inset, -inset));
    if (surface_) {
        // only the exposed part: a large canvas is not repainted whole for a cursor blink
        const QRect area = event->rect().translated(-inset, -inset) & surface_->image().rect();
        if (!area.isEmpty())
            p.drawImage(area.topLeft() + QPoint(inset, inset), surface_->image(), area);
    } else if (!picture_.isNull()) {
        p.drawImage(QPoint(inset, inset), picture_);
    }
    if (border_) {
        p.setClipping(false);
        p.setPen(Qt::black);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void PictureBox::mousePressEvent(QMouseEvent* e)
{
    const int inset = border_ ? 1 : 0;
    emit MouseDown(index_, vbButton(e->button()), modifierState(e->modifiers()),
                   e->position().x() - inset, e->position().y() - inset);
}

void PictureBox::mouseMoveEvent(QMouseEvent* e)
{
    const int inset = border_ ? 1 : 0;
    emit MouseMove(index_, vbButtons(e->buttons()), modifierState(e->modifiers()),
                   e->position().x() - inset, e->position().y() - inset);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* e)
{
    const int inset = border_ ? 1 : 0;
    emit MouseUp(index_, vbButton(e->button()), modifierState(e->modifiers()),
                 e->position().x() - inset, e->position().y() - inset);
}

void PictureBox::keyPressEvent(QKeyEvent* e)
{
    emit KeyDown(index_, virtualKeyCode(*e), modifierState(e->modifiers()));
}

void PictureBox::wheelEvent(QWheelEvent* e)
{
    emit Wheel(wheelPixels(*e));
    e->accept();
}

} // namespace tessellon

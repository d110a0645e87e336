#include "frame.h"

#include <QMouseEvent>
#include <QPainter>

namespace tessellon {

namespace {
// The platform's grey frame-line system colour, as a classic desktop draws it.
const QColor kSeparatorGrey(0xA0, 0xA0, 0xA0);
} // namespace

Frame::Frame(QWidget* parent, int index) : QWidget(parent), index_(index)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Frame::addSeparator(int x, int y1, int y2)
{
    separators_.push_back({x, y1, y2});
    update();
}

void Frame::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(QColor(0xD0, 0xD0, 0xD0));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(kSeparatorGrey);
    for (const Line& l : separators_) p.drawLine(l.x, l.y1, l.x, l.y2);
}

void Frame::mouseMoveEvent(QMouseEvent* e)
{
    emit MouseMove(index_);
    e->accept();
}

void Frame::mousePressEvent(QMouseEvent* e)
{
    emit Click(index_);
    e->accept();
}

} // namespace tessellon

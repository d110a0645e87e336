#include "cursorshape.h"

#include <QPainter>

namespace tessellon {

CursorShape::CursorShape(QWidget* canvas) : QWidget(canvas)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void CursorShape::setVisible(bool v)
{
    visible_ = v;
    QWidget::setVisible(v);
}

void CursorShape::paintEvent(QPaintEvent*)
{
    // Two grey rings, so the outline stays visible over black lines as over white.
    QPainter p(this);
    p.setPen(QPen(toQColor(0x00808080), 1));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(QPen(toQColor(0x00404040), 1, Qt::DotLine));
    p.drawRect(rect().adjusted(1, 1, -2, -2));
}

} // namespace tessellon

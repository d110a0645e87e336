#pragma once

#include "vbcolor.h"

#include <QVector>
#include <QWidget>

namespace tessellon {

/// A captionless frame with a white background and a thin etched outline. It may carry
/// vertical separator lines, and reports mouse moves over its own background.
class Frame : public QWidget
{
    Q_OBJECT
public:
    Frame(QWidget* parent, int index = 0);
    int Index() const noexcept { return index_; }
    /// A vertical separator line from (x, y1) to (x, y2), in frame pixels.
    void addSeparator(int x, int y1, int y2);

signals:
    void MouseMove(int index);
    /// A press on the frame's own background.
    void Click(int index);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    int index_;
    struct Line
    {
        int x, y1, y2;
    };
    QVector<Line> separators_;
};

} // namespace tessellon

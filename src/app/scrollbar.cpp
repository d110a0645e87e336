#include "scrollbar.h"

#include <algorithm>

namespace tessellon {

ScrollBar::ScrollBar(Qt::Orientation o, QWidget* parent) : QScrollBar(o, parent)
{
    committed_ = value();
    connect(this, &QAbstractSlider::valueChanged, this, [this](int v) {
        if (isSliderDown()) {
            emit Scroll();
            return;
        }
        committed_ = v;
        emit Change();
    });
    connect(this, &QAbstractSlider::sliderReleased, this, [this] {
        if (value() == committed_) return;
        committed_ = value();
        emit Change();
    });
}

void ScrollBar::setValueFromCode(int v)
{
    setValue(v); // valueChanged raises Change when the value differs
}

void ScrollBar::scrollBy(int delta)
{
    if (delta == 0) return;
    setValueFromCode(
        int(std::clamp(qint64(value()) + delta, qint64(minimum()), qint64(maximum()))));
}

} // namespace tessellon

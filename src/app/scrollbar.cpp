#include "scrollbar.h"

#include "vbconvert.h"

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

void ScrollBar::setRangeFor(int size)
{
    // a value clamped into the new range is a change like any other: the canvas follows
    setMin(1);
    setMax(std::max(1, size));
    setSmallChange(std::max(1, roundHalfEven(size / 15.0)));
    setLargeChange(std::max(1, roundHalfEven(size / 5.0)));
}

} // namespace tessellon

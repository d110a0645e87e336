#pragma once

#include <QScrollBar>

namespace tessellon {

/// A scroll bar with the two events the view needs: Change when a value is committed and
/// differs from the previous one (arrow or track click, keyboard, release of a drag, or a
/// value set by the program), and Scroll while the thumb is being dragged.
class ScrollBar : public QScrollBar
{
    Q_OBJECT
public:
    ScrollBar(Qt::Orientation o, QWidget* parent);

    int Min() const { return minimum(); }
    int Max() const { return maximum(); }
    int Value() const { return value(); }
    /// Sets the value from code; raises Change when it differs.
    void setValueFromCode(int v);
    /// Moves the value by `delta`, kept within the range; raises Change when it differs.
    void scrollBy(int delta);
    void setMin(int v) { setMinimum(v); }
    void setMax(int v) { setMaximum(v); }
    int SmallChange() const { return singleStep(); }
    int LargeChange() const { return pageStep(); }
    void setSmallChange(int v) { setSingleStep(v); }
    void setLargeChange(int v) { setPageStep(v); }
    /// The range and steps for a view over `size` pixels: 1 to size, a fifteenth and a fifth
    /// of it a step. Ranges are 16-bit; no map passes 32767 pixels a side.
    void setRangeFor(int size);

signals:
    void Change();
    void Scroll();

private:
    int committed_ = 0; // value of the last Change
};

} // namespace tessellon

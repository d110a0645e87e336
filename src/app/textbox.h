#pragma once

#include <QLineEdit>

namespace tessellon {

/// A locked, centred text box of a control array: typing never changes its text, but it
/// takes focus and reports clicks, key presses (as virtual-key codes) and the loss of focus.
/// Text wider than the box shows its beginning.
class TextBox : public QLineEdit
{
    Q_OBJECT
public:
    TextBox(QWidget* parent, int index);
    int Index() const noexcept { return index_; }

signals:
    void Click(int index);
    void KeyDown(int index, int keyCode, int shift);
    void LostFocus(int index);

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    int index_;
};

} // namespace tessellon

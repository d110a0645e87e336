#include "textbox.h"

#include "keymapper.h"

#include <QKeyEvent>

namespace tessellon {

TextBox::TextBox(QWidget* parent, int index) : QLineEdit(parent), index_(index)
{
    setReadOnly(true);
    setAlignment(Qt::AlignCenter);
    setFocusPolicy(Qt::StrongFocus);
    // A locked box has no caret to follow: it always shows the start of its text, so a name
    // wider than the box ("BACKSPACE") never reads as another key ("SPACE").
    connect(this, &QLineEdit::cursorPositionChanged, this, [this] { setCursorPosition(0); });
}

void TextBox::mouseReleaseEvent(QMouseEvent* e)
{
    QLineEdit::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        emit Click(index_);
}

void TextBox::keyPressEvent(QKeyEvent* e)
{
    // Every key goes to the binding handler and none edits the text. Tab never gets here:
    // it moves the focus on first, as on every control.
    emit KeyDown(index_, virtualKeyCode(*e), modifierState(e->modifiers()));
}

void TextBox::focusOutEvent(QFocusEvent* e)
{
    QLineEdit::focusOutEvent(e);
    emit LostFocus(index_);
}

void TextBox::contextMenuEvent(QContextMenuEvent* e)
{
    e->ignore(); // a locked box offers no editing menu
}

} // namespace tessellon

#pragma once

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

namespace tessellon {

/// The style sheet of the window's option buttons, check box, labels, bars and boxes, and of
/// the boxes it opens: 2 pixels between a mark and its caption, the room the description's
/// sizes leave.
inline constexpr char kCaptionStyleSheet[] = "QRadioButton, QCheckBox { spacing: 2px; }";

/// An option button whose selection by the program raises Click like a user's click.
/// Selecting the option that is already selected raises Click again.
class OptionButton : public QRadioButton
{
    Q_OBJECT
public:
    OptionButton(const QString& caption, QWidget* parent, int index);
    int Index() const noexcept { return index_; }
    bool Value() const { return isChecked(); }
    /// Selects the option from code and raises Click.
    void select();

signals:
    void Click(int index);

private:
    int index_;
};

/// A check box with the values 0 and 1; a value set by the program raises Click when it
/// changes, as a user's click does.
class CheckBox : public QCheckBox
{
    Q_OBJECT
public:
    CheckBox(const QString& caption, QWidget* parent);
    int Value() const { return isChecked() ? 1 : 0; }
    void setValue(int v);

signals:
    void Click();
};

/// A command button in the graphical style: white face, flat border.
class CommandButton : public QPushButton
{
    Q_OBJECT
public:
    CommandButton(const QString& caption, QWidget* parent, bool tabStop = true);
};

} // namespace tessellon

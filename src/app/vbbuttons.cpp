#include "vbbuttons.h"

namespace tessellon {

OptionButton::OptionButton(const QString& caption, QWidget* parent, int index)
    : QRadioButton(caption, parent), index_(index)
{
    connect(this, &QAbstractButton::clicked, this, [this] { emit Click(index_); });
}

void OptionButton::select()
{
    setChecked(true);
    emit Click(index_);
}

CheckBox::CheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent)
{
    connect(this, &QAbstractButton::clicked, this, [this] { emit Click(); });
}

void CheckBox::setValue(int v)
{
    const bool on = v != 0;
    if (on == isChecked()) return;
    setChecked(on);
    emit Click();
}

CommandButton::CommandButton(const QString& caption, QWidget* parent, bool tabStop)
    : QPushButton(caption, parent)
{
    setAutoDefault(false);
    if (!tabStop) setFocusPolicy(Qt::ClickFocus);
    setStyleSheet(QStringLiteral("QPushButton { background: white; border: 1px solid #808080; }"
                                 "QPushButton:pressed { background: #e0e0e0; }"
                                 "QPushButton:focus { border: 1px solid black; }"));
}

} // namespace tessellon

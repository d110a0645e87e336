#include "dialogs.h"

#include "vbbuttons.h"

#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>

namespace tessellon {

QString QtDialogs::InputBox(const QString& prompt, const QString& title,
                            const QString& defaultText)
{
    QInputDialog box(parent_);
    box.setStyleSheet(QString::fromLatin1(kCaptionStyleSheet));
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setTextValue(defaultText);
    box.setInputMode(QInputDialog::TextInput);
    // long prompts wrap instead of widening the box past the screen
    if (auto* label = box.findChild<QLabel*>()) label->setWordWrap(true);
    return box.exec() == QDialog::Accepted ? box.textValue() : QString();
}

int QtDialogs::MsgBox(const QString& text, int style, const QString& title)
{
    QMessageBox box(parent_);
    box.setStyleSheet(QString::fromLatin1(kCaptionStyleSheet));
    box.setWindowTitle(title);
    box.setText(text);
    const bool yesNo = (style & 7) == msgbox::kYesNo;
    if ((style & 0x70) == msgbox::kExclamation) box.setIcon(QMessageBox::Warning);
    if (yesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        const bool second = (style & 0x300) == msgbox::kDefaultButton2;
        box.setDefaultButton(second ? QMessageBox::No : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
    }
    const int answer = box.exec();
    if (answer == QMessageBox::Yes) return msgbox::kYes;
    if (answer == QMessageBox::No) return msgbox::kNo;
    return msgbox::kOk;
}

} // namespace tessellon

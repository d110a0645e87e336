#include "dialogs.h"

#include "progress.h"
#include "vbbuttons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

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

bool QtDialogs::ProgressBox(const QString& title, const QString& name, Progress& progress,
                            const std::function<bool()>& finished)
{
    if (finished()) return true;
    QDialog box(parent_);
    box.setStyleSheet(QString::fromLatin1(kCaptionStyleSheet)); // as the other boxes
    box.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&box);
    auto* label = new QLabel(name, &box);
    label->setTextFormat(Qt::PlainText);
    auto* bar = new QProgressBar(&box);
    bar->setRange(0, 1000);
    bar->setMinimumWidth(320);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, &box);
    // Return, Enter and Space held down to confirm the box before must not stop the work:
    // Cancel is no default button and never takes the focus, so only a click presses it.
    QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
    cancel->setAutoDefault(false);
    cancel->setDefault(false);
    cancel->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(label);
    layout->addWidget(bar);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    QTimer poll;
    poll.setInterval(25);
    QObject::connect(&poll, &QTimer::timeout, &box, [&] {
        bar->setValue(progress.permille());
        if (finished()) box.accept();
    });
    // Not modal: the system drops a close of a window that a modal box blocks, and the window
    // must hear it to close once the work is over. Its input is blocked by the caller instead.
    QEventLoop loop;
    QObject::connect(&box, &QDialog::finished, &loop, &QEventLoop::quit);
    poll.start();
    box.show();
    box.activateWindow();
    loop.exec(); // Escape and the title bar's close button reject the box, as Cancel does
    if (box.result() == QDialog::Accepted) return true;
    progress.requestStop();
    return false;
}

} // namespace tessellon

#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace tessellon {

class Progress;

/// Message box styles and answers, with the platform's numbers.
namespace msgbox {
inline constexpr int kOkOnly = 0;
inline constexpr int kYesNo = 4;
inline constexpr int kExclamation = 48;
inline constexpr int kDefaultButton2 = 256;
/// Clear's question: Yes and No, exclamation icon, No as the default (4 + 48 + 256).
inline constexpr int kClearQuestion = kYesNo + kExclamation + kDefaultButton2;
inline constexpr int kOk = 1;
inline constexpr int kYes = 6;
inline constexpr int kNo = 7;
} // namespace msgbox

/// The modal boxes the window asks through. The real program shows Qt dialogs; tests
/// script the answers.
class Dialogs
{
public:
    virtual ~Dialogs() = default;
    /// A one-line text box pre-filled with `defaultText`; "" on Cancel.
    virtual QString InputBox(const QString& prompt, const QString& title,
                             const QString& defaultText) = 0;
    /// A message box; returns the button pressed (msgbox::kOk, kYes, kNo).
    virtual int MsgBox(const QString& text, int style, const QString& title) = 0;
    /// A modal box titled `title` holding `name`, a bar showing `progress` and a Cancel
    /// button, open while work goes on elsewhere: true once `finished` says so; false when
    /// the user cancelled (Cancel, Escape or closing the box), `progress` then asked to stop.
    virtual bool ProgressBox(const QString& title, const QString& name, Progress& progress,
                             const std::function<bool()>& finished) = 0;
};

/// Qt's own modal dialogs, parented to `parent`.
class QtDialogs : public Dialogs
{
public:
    explicit QtDialogs(QWidget* parent) : parent_(parent) {}
    QString InputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    int MsgBox(const QString& text, int style, const QString& title) override;
    bool ProgressBox(const QString& title, const QString& name, Progress& progress,
                     const std::function<bool()>& finished) override;

private:
    QWidget* parent_;
};

} // namespace tessellon

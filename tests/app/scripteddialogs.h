#pragma once

#include "dialogs.h"
#include "progress.h"

#include <QCoreApplication>
#include <QStringList>
#include <QThread>

#include <deque>
#include <functional>

/// Dialogs whose answers a test scripts in advance; every box asked is recorded, and a box
/// asked with no answer left counts as a failure the test can check.
class ScriptedDialogs : public tessellon::Dialogs
{
public:
    struct Asked
    {
        QString kind, text, title, defaultText;
        int style = 0;
    };

    std::deque<QString> inputs;
    std::deque<int> answers;
    /// One per progress box: true presses Cancel as soon as it shows; without any left the
    /// box stays until the work has finished, handling events as the real one does.
    std::deque<bool> cancels;
    /// Run once each time a progress box shows, before it handles any event.
    std::function<void()> whileShowing;
    std::vector<Asked> asked;
    int unanswered = 0;

    QString InputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override
    {
        asked.push_back({QStringLiteral("InputBox"), prompt, title, defaultText, 0});
        if (inputs.empty()) {
            ++unanswered;
            return {};
        }
        QString a = inputs.front();
        inputs.pop_front();
        return a;
    }

    int MsgBox(const QString& text, int style, const QString& title) override
    {
        asked.push_back({QStringLiteral("MsgBox"), text, title, QString(), style});
        if (answers.empty()) {
            ++unanswered;
            return tessellon::msgbox::kOk;
        }
        int a = answers.front();
        answers.pop_front();
        return a;
    }

    bool ProgressBox(const QString& title, const QString& name, tessellon::Progress& progress,
                     const std::function<bool()>& finished) override
    {
        asked.push_back({QStringLiteral("ProgressBox"), name, title, QString(), 0});
        if (whileShowing) whileShowing();
        const bool cancel = !cancels.empty() && cancels.front();
        if (!cancels.empty()) cancels.pop_front();
        if (cancel) {
            progress.requestStop();
            return false;
        }
        while (!finished()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(1);
        }
        return true;
    }
};

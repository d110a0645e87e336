#pragma once

#include "dialogs.h"

#include <QStringList>

#include <deque>

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
};

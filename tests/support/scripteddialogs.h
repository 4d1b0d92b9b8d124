// Dialogs for tests: records every message and answers input boxes from a script.
#pragma once

#include "ui/dialogs.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <gtest/gtest.h>

namespace testing_support {

struct InputBoxCall {
    QString prompt;
    QString title;
    QString defaultText;
    QPoint topLeftTwips;
};

class ScriptedDialogs final : public ui::Dialogs {
public:
    std::deque<QString> answers; // returned by the next input boxes, in order
    std::vector<InputBoxCall> inputBoxes;
    QStringList messages;
    std::function<void()> whileShown; // runs while each message box is open

    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText,
                     QPoint topLeftTwips) override {
        inputBoxes.push_back({prompt, title, defaultText, topLeftTwips});
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected input box: " << prompt.toStdString();
            return {};
        }
        QString answer = answers.front();
        answers.pop_front();
        return answer;
    }

    void messageBox(const QString& text) override {
        messages.append(text);
        if (const auto run = whileShown) // a copy: it may replace itself
            run();
    }
};

} // namespace testing_support

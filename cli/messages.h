// The windows' message boxes for the commands, which have no window: kept to be printed.
#pragma once

#include "ui/dialogs.h"

#include <QStringList>
#include <utility>

namespace cli {

// Nothing asks: the program starts without asking for the own locator, its only question.
class CollectedMessages final : public ui::Dialogs {
public:
    QString inputBox(const QString&, const QString&, const QString&, QPoint) override { return {}; }
    void messageBox(const QString& text) override { messages_.append(text); }
    QStringList take() { return std::exchange(messages_, {}); }

private:
    QStringList messages_;
};

} // namespace cli

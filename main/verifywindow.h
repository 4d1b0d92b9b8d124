// "Verify log" (Ctrl+R) in the log window's paste box: the pasted log verified as
// `norvane verify` does, shown in a report window whose rows lead back to their lines.
#pragma once

#include "edilog/logverifier.h"
#include "ui/qt/formsview.h"

#include <QString>
#include <QWidget>
#include <functional>

class QPlainTextEdit;
class QTableWidget;

namespace app {
class Program;
}

namespace launcher {

// A table of findings (line, severity, code, text) above the summary. A double-click on a
// row hands its line to `selectLine`. A window of its own that goes with `logWindow`.
class VerifyReport final : public QWidget {
public:
    VerifyReport(QWidget* logWindow, std::function<void(qsizetype line)> selectLine);
    void show(const edilog::VerifyResult& result);

private:
    QTableWidget* table_;
    QPlainTextEdit* summary_;
    std::function<void(qsizetype)> selectLine_;
};

// The log window's paste box gets the entry; the report window is made on first use and kept
// while the log window is.
void addVerifyMenu(ui::qt::FormsView& view, app::Program& program, const QString& dataDirectory);

} // namespace launcher

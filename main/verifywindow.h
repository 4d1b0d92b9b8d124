// "Verify log" (Ctrl+R) in the log window's paste box: the pasted log verified as
// `norvane verify` does, shown in a report window whose rows lead back to their lines; and
// "Save as EDI…", the pasted log written for one band as `norvane convert` writes it.
#pragma once

#include "contestlog/bands.h"
#include "edilog/countryfile.h"
#include "edilog/logverifier.h"
#include "ui/qt/formsview.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

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

// "Save as EDI…": the band, call, locator and section asked for (prefilled from the box's log
// and myloc.txt), then a file; nothing when the operator cancels.
struct SaveChoices {
    contestlog::Band band = contestlog::Band::None;
    QString call, locator, section, path;
    QString problem; // why nothing was saved
};
std::optional<SaveChoices> askSaveChoices(QWidget* parent, const QString& text,
                                          app::Program& program);
// The box's log for that band written to choices.path and verified; nothing, with
// choices.problem, when there is no QSO to write or the file cannot be written.
std::optional<edilog::VerifyResult> saveAsEdi(const QString& text, SaveChoices& choices,
                                              const edilog::CountryFile& countries,
                                              QByteArrayView database);

} // namespace launcher

#include "program.h"

#include "bearing/bearingwindow.h"
#include "edilog/logfile.h"

using namespace Qt::StringLiterals;

namespace app {

namespace {

// The three windows, and the status line of the station features (app/station.h), hidden
// until one is set, in the free space right of the bearing and distance.
std::vector<ui::FormDefinition> definitions() {
    std::vector<ui::FormDefinition> forms = ui::programDefinitions();
    forms.front().controls.push_back(
        {u"Antenna"_s, ui::ControlType::Label, {}, {3000, 600, 2055, 255}, 11, false, false});
    return forms;
}

} // namespace

Program::Program(const QString& dataDirectory, ui::Dialogs& dialogs, stationdb::FileIo* io)
    : io_(io ? *io : diskIo_), db_(dataDirectory, io_), forms_(definitions(), dialogs),
      mainWindow_(db_), logWindow_(db_, [this] { return mainWindow_.recordCount(); }),
      lists_(db_, io_, forms_) {
    forms_.setBinder(u"Form1", [this](ui::Form& form) { mainWindow_.bind(form); });
    forms_.setBinder(u"Form2", bearing::bindBearingWindow);
    forms_.setBinder(u"Form3", [this](ui::Form& form) { logWindow_.bind(form); });
    // Between events the operator or an editor may change the files.
    forms_.onEventBoundary([this] { db_.eventEnded(); });
}

void Program::start(bool askForOwnLocator) {
    db_.clearAfterCrashedWriter();
    mainWindow_.setAskForOwnLocator(askForOwnLocator);
    forms_.form(u"Form1").show();
}

void Program::prepareDatabase() {
    db_.prepare();
    db_.watch();
}

std::optional<QString> Program::logFilesText(const QStringList& paths) {
    const edilog::LogText logs = edilog::ReadLogFiles(paths);
    if (logs.error) {
        forms_.messageBox(logs.error->message());
        return std::nullopt;
    }
    return logs.text;
}

void Program::openLogFiles(const QStringList& paths) {
    forms_.form(u"Form1").button(u"Command2").click();
    if (const auto text = logFilesText(paths))
        forms_.form(u"Form3").textBox(u"Text1").setText(*text);
}

} // namespace app

#include "program.h"

#include "bearing/bearingwindow.h"
#include "edilog/logfile.h"

using namespace Qt::StringLiterals;

namespace app {

Program::Program(const QString& dataDirectory, ui::Dialogs& dialogs, stationdb::FileIo* io)
    : db_(dataDirectory, io ? *io : diskIo_), forms_(ui::programDefinitions(), dialogs),
      mainWindow_(db_), logWindow_(db_, [this] { return mainWindow_.recordCount(); }) {
    forms_.setBinder(u"Form1", [this](ui::Form& form) { mainWindow_.bind(form); });
    forms_.setBinder(u"Form2", bearing::bindBearingWindow);
    forms_.setBinder(u"Form3", [this](ui::Form& form) { logWindow_.bind(form); });
    // Between events the operator or an editor may change the files.
    forms_.onEventBoundary([this] { db_.forgetSnapshot(); });
}

void Program::start(bool askForOwnLocator) {
    db_.clearAfterCrashedWriter();
    mainWindow_.setAskForOwnLocator(askForOwnLocator);
    forms_.form(u"Form1").show();
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

// One running program: its windows, their handlers and its data files.
#pragma once

#include "app/listcommands.h"
#include "app/mainwindow.h"
#include "edilog/logwindow.h"
#include "stationdb/files.h"
#include "stationdb/stationdb.h"
#include "ui/dialogs.h"
#include "ui/forms.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace app {

class Program {
public:
    // io: the file layer to use; the real disk when null.
    Program(const QString& dataDirectory, ui::Dialogs& dialogs, stationdb::FileIo* io = nullptr);

    // Loads the main window (its Load handler runs first) and shows it. Without a window on
    // screen (the command line) nothing may wait for an answer: a missing own locator then
    // stays unset instead of being asked for.
    void start(bool askForOwnLocator = true);
    // Once the window shows: the database read and indexed off the event loop, now and
    // whenever another program saves it, so that the first key is as quick as the rest.
    void prepareDatabase();
    bool ended() const { return forms_.ended(); }

    // The text of log files for the log window's paste box; nothing when one of them cannot
    // be read, which the operator is told.
    std::optional<QString> logFilesText(const QStringList& paths);
    // "Check LOG" with the logs' text in the paste box, as if dropped there; nothing is
    // checked until the operator presses a button.
    void openLogFiles(const QStringList& paths);

    ui::Forms& forms() { return forms_; }
    stationdb::StationDb& db() { return db_; }
    ListCommands& lists() { return lists_; }

private:
    stationdb::FileIo diskIo_;
    stationdb::FileIo& io_;
    stationdb::StationDb db_;
    ui::Forms forms_;
    MainWindow mainWindow_;
    edilog::LogWindow logWindow_;
    ListCommands lists_;
};

} // namespace app

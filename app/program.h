// One running program: its windows, their handlers and its data files.
#pragma once

#include "app/mainwindow.h"
#include "edilog/logwindow.h"
#include "stationdb/files.h"
#include "stationdb/stationdb.h"
#include "ui/dialogs.h"
#include "ui/forms.h"

#include <QString>

namespace app {

class Program {
public:
    // io: the file layer to use; the real disk when null.
    Program(const QString& dataDirectory, ui::Dialogs& dialogs, stationdb::FileIo* io = nullptr);

    // Loads the main window (its Load handler runs first) and shows it.
    void start();
    bool ended() const { return forms_.ended(); }

    ui::Forms& forms() { return forms_; }
    stationdb::StationDb& db() { return db_; }

private:
    stationdb::FileIo diskIo_;
    stationdb::StationDb db_;
    ui::Forms forms_;
    MainWindow mainWindow_;
    edilog::LogWindow logWindow_;
};

} // namespace app

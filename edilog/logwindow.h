// The log window (Form3): checks a pasted EDI log against the station database and adds
// the stations of pasted logs or plain record lines to it.
#pragma once

#include "qsorecord.h"
#include "stationdb/stationdb.h"
#include "ui/forms.h"

#include <QString>
#include <functional>
#include <vector>

namespace edilog {

class LogWindow {
public:
    // recordCount gives the main window's start-up count of database lines, whenever a new
    // log window is created.
    LogWindow(stationdb::StationDb& db, std::function<QString()> recordCount);

    void bind(ui::Form& form3);

private:
    using Parser = std::vector<QsoRecord> (*)(const QString& pastedText);

    void load(ui::Form& form3);
    void info(ui::Form& form3);
    void check(ui::Form& form3);
    // "Add EDI" and "Add TXT": the pasted stations the database lacks are appended to it.
    void addStations(ui::Form& form3, Parser parse);

    stationdb::StationDb& db_;
    std::function<QString()> recordCount_;
};

} // namespace edilog

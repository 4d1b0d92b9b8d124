// The main window (Form1): start-up, the locator and call fields, and the buttons that end
// the program or open the log window.
#pragma once

#include "stationdb/stationdb.h"
#include "ui/forms.h"

#include <QString>

namespace app {

class MainWindow {
public:
    explicit MainWindow(stationdb::StationDb& db) : db_(db) {}

    void bind(ui::Form& form1);
    void setAskForOwnLocator(bool ask) { askForOwnLocator_ = ask; }

    // Lines of the database counted at start-up; "0" when there was none to count.
    const QString& recordCount() const { return recordCount_; }

private:
    void load(ui::Form& form1);
    void exit(ui::Forms& forms);
    void openLogWindow(ui::Form& form1, bool checkMode);
    void locatorChanged(ui::Form& form1);
    void callChanged(ui::Form& form1);
    void pushToBearingWindow(ui::Form& form1);
    // The database's bytes for a lookup, empty when there is none; nullopt when it cannot be
    // read, which the operator is told.
    std::optional<QByteArray> databaseForLookup(ui::Forms& forms);

    stationdb::StationDb& db_;
    QString recordCount_ = QStringLiteral("0");
    bool askForOwnLocator_ = true;
};

} // namespace app

// Import and export of the call/locator lists of other programs, for the main window's
// context menu and the command line alike.
#pragma once

#include "stationdb/files.h"
#include "stationdb/stationdb.h"
#include "stationlists/stationlists.h"
#include "ui/forms.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

namespace app {

class ListCommands {
public:
    ListCommands(stationdb::StationDb& db, stationdb::FileIo& io, ui::Forms& forms)
        : db_(db), io_(io), forms_(forms) {}

    // Adds the listed stations whose call the database lacks, as "Add EDI" adds a log's, and
    // tells what it added in "Add EDI"'s message box, or why it added nothing. Every file is
    // read before the database is touched. `format`: the files', else each one's content says.
    void importFiles(const QStringList& paths, std::optional<stationlists::ListFormat> format);

    // The database as a list, and written to `path` unless that is empty; nothing when the
    // database cannot be read or the file written, which the operator is told.
    std::optional<stationlists::ExportedList> exportList(stationlists::ListFormat format,
                                                         QDate today, const QString& path = {});

private:
    stationdb::StationDb& db_;
    stationdb::FileIo& io_;
    ui::Forms& forms_;
};

// "Exported 1234 stations to PATH"
QString exportedText(const stationlists::ExportedList& list, const QString& path);
// "Left out 3 records without a valid locator or call"
QString leftOutText(const stationlists::ExportedList& list);

} // namespace app

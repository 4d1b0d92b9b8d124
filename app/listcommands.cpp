#include "listcommands.h"

#include "edilog/stationimport.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace app {

void ListCommands::importFiles(const QStringList& paths,
                               std::optional<stationlists::ListFormat> format) {
    edilog::StationBytes stations;
    qsizetype skipped = 0;
    for (const QString& path : paths) {
        const stationdb::ReadResult file = io_.read(path);
        if (file.error || !file.exists) {
            forms_.messageBox(file.error
                                  ? file.error->message()
                                  : stationdb::FileError{stationdb::FileError::Operation::Read,
                                                         path, u"there is no such file"_s}
                                        .message());
            return;
        }
        const std::optional<stationlists::ListFormat> listFormat =
            format ? format
                   : stationlists::RecogniseListFormat(file.bytes, QFileInfo(path).fileName());
        if (!listFormat) {
            forms_.messageBox(u"Cannot tell which kind of list "_s +
                              QDir::toNativeSeparators(path) + u" is: name its format ("_s +
                              stationlists::ListFormatNames() + u")."_s);
            return;
        }
        skipped += stationlists::ReadStations(file.bytes, *listFormat, stations);
    }
    edilog::StationImport import;
    if (const auto error = edilog::AddToDatabase(db_, stations, import)) {
        forms_.messageBox(error->message());
        return;
    }
    QString message = edilog::AddedMessage(import);
    if (skipped > 0)
        message += u"Skipped "_s + QString::number(skipped) + u" lines without a valid locator"_s;
    forms_.messageBox(message);
}

std::optional<stationlists::ExportedList>
ListCommands::exportList(stationlists::ListFormat format, QDate today, const QString& path) {
    const stationdb::ReadResult file = db_.readDatabase();
    if (file.error) {
        forms_.messageBox(file.error->message());
        return std::nullopt;
    }
    stationlists::ExportedList list = stationlists::WriteStationList(file.bytes, format, today);
    if (!path.isEmpty())
        if (const auto error = io_.write(path, list.bytes)) {
            forms_.messageBox(error->message());
            return std::nullopt;
        }
    return list;
}

QString exportedText(const stationlists::ExportedList& list, const QString& path) {
    return u"Exported "_s + QString::number(list.stations) + u" stations to "_s +
           QDir::toNativeSeparators(path);
}

QString leftOutText(const stationlists::ExportedList& list) {
    return u"Left out "_s + QString::number(list.leftOut) +
           u" records without a valid locator or call"_s;
}

} // namespace app

// Contest logs read from files: the text that pasting the file would put into the log window.
#pragma once

#include "stationdb/files.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <optional>

namespace edilog {

// A UTF-8 byte order mark goes; valid UTF-8 is read as UTF-8, anything else byte for byte as
// Latin-1 (Windows-1252 logs keep their calls and locators, which are ASCII). Every line
// break, CR LF, LF or a lone CR, becomes CR LF, as a paste gives it.
QString DecodeLogBytes(QByteArrayView bytes);

struct LogText {
    QString text;
    std::optional<stationdb::FileError> error; // names the file that could not be read
};

struct LogBytes {
    QByteArray bytes;
    std::optional<stationdb::FileError> error; // names the file that could not be read
};

// One log's bytes as they are; none when it is larger than 64 MB or cannot be read.
LogBytes ReadLogBytes(const QString& path);
// One log; no text when it is larger than 64 MB or cannot be read. An ADIF, ADX or Cabrillo
// log gives the EDI text of LogTextForChecks.
LogText ReadLogFile(const QString& path);
// The logs' texts one after the other, each ending in a line break; none at all when one of
// them is larger than 64 MB or cannot be read.
LogText ReadLogFiles(const QStringList& paths);

} // namespace edilog

// norvane convert LOG... -o OUT [--band BAND] [--from UTC] [--to UTC] [--call CALL]
// [--locator LOCATOR] [--section SECTION] [--contest NAME] [--header OLD.edi]: ADIF, ADX,
// Cabrillo or EDI logs written as REG1TEST, one log a band, verified.
#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace cli {

// 0 when every log was written and nothing has an error, 1 when a finding is an error (what
// could be written is), 2 for a bad option, a log that cannot be read or a file that cannot
// be written.
int runConvert(const QStringList& arguments, const QString& dataDirectory, QTextStream& out,
               QTextStream& err);

} // namespace cli

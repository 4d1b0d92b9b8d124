// Any log the model reads (ADIF, ADX, Cabrillo, REG1TEST) turned into REG1TEST: one log a
// band, the QSOs in time order, points, flags and claims computed as `verify` counts them,
// and a finding for every QSO that cannot be made right.
#pragma once

#include "contestlog/contestlog.h"
#include "countryfile.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <vector>

namespace edilog {

struct ConvertOptions {
    contestlog::Band band = contestlog::Band::None; // None: every band REG1TEST names
    QDateTime from, to;                             // UTC, both included; invalid: open
    // What the log may lack; given, they replace the log's own.
    QString call, locator, section, contest;
    // The station's fixed lines (addresses, equipment, operators) from an earlier log.
    const contestlog::ContestLog* header = nullptr;
};

struct ConvertedLog {
    contestlog::Band band = contestlog::Band::None;
    QString call;   // PCall, for the file's name
    QByteArray edi; // the log, as `verify --fix` would correct it
    qsizetype qsos = 0;
};

struct Conversion {
    std::vector<ConvertedLog> logs; // by band, low to high
    // What could not be made right, one a QSO, at the QSO's line (ADIF: its first tag) in the
    // source log; then what verifying each written log found, which should be nothing.
    std::vector<contestlog::Finding> findings;
};

Conversion ConvertLog(const contestlog::ContestLog& log, const ConvertOptions& options,
                      const CountryFile& countries);

// The paste box's text, for "Save as EDI…": one EDI log, or the logs of several bands that
// LogTextForChecks gives one after the other. `bands` lists the bands the text holds; the
// conversion takes the one of `options.band` (the first when None).
struct PastedLogs {
    std::vector<contestlog::Band> bands;
    contestlog::ContestLog log; // of the band asked for
};
PastedLogs ReadPastedLogs(const QString& text, contestlog::Band band = contestlog::Band::None);

// The QSO lines for the log window and for `check` and `add`: every band of a log that is
// not REG1TEST, as EDI text, with locators cut to six characters and the QSOs with a shorter
// one or none left out (a remarks line says how many). REG1TEST text stays as it is.
QString LogTextForChecks(QByteArrayView bytes, QStringView fileName);

} // namespace edilog

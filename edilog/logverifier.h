// Verification of a REG1TEST (EDI) log before it is sent: the format's rules, every QSO's
// points recomputed, the claims recounted, countries from cty.dat, and what the station
// database knows. Findings are values; the command line, --json and the report window only
// present them.
#pragma once

#include "contestlog/finding.h"
#include "countryfile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>
#include <vector>

namespace edilog {

// The findings' types live with the model of a contest log, which its readers fill too.
using contestlog::Finding;
using contestlog::Severity;
using contestlog::SeverityName;

// One claim of the header beside what the QSO lines give.
struct ClaimCheck {
    QString key;        // CQSOs, CQSOP, ...
    QString claimed;    // the header's value, as written; empty when missing
    QString recomputed; // in the same form
    bool differs = false;
};

struct QsoResult {
    qsizetype line = 0;
    QString call;
    QString locator;
    bool valid = false; // scores: not ERROR, not a duplicate, complete
    bool duplicate = false;
    std::optional<qint64> claimed;    // the line's points field, when it is a number
    qint64 points = 0;                // by the IARU rule, band multiplier included
    std::optional<qint64> distanceKm; // whole km, for a QSO with two good locators
};

struct VerifyResult {
    std::vector<Finding> findings; // in line order
    std::vector<ClaimCheck> summary;
    std::vector<QsoResult> qsos;
    QString convention; // the loggers' way of counting points that the log follows, if not the rule
    bool dxccChecked = false;

    qsizetype count(Severity severity) const;
};

// database: norvane.txt's bytes (may be empty); countries: may be empty, and DXCC is then
// "not checked". Never fails: whatever the bytes, the result says what is wrong with them.
VerifyResult VerifyLog(QByteArrayView log, QByteArrayView database, const CountryFile& countries);
// Many logs at once: the database is read through once for all of them.
std::vector<VerifyResult> VerifyLogs(const std::vector<QByteArrayView>& logs,
                                     QByteArrayView database, const CountryFile& countries);

// The corrected copy: points and flags recomputed, the claims and [QSORecords;N] rewritten,
// header keys spelled right, every line ending in CR LF, every QSO line kept in its order.
QByteArray FixedLog(QByteArrayView log, const CountryFile& countries);

} // namespace edilog

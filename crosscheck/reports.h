// The cross-check presented: the results on the console, results.csv, results.json, a UBN
// report per log (what a contest robot mails to an entrant), the HTML pages, and one station's
// view (--as). Nothing here decides anything; contest.h did.
#pragma once

#include "contest.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace crosscheck {

// The base name of each log's reports ("YO5OUC-144"): letters, digits and '-' alone, so that
// no call can name a file outside the folder; empty for a log that takes no part.
std::vector<QString> ReportNames(const Contest& contest);

// The results tables, the check logs, the logs that take no part and why, the verdicts' counts.
QString SummaryText(const Contest& contest);
// One log's UBN report: its score, then each lost QSO with its reason and the other side's line.
QString UbnReport(const Contest& contest, const LogEntry& log);
// Every QSO of the station's logs with its verdict: what the robot will take from it.
QString StationText(const Contest& contest, const QString& call);

QByteArray ResultsCsv(const Contest& contest);
// Everything above as one document (its schema is in the guide); `only`: these logs alone.
QByteArray ResultsJson(const Contest& contest, const std::vector<qint32>& only = {});

QByteArray IndexHtml(const Contest& contest, const std::vector<QString>& names);
QByteArray LogHtml(const Contest& contest, const LogEntry& log, const std::vector<QString>& names);

// results.csv, results.json, index.html, NAME.txt and NAME.html for each log taking part, into
// `folder` (made when missing), each written whole or not at all; what went wrong, or nothing.
std::optional<QString> WriteReports(const Contest& contest, const QString& folder);

// The logs of a station (PCall in any case), every band; empty when it sent none.
std::vector<qint32> LogsOf(const Contest& contest, const QString& call);

} // namespace crosscheck

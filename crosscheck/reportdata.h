// What the text, CSV, JSON and HTML reports share: the results tables in their order, and a
// few numbers as the reports write them. Internal to crosscheck/.
#pragma once

#include "contest.h"

#include <QString>
#include <vector>

namespace crosscheck {

struct ResultsTable {
    int band = -1;
    int category = -1;
    std::vector<qint32> logs; // ranked, best first
};

// Each band's categories in the rules' order (else as first met), ranked logs alone.
std::vector<ResultsTable> ResultsTables(const Contest& contest);
// The logs taking part but not ranked: check logs, then those the rules keep out.
std::vector<qint32> LogsWithStatus(const Contest& contest, LogStatus status);

QString PercentText(double share); // "11.8 %"
// "S59ABC JN76TO 609 km"; empty without a QSO that counts.
QString OdxText(const Contest& contest, const LogEntry& log);
QString BandLabel(const Contest& contest, const LogEntry& log);     // "144"; "?" for none
QString CategoryLabel(const Contest& contest, const LogEntry& log); // its name; empty for none
// The other side's line of a QSO: "YO5XYZ, file.edi line 33: 160507;1445;..."; empty for none.
QString OtherLineText(const Contest& contest, const QsoCheck& qso);
// Whether a verdict belongs to the UBN report's lists: U unique (counted or not), B busted,
// N not in log, another loss, or a QSO the rules do not count (period, mode, call). Confirmed
// QSOs, marked duplicates and ERROR records are none of them.
enum class UbnGroup { None, Unique, Busted, NotInLog, Other, Rules };
UbnGroup UbnGroupOf(const QsoCheck& qso);
// A QSO that counts with something to say: the other side's slip, a call matched with or
// without /P.
bool KeptWithRemark(const QsoCheck& qso);

} // namespace crosscheck

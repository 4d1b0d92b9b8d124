#include "reportdata.h"

#include <QDir>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace crosscheck {

std::vector<ResultsTable> ResultsTables(const Contest& contest) {
    std::vector<ResultsTable> tables;
    for (size_t band = 0; band < contest.bands.size(); ++band)
        for (size_t category = 0; category < contest.categories.size(); ++category) {
            ResultsTable table{int(band), int(category), {}};
            for (size_t i = 0; i < contest.logs.size(); ++i) {
                const LogEntry& log = contest.logs[i];
                if (log.status == LogStatus::Ranked && log.band == int(band) &&
                    log.category == int(category))
                    table.logs.push_back(qint32(i));
            }
            std::sort(table.logs.begin(), table.logs.end(), [&](qint32 a, qint32 b) {
                return contest.logs[size_t(a)].score.rank < contest.logs[size_t(b)].score.rank;
            });
            if (!table.logs.empty())
                tables.push_back(std::move(table));
        }
    return tables;
}

std::vector<qint32> LogsWithStatus(const Contest& contest, LogStatus status) {
    std::vector<qint32> logs;
    for (size_t i = 0; i < contest.logs.size(); ++i)
        if (contest.logs[i].status == status)
            logs.push_back(qint32(i));
    return logs;
}

QString PercentText(double share) {
    return u"%1 %"_s.arg(share * 100, 0, 'f', 1);
}

QString OdxText(const Contest& contest, const LogEntry& log) {
    if (log.score.odxQso < 0)
        return {};
    const QsoCheck& qso = log.qsos[size_t(log.score.odxQso)];
    return u"%1 %2 %3 km"_s.arg(contest.calls.text(qso.call), LocatorText(qso.locator)).arg(qso.km);
}

QString BandLabel(const Contest& contest, const LogEntry& log) {
    return log.band >= 0 ? contest.bands[size_t(log.band)].label : u"?"_s;
}

QString CategoryLabel(const Contest& contest, const LogEntry& log) {
    return log.category >= 0 ? contest.categories[size_t(log.category)] : QString();
}

QString OtherLineText(const Contest& contest, const QsoCheck& qso) {
    if (qso.otherLog < 0 || qso.otherQso < 0)
        return {};
    const LogEntry& other = contest.logs[size_t(qso.otherLog)];
    const QsoCheck& line = other.qsos[size_t(qso.otherQso)];
    return u"%1, %2 line %3: %4"_s.arg(other.call, QDir::toNativeSeparators(other.path))
        .arg(line.line)
        .arg(other.lineText(line.line));
}

UbnGroup UbnGroupOf(const QsoCheck& qso) {
    if (qso.verdict == Verdict::Unique)
        return UbnGroup::Unique; // counted or not, the entrant is told
    if (qso.counts || (qso.verdict == Verdict::Duplicate && qso.fault == Fault::None) ||
        (qso.verdict == Verdict::Invalid && qso.fault == Fault::None))
        return UbnGroup::None;
    if (qso.fault == Fault::Other)
        return UbnGroup::Other;
    switch (qso.verdict) {
    case Verdict::Unique:
    case Verdict::Unconfirmed:
        return UbnGroup::Unique;
    case Verdict::BustedCall:
    case Verdict::BustedSerial:
    case Verdict::BustedRst:
    case Verdict::BustedLocator:
        return UbnGroup::Busted;
    case Verdict::NotInLog:
        return UbnGroup::NotInLog;
    case Verdict::Period:
    case Verdict::Mode:
    case Verdict::CallRule:
        return UbnGroup::Rules;
    default:
        return UbnGroup::Other;
    }
}

bool KeptWithRemark(const QsoCheck& qso) {
    return qso.counts && qso.verdict != Verdict::Unique &&
           (qso.otherSlip != Verdict::Confirmed || qso.viaPortable);
}

} // namespace crosscheck

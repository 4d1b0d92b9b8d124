// Each log's score, and the ranks in each band and category.
#include "stages.h"

#include <QSet>
#include <algorithm>
#include <map>

namespace crosscheck {

void ScoreLogs(Contest& contest) {
    for (LogEntry& log : contest.logs) {
        if (!log.inPlay())
            continue;
        Score& s = log.score;
        QSet<QByteArray> squares;
        for (size_t q = 0; q < log.qsos.size(); ++q) {
            const QsoCheck& qso = log.qsos[q];
            ++s.verdicts[size_t(qso.verdict)];
            const bool errorRecord = qso.verdict == Verdict::Invalid && qso.fault == Fault::None;
            if (!qso.markedDuplicate && !errorRecord) {
                ++s.claimedQsos;
                s.claimedPoints += std::max(qso.claimedPoints, 0);
            }
            if (qso.fault == Fault::Own)
                ++s.lostOwn;
            s.penalties += qso.penalty;
            if (!qso.counts)
                continue;
            ++s.confirmedQsos;
            s.points += qso.points;
            squares.insert(QByteArray(qso.locator.data(), 4));
            if (s.odxQso < 0 || qso.km > log.qsos[size_t(s.odxQso)].km)
                s.odxQso = qint32(q);
        }
        s.points -= s.penalties;
        s.squares = squares.size();
        s.errorRate = log.qsos.empty() ? 0 : double(s.lostOwn) / double(log.qsos.size());
    }
    // Points, then confirmed QSOs, then the call.
    std::map<std::pair<int, int>, std::vector<LogEntry*>> tables;
    for (LogEntry& log : contest.logs)
        if (log.status == LogStatus::Ranked)
            tables[{log.band, log.category}].push_back(&log);
    for (auto& [table, logs] : tables) {
        std::sort(logs.begin(), logs.end(), [](const LogEntry* a, const LogEntry* b) {
            if (a->score.points != b->score.points)
                return a->score.points > b->score.points;
            if (a->score.confirmedQsos != b->score.confirmedQsos)
                return a->score.confirmedQsos > b->score.confirmedQsos;
            return a->call < b->call;
        });
        for (size_t i = 0; i < logs.size(); ++i) {
            logs[i]->score.rank = int(i) + 1;
            logs[i]->score.ranked = int(logs.size());
        }
    }
}

} // namespace crosscheck

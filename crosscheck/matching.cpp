// Every QSO against the other station's log: one verdict, the first that holds (contest.h).
#include "edilog/qsopoints.h"
#include "stages.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace crosscheck {

namespace {

// Whole km as the points count them, so that a QSO's km and points agree (139 km exactly
// along a meridian, which the cosines give a hair short, is 139 km and 140 points).
constexpr edilog::PointRule kWholeKm{"whole km", 111.2, false, edilog::PointRule::Count::Whole};

qint32 wholeKm(double km) {
    return qint32(edilog::DistancePoints(km, kWholeKm));
}

quint64 key(int band, quint32 call) {
    return (quint64(quint32(band)) << 32) | call;
}

struct Found {
    qint32 log = -1;
    bool viaPortable = false;
};

// A log's readable lines by the call they worked, then by time.
struct CallLine {
    quint32 call;
    Minute time;
    qint32 qso;
    bool operator<(const CallLine& o) const {
        return call != o.call ? call < o.call : time < o.time;
    }
};

// Of the lines offered, the one nearest to a moment.
struct Nearest {
    Minute time;
    qint32 log = -1;
    qint32 line = -1;
    qint64 gap = 0;

    void offer(qint32 inLog, qint32 at, Minute when) {
        const qint64 apart = std::abs(qint64(when) - time);
        if (line < 0 || apart < gap) {
            log = inLog;
            line = at;
            gap = apart;
        }
    }
};

struct TimeLine {
    Minute time;
    qint32 qso;
    bool operator<(const TimeLine& o) const { return time < o.time; }
};

class Matcher {
public:
    explicit Matcher(Contest& contest);
    void run();

private:
    Found resolve(int band, quint32 call) const;
    quint32 canonical(int band, quint32 call) const;
    // The line of `log` that worked `station` (its call, or its call with or without /P where
    // that names the station), nearest to `time`; -1 for none.
    qint32 nearestLine(qint32 log, qint32 station, Minute time) const;
    bool within(Minute a, Minute b) const { return std::abs(qint64(a) - b) <= window_; }
    void markDuplicates(LogEntry& log);
    void countWitnesses();
    void judge(qint32 logIndex, QsoCheck& qso);
    // The other side busted our call: its line near our time under a call one edit from ours
    // that no other station's log explains.
    qint32 bustedByOther(qint32 ours, qint32 theirs, Minute time) const;
    // We busted theirs: a station one edit from the call we logged, or that call with or
    // without /P, logged us within the window.
    std::pair<qint32, qint32> bustedByUs(qint32 ours, const QsoCheck& qso, qint32 logged) const;
    void compare(qint32 ours, QsoCheck& qso, qint32 theirs, qint32 line, bool theyBustedCall);
    // Whole hours off: 0, or so many, when the offset is within the window of them.
    int wholeHours(qint64 offset) const;
    void countClock(qint32 ours, qint64 offset);
    void findClocks();
    // A QSO an hour off, where the other log's clock was set to another zone and ours was not.
    void forgiveClock(qint32 ours, QsoCheck& qso);
    void score(const LogEntry& log, QsoCheck& qso) const;
    std::vector<qint32> nearCalls(int band, const QString& call) const;

    Contest& contest_;
    const ContestRules& rules_;
    qint64 window_;
    QHash<quint64, qint32> stations_, aliases_;
    // Each log's call with or without /P, and whether that names the same station.
    std::vector<quint32> toggled_;
    std::vector<bool> toggledIsAlias_;
    std::vector<std::vector<CallLine>> byCall_;
    std::vector<std::vector<TimeLine>> byTime_;
    QHash<QString, std::vector<qint32>> deletions_;       // band + call with a letter left out
    QHash<quint64, std::pair<qint32, qint32>> witnesses_; // stations that logged it, the last
    std::vector<std::array<qint32, 25>> hoursOff_;        // -12 to 12 hours: QSOs found so far off
};

Matcher::Matcher(Contest& contest)
    : contest_(contest), rules_(contest.rules), window_(contest.rules.windowMinutes),
      toggled_(contest.logs.size()), toggledIsAlias_(contest.logs.size()),
      byCall_(contest.logs.size()), byTime_(contest.logs.size()), hoursOff_(contest.logs.size()) {
    std::vector<LogEntry>& logs = contest_.logs;
    for (size_t i = 0; i < logs.size(); ++i)
        if (logs[i].inPlay())
            stations_.insert(key(logs[i].band, logs[i].callId), qint32(i));
    // Q1ABC and Q1ABC/P are one station when only one of them sent a log.
    for (size_t i = 0; i < logs.size(); ++i) {
        if (!logs[i].inPlay())
            continue;
        const quint32 other = toggled_[i] = contest_.calls.id(TogglePortable(logs[i].call));
        toggledIsAlias_[i] = !stations_.contains(key(logs[i].band, other));
        if (toggledIsAlias_[i])
            aliases_.insert(key(logs[i].band, other), qint32(i));
        const QString band = QString::number(logs[i].band) + u'|';
        deletions_[band + logs[i].call].push_back(qint32(i));
        for (qsizetype at = 0; at < logs[i].call.size(); ++at)
            deletions_[band + QString(logs[i].call).remove(at, 1)].push_back(qint32(i));
    }
    for (size_t i = 0; i < logs.size(); ++i) {
        if (!logs[i].inPlay())
            continue;
        for (size_t q = 0; q < logs[i].qsos.size(); ++q) {
            const QsoCheck& qso = logs[i].qsos[q];
            if (qso.call == 0 || qso.time == kNoTime)
                continue;
            byCall_[i].push_back({qso.call, qso.time, qint32(q)});
            byTime_[i].push_back({qso.time, qint32(q)});
        }
        std::sort(byCall_[i].begin(), byCall_[i].end());
        std::sort(byTime_[i].begin(), byTime_[i].end());
    }
}

Found Matcher::resolve(int band, quint32 call) const {
    if (const auto it = stations_.constFind(key(band, call)); it != stations_.constEnd())
        return {*it, false};
    if (const auto it = aliases_.constFind(key(band, call)); it != aliases_.constEnd())
        return {*it, true};
    return {};
}

quint32 Matcher::canonical(int band, quint32 call) const {
    const Found found = resolve(band, call);
    return found.log >= 0 ? contest_.logs[size_t(found.log)].callId : call;
}

qint32 Matcher::nearestLine(qint32 log, qint32 station, Minute time) const {
    const std::vector<CallLine>& lines = byCall_[size_t(log)];
    Nearest nearest{time};
    const quint32 toggled = toggledIsAlias_[size_t(station)] ? toggled_[size_t(station)] : 0;
    for (const quint32 call : {contest_.logs[size_t(station)].callId, toggled}) {
        if (call == 0)
            continue;
        auto it = std::lower_bound(lines.begin(), lines.end(), CallLine{call, time, 0});
        for (auto at : {it, it == lines.begin() ? lines.end() : std::prev(it)})
            if (at != lines.end() && at->call == call)
                nearest.offer(log, at->qso, at->time);
    }
    return nearest.line;
}

std::vector<qint32> Matcher::nearCalls(int band, const QString& call) const {
    std::vector<qint32> found;
    const QString prefix = QString::number(band) + u'|';
    const auto add = [&](const QString& variant) {
        for (const qint32 log : deletions_.value(prefix + variant))
            if (std::find(found.begin(), found.end(), log) == found.end() &&
                OneEditApart(contest_.logs[size_t(log)].call, call))
                found.push_back(log);
    };
    add(call);
    for (qsizetype at = 0; at < call.size(); ++at)
        add(QString(call).remove(at, 1));
    const Found portable = resolve(band, contest_.calls.find(TogglePortable(call)));
    if (portable.log >= 0 && !portable.viaPortable &&
        std::find(found.begin(), found.end(), portable.log) == found.end())
        found.push_back(portable.log);
    return found;
}

void Matcher::markDuplicates(LogEntry& log) {
    QHash<quint64, qint32> first;
    for (size_t q = 0; q < log.qsos.size(); ++q) {
        QsoCheck& qso = log.qsos[q];
        if (qso.verdict != Verdict::Confirmed)
            continue;
        const quint64 station =
            (quint64(canonical(log.band, qso.call)) << 16) | quint64(quint16(qso.period));
        const auto it = first.constFind(station);
        if (it == first.constEnd()) {
            first.insert(station, qint32(q));
            continue;
        }
        qso.verdict = Verdict::Duplicate;
        qso.fault = qso.markedDuplicate ? Fault::None : Fault::Own;
        qso.extra = *it;
    }
}

void Matcher::countWitnesses() {
    for (size_t i = 0; i < contest_.logs.size(); ++i) {
        const LogEntry& log = contest_.logs[i];
        if (!log.inPlay())
            continue;
        for (const QsoCheck& qso : log.qsos) {
            if (qso.verdict != Verdict::Confirmed)
                continue;
            auto& [count, last] = witnesses_[key(log.band, canonical(log.band, qso.call))];
            if (last != qint32(i) + 1) {
                ++count;
                last = qint32(i) + 1;
            }
        }
    }
}

qint32 Matcher::bustedByOther(qint32 ours, qint32 theirs, Minute time) const {
    const LogEntry& us = contest_.logs[size_t(ours)];
    const LogEntry& them = contest_.logs[size_t(theirs)];
    const std::vector<TimeLine>& lines = byTime_[size_t(theirs)];
    auto it = std::lower_bound(lines.begin(), lines.end(), TimeLine{Minute(time - window_), 0});
    Nearest nearest{time};
    for (; it != lines.end() && it->time <= time + window_; ++it) {
        const QsoCheck& line = them.qsos[size_t(it->qso)];
        const QString& call = contest_.calls.text(line.call);
        if (line.call == us.callId ||
            !(line.call == toggled_[size_t(ours)] || OneEditApart(call, us.call)))
            continue;
        const Found named = resolve(them.band, line.call);
        if (named.log == ours)
            continue; // our own call, with or without /P
        // A station of that call whose log has the QSO: the line is theirs, not ours.
        if (named.log >= 0) {
            const qint32 back = nearestLine(named.log, theirs, it->time);
            if (back >= 0 &&
                within(contest_.logs[size_t(named.log)].qsos[size_t(back)].time, it->time))
                continue;
        }
        nearest.offer(theirs, it->qso, it->time);
    }
    return nearest.line;
}

std::pair<qint32, qint32> Matcher::bustedByUs(qint32 ours, const QsoCheck& qso,
                                              qint32 logged) const {
    const LogEntry& us = contest_.logs[size_t(ours)];
    Nearest nearest{qso.time};
    for (const qint32 other : nearCalls(us.band, contest_.calls.text(qso.call))) {
        if (other == ours || other == logged)
            continue;
        const qint32 line = nearestLine(other, ours, qso.time);
        const Minute when =
            line < 0 ? kNoTime : contest_.logs[size_t(other)].qsos[size_t(line)].time;
        if (line >= 0 && within(when, qso.time))
            nearest.offer(other, line, when);
    }
    return {nearest.log, nearest.line};
}

void Matcher::score(const LogEntry& log, QsoCheck& qso) const {
    const QByteArrayView own(qso.ownLocator.data(), qsizetype(qso.ownLocator.size()));
    const QByteArrayView other(qso.locator.data(), qsizetype(qso.locator.size()));
    const auto km = edilog::LocatorDistanceKm(own, other);
    if (!km)
        return;
    qso.km = wholeKm(*km);
    qso.points = qint32(edilog::DistancePoints(*km, edilog::kPointRules[0]) *
                        contest_.bands[size_t(log.band)].multiplier);
}

void Matcher::compare(qint32 ours, QsoCheck& qso, qint32 theirs, qint32 line, bool theyBustedCall) {
    const QsoCheck& m = contest_.logs[size_t(theirs)].qsos[size_t(line)];
    qso.otherLog = theirs;
    qso.otherQso = line;
    qso.fault = Fault::None;
    const auto rstDiffers = [&](const std::array<char, 4>& a, const std::array<char, 4>& b) {
        return rules_.compareRst && a[0] && b[0] && a != b;
    };
    const auto locatorDiffers = [](const Locator& a, const Locator& b) {
        return HasLocator(a) && HasLocator(b) && a != b;
    };
    // Our own copy first: an error costs the side that made it.
    Verdict own = Verdict::Confirmed;
    if (qso.receivedNumber >= 0 && m.sentNumber >= 0 && qso.receivedNumber != m.sentNumber)
        own = Verdict::BustedSerial;
    else if (rstDiffers(qso.receivedRst, m.sentRst))
        own = Verdict::BustedRst;
    else if (locatorDiffers(qso.locator, m.ownLocator))
        own = Verdict::BustedLocator;
    if (own != Verdict::Confirmed) {
        qso.verdict = own;
        qso.fault = Fault::Own;
        if (own == Verdict::BustedLocator) {
            const auto km = edilog::LocatorDistanceKm(QByteArrayView(qso.locator.data(), 6),
                                                      QByteArrayView(m.ownLocator.data(), 6));
            qso.km = km ? wholeKm(*km) : -1;
        }
        return;
    }
    Verdict theirsWrong = Verdict::Confirmed;
    if (theyBustedCall)
        theirsWrong = Verdict::BustedCall;
    else if (m.receivedNumber >= 0 && qso.sentNumber >= 0 && m.receivedNumber != qso.sentNumber)
        theirsWrong = Verdict::BustedSerial;
    else if (rstDiffers(m.receivedRst, qso.sentRst))
        theirsWrong = Verdict::BustedRst;
    else if (locatorDiffers(m.locator, qso.ownLocator))
        theirsWrong = Verdict::BustedLocator;
    score(contest_.logs[size_t(ours)], qso);
    if (theirsWrong != Verdict::Confirmed && rules_.errorCost == ErrorCost::BothSides) {
        qso.verdict = theirsWrong;
        qso.fault = Fault::Other;
        return;
    }
    qso.verdict = Verdict::Confirmed;
    qso.otherSlip = theirsWrong;
    qso.counts = true;
}

void Matcher::judge(qint32 ours, QsoCheck& qso) {
    const LogEntry& us = contest_.logs[size_t(ours)];
    const Found logged = resolve(us.band, qso.call);
    qso.viaPortable = logged.viaPortable;
    if (logged.log == ours) { // the log's own call: no QSO anyone can confirm
        qso.verdict = Verdict::NotInLog;
        qso.fault = Fault::Own;
        return;
    }
    if (logged.log >= 0) {
        const qint32 line = nearestLine(logged.log, ours, qso.time);
        const Minute their =
            line >= 0 ? contest_.logs[size_t(logged.log)].qsos[size_t(line)].time : kNoTime;
        if (line >= 0)
            countClock(ours, qint64(their) - qso.time);
        if (line >= 0 && within(their, qso.time))
            return compare(ours, qso, logged.log, line, false);
        if (const qint32 busted = bustedByOther(ours, logged.log, qso.time); busted >= 0)
            return compare(ours, qso, logged.log, busted, true);
        if (const auto [other, at] = bustedByUs(ours, qso, logged.log); other >= 0) {
            qso.verdict = Verdict::BustedCall;
            qso.fault = Fault::Own;
            qso.otherLog = other;
            qso.otherQso = at;
        } else if (line >= 0) {
            qso.verdict = Verdict::TimeOff;
            qso.fault = Fault::Own;
            qso.otherLog = logged.log;
            qso.otherQso = line;
            qso.extra = their - qso.time;
        } else {
            qso.verdict = Verdict::NotInLog;
            qso.fault = Fault::Own;
            qso.otherLog = logged.log;
        }
        if (qso.verdict == Verdict::BustedCall && rules_.bustedCallPenalty > 0) {
            score(us, qso);
            qso.penalty = qint32(qso.points * rules_.bustedCallPenalty);
            qso.points = 0;
        }
        return;
    }
    if (const auto [other, at] = bustedByUs(ours, qso, -1); other >= 0) {
        qso.verdict = Verdict::BustedCall;
        qso.fault = Fault::Own;
        qso.otherLog = other;
        qso.otherQso = at;
        if (rules_.bustedCallPenalty > 0) {
            score(us, qso);
            qso.penalty = qint32(qso.points * rules_.bustedCallPenalty);
            qso.points = 0;
        }
        return;
    }
    // A station that sent no log: as many witnesses as other logs have it.
    const qint32 others = witnesses_.value(key(us.band, canonical(us.band, qso.call))).first - 1;
    qso.extra = std::max(others, 0);
    qso.fault = Fault::None;
    score(us, qso);
    if (qso.extra == 0)
        qso.verdict = Verdict::Unique;
    else if (qso.extra < rules_.witnesses || !rules_.nonEntrantsCount)
        qso.verdict = Verdict::Unconfirmed;
    else
        qso.verdict = Verdict::Witnessed;
    qso.counts = rules_.nonEntrantsCount && qso.extra >= rules_.witnesses;
}

int Matcher::wholeHours(qint64 offset) const {
    const qint64 hours = (offset + (offset < 0 ? -30 : 30)) / 60;
    return hours != 0 && hours >= -12 && hours <= 12 && std::abs(offset - hours * 60) <= window_
               ? int(hours)
               : 0;
}

void Matcher::countClock(qint32 ours, qint64 offset) {
    LogEntry& log = contest_.logs[size_t(ours)];
    ++log.clockFound;
    if (const int hours = wholeHours(offset))
        ++hoursOff_[size_t(ours)][size_t(hours + 12)];
}

// A log whose QSOs the others have whole hours apart, most of them (and three at least), had
// its clock set to another zone.
void Matcher::findClocks() {
    for (size_t i = 0; i < contest_.logs.size(); ++i) {
        LogEntry& log = contest_.logs[i];
        const auto& counts = hoursOff_[i];
        const auto most = std::max_element(counts.begin(), counts.end());
        if (*most >= 3 && qint64(*most) * 2 > log.clockFound) {
            log.clockHours = int(most - counts.begin()) - 12;
            log.clockOff = *most;
        }
    }
}

void Matcher::forgiveClock(qint32 ours, QsoCheck& qso) {
    const int hours = wholeHours(qso.extra);
    const LogEntry& us = contest_.logs[size_t(ours)];
    const LogEntry& them = contest_.logs[size_t(qso.otherLog)];
    // Their clock, not ours: seen from them, the others stand the other way.
    if (hours == 0 || us.clockHours != 0 || them.clockHours != -hours)
        return;
    const qint32 offset = qso.extra;
    compare(ours, qso, qso.otherLog, qso.otherQso, false);
    qso.extra = offset;
    if (qso.verdict != Verdict::Confirmed)
        return; // our own copy was wrong too, or theirs costs both sides already
    if (rules_.errorCost == ErrorCost::BothSides) {
        qso.verdict = Verdict::TimeOff;
        qso.fault = Fault::Other;
        qso.counts = false;
    } else if (qso.otherSlip == Verdict::Confirmed) {
        qso.otherSlip = Verdict::TimeOff;
    }
}

void Matcher::run() {
    for (LogEntry& log : contest_.logs)
        if (log.inPlay())
            markDuplicates(log);
    countWitnesses();
    for (size_t i = 0; i < contest_.logs.size(); ++i) {
        LogEntry& log = contest_.logs[i];
        if (!log.inPlay())
            continue;
        for (QsoCheck& qso : log.qsos)
            if (qso.verdict == Verdict::Confirmed)
                judge(qint32(i), qso);
    }
    findClocks();
    for (size_t i = 0; i < contest_.logs.size(); ++i) {
        for (QsoCheck& qso : contest_.logs[i].qsos) {
            if (qso.verdict == Verdict::TimeOff)
                forgiveClock(qint32(i), qso);
            if (!qso.counts)
                qso.points = 0; // points are what a QSO scores
        }
    }
}

} // namespace

void MatchQsos(Contest& contest) {
    Matcher(contest).run();
}

} // namespace crosscheck

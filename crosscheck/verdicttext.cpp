// Why a QSO was lost, or what confirmed it, in a sentence for the entrant.
#include "contest.h"

#include <cmath>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace crosscheck {

namespace {

QString hhmm(Minute minute) {
    return MinuteText(minute).sliced(11);
}

QString serial(qint32 number) {
    return number < 0 ? u"none"_s : u"%1"_s.arg(number, 3, 10, QLatin1Char('0'));
}

QString rst(const std::array<char, 4>& r) {
    const QString text = QString::fromLatin1(r.data(), qsizetype(qstrnlen(r.data(), r.size())));
    return text.isEmpty() ? u"none"_s : text;
}

QString hoursText(int hours) {
    return std::abs(hours) == 1 ? u"an hour"_s : u"%1 hours"_s.arg(std::abs(hours));
}

// What the other side copied wrong, in its own words.
QString theirSlip(Verdict slip, const LogEntry& other, const QsoCheck& ours, const QsoCheck& m,
                  const QString& ourCall) {
    const QString& them = other.call;
    switch (slip) {
    case Verdict::TimeOff:
        return u"%1's clock was %2 %3 (it logged the QSO at %4)"_s.arg(
            them, hoursText(other.clockHours), other.clockHours < 0 ? u"ahead"_s : u"behind"_s,
            hhmm(m.time));
    case Verdict::BustedCall:
        return u"%1 logged your call as %2"_s.arg(them, ourCall);
    case Verdict::BustedSerial:
        return u"%1 logged your serial as %2; you sent %3"_s.arg(them, serial(m.receivedNumber),
                                                                 serial(ours.sentNumber));
    case Verdict::BustedRst:
        return u"%1 logged your RST as %2; you sent %3"_s.arg(them, rst(m.receivedRst),
                                                              rst(ours.sentRst));
    case Verdict::BustedLocator:
        return u"%1 logged your locator as %2; you are at %3"_s.arg(them, LocatorText(m.locator),
                                                                    LocatorText(ours.ownLocator));
    default:
        return {};
    }
}

} // namespace

QString VerdictText(const Contest& contest, const LogEntry& log, const QsoCheck& qso) {
    const ContestRules& rules = contest.rules;
    const QString& call = contest.calls.text(qso.call);
    const LogEntry* other = qso.otherLog >= 0 ? &contest.logs[size_t(qso.otherLog)] : nullptr;
    const QsoCheck* m = other && qso.otherQso >= 0 ? &other->qsos[size_t(qso.otherQso)] : nullptr;
    const QString& them = other ? other->call : call;
    const QString yourClock =
        log.clockHours == 0
            ? QString()
            : u"; your clock was %1 off, as in %2 of your %3 QSOs that other logs have"_s
                  .arg(hoursText(log.clockHours))
                  .arg(log.clockOff)
                  .arg(log.clockFound);
    const auto at = [&] { return m ? hhmm(m->time) : QString(); };
    switch (qso.verdict) {
    case Verdict::Invalid:
        return u"%1: %2"_s.arg(contest.code(qso.invalidCode), log.invalidTexts.value(qso.line));
    case Verdict::Period:
        return u"%1 is outside the contest's periods on %2"_s.arg(
            MinuteText(qso.time), contest.bands[size_t(log.band)].label);
    case Verdict::Mode: {
        QStringList modes;
        for (const int mode : rules.modes)
            modes << QString::number(mode);
        return u"mode %1 is not a mode of the contest (%2)"_s.arg(qso.mode).arg(
            modes.join(u", "_s));
    }
    case Verdict::CallRule:
        return u"%1 does not match the rules' callregexp %2"_s.arg(call, rules.callRegexp);
    case Verdict::Duplicate:
        return u"%1 again: first worked on line %2%3"_s.arg(call)
            .arg(log.qsos[size_t(qso.extra)].line)
            .arg(qso.markedDuplicate ? u", and marked D"_s : u", not marked D"_s);
    case Verdict::NotInLog:
        return other ? u"%1's log has no QSO with you within %2 minutes"_s.arg(them).arg(
                           rules.windowMinutes)
                     : u"%1 is the log's own call"_s.arg(call);
    case Verdict::BustedCall:
        if (qso.fault == Fault::Other)
            return theirSlip(Verdict::BustedCall, *other, qso, *m, contest.calls.text(m->call));
        return u"%1 logged you at %2, not %3%4"_s.arg(
            them, at(), call,
            qso.penalty > 0 ? u"; a penalty of %1 points"_s.arg(qso.penalty) : QString());
    case Verdict::TimeOff: {
        if (qso.fault == Fault::Other)
            return theirSlip(Verdict::TimeOff, *other, qso, *m, call) +
                   u": an error costs both sides by the rules"_s;
        const int hours = int(std::lround(qso.extra / 60.0));
        const bool clock = hours != 0 && std::abs(qso.extra - hours * 60) <= rules.windowMinutes;
        return u"%1 logged it at %2, %3 minutes %4 you%5"_s.arg(them, at())
                   .arg(std::abs(qso.extra))
                   .arg(qso.extra > 0 ? u"after"_s : u"before"_s)
                   .arg(clock ? u": a whole hour, a clock set to local time?"_s : QString()) +
               yourClock;
    }
    case Verdict::BustedSerial:
    case Verdict::BustedRst:
    case Verdict::BustedLocator:
        if (qso.fault == Fault::Other)
            return theirSlip(qso.verdict, *other, qso, *m, log.call) +
                   u": an error costs both sides by the rules"_s;
        if (qso.verdict == Verdict::BustedSerial)
            return u"you logged serial %1, %2 sent %3"_s.arg(serial(qso.receivedNumber), them,
                                                             serial(m->sentNumber));
        if (qso.verdict == Verdict::BustedRst)
            return u"you logged RST %1, %2 sent %3"_s.arg(rst(qso.receivedRst), them,
                                                          rst(m->sentRst));
        return u"you logged %1, %2's log gives %3, %4 km away"_s
            .arg(LocatorText(qso.locator), them, LocatorText(m->ownLocator))
            .arg(qso.km);
    case Verdict::Unique:
        return u"%1 sent no log, and no other log has the call%2"_s.arg(
            call, qso.counts ? QString() : u": the rules do not count it"_s);
    case Verdict::Unconfirmed:
        if (!rules.nonEntrantsCount)
            return u"%1 sent no log: the rules do not count QSOs with non-entrants"_s.arg(call);
        return u"%1 sent no log; %2 other log(s) have the call, the rules ask for %3"_s.arg(call)
            .arg(qso.extra)
            .arg(rules.witnesses);
    case Verdict::Witnessed:
        return u"%1 sent no log; %2 other log(s) have the call"_s.arg(call).arg(qso.extra);
    case Verdict::Confirmed:
        break;
    }
    if (!qso.viaPortable && qso.otherSlip == Verdict::Confirmed)
        return {}; // most QSOs
    QStringList notes;
    if (qso.viaPortable)
        notes << u"matched %1's log"_s.arg(them);
    if (qso.otherSlip != Verdict::Confirmed && m)
        notes << theirSlip(qso.otherSlip, *other, qso, *m, contest.calls.text(m->call)) +
                     u": that costs them, not you"_s;
    return notes.join(u"; "_s);
}

} // namespace crosscheck

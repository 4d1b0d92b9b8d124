// Each QSO line's fields against the format's rules, and the order of times and numbers.
#include "qsopoints.h"
#include "verifier.h"

using namespace Qt::StringLiterals;

namespace edilog::verifying {

// RST: two digits (R 1-5, S 1-9) for phone, three for CW (the tone 1-9, or a letter: A for
// aurora, S for scatter); MGM reports are signal-to-noise ratios.
bool rstFitsMode(QByteArrayView rst, char mode) {
    if (rst.isEmpty())
        return true;
    const auto rs = [&] {
        return rst[0] >= '1' && rst[0] <= '5' && rst[1] >= '1' && rst[1] <= '9';
    };
    const bool phone = rst.size() == 2 && rs();
    const bool cw = rst.size() == 3 && rs() &&
                    ((rst[2] >= '1' && rst[2] <= '9') || (rst[2] >= 'A' && rst[2] <= 'Z'));
    switch (mode) {
    case '1':
    case '5':
    case '6':
        return phone || (rst.size() == 3 && rs() && rst[2] >= 'A' && rst[2] <= 'Z');
    case '2':
        return cw;
    case '3':
    case '4':
        return phone || cw;
    case '7':
        return allDigits(rst.sliced(rst[0] == '-' || rst[0] == '+' ? 1 : 0));
    default:
        return phone || cw;
    }
}

void Verifier::checkQsoFields(Qso& qso) {
    auto& f = qso.fields;
    if (!qso.usable) // not 15 fields, which the reader said
        return;
    repairQsoFields(qso);
    const auto bad = [&](const char* code, const QString& message) {
        add(qso.line, Severity::Error, code, message);
    };
    // Date and time.
    QByteArrayView date = f[0];
    if (date.size() == 8 && allDigits(date)) {
        qso.eightDigitDate = true;
        bad("qso-date", u"date %1 has 8 digits; a QSO's date is YYMMDD"_s.arg(text(date)));
        date = date.sliced(2);
    }
    if (date.size() == 6 && allDigits(date)) {
        const int yy = date.first(2).toInt();
        const QDate day(yy >= 80 ? 1900 + yy : 2000 + yy, date.sliced(2, 2).toInt(),
                        date.sliced(4, 2).toInt());
        if (day.isValid())
            qso.date = day;
    }
    if (!qso.date && !qso.eightDigitDate)
        bad("qso-date", u"date \"%1\" is not YYMMDD"_s.arg(text(f[0])));
    if (f[1].size() == 4 && allDigits(f[1]) && f[1].first(2).toInt() < 24 &&
        f[1].sliced(2).toInt() < 60)
        qso.minutes = f[1].first(2).toInt() * 60 + f[1].sliced(2).toInt();
    else
        bad("qso-time", u"time \"%1\" is not HHMM"_s.arg(text(f[1])));
    const QByteArrayView call = f[2];
    qso.error = call == "ERROR";
    qso.claimed = f[10].size() <= 6 ? number(f[10]) : std::nullopt;
    if (!qso.claimed)
        bad("qso-points", u"points \"%1\" are not a number of 1 to 6 digits"_s.arg(text(f[10])));
    const auto sentNumber = f[5];
    if (!sentNumber.isEmpty() &&
        !((sentNumber.size() == 3 || sentNumber.size() == 4) && allDigits(sentNumber)))
        bad("qso-number", u"sent number \"%1\" is not 3 or 4 digits"_s.arg(text(sentNumber)));
    if (qso.error)
        return; // a mistaken record keeps only its time and number
    const bool callChars = std::all_of(call.begin(), call.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '/';
    });
    if (call.size() < 3 || call.size() > 14 || !callChars)
        bad("qso-call", u"call \"%1\" is not 3 to 14 letters, digits and '/'"_s.arg(text(call)));
    else if (upper(call) != sv(call))
        add(qso.line, Severity::Warning, "qso-call", u"call %1 is in lower case"_s.arg(text(call)));
    const QByteArrayView mode = f[3];
    if (mode.size() > 1 || (mode.size() == 1 && !allDigits(mode)))
        bad("qso-mode", u"mode \"%1\" is not a code 0 to 9"_s.arg(text(mode)));
    for (const int i : {4, 6}) {
        const QString which = i == 4 ? u"sent"_s : u"received"_s;
        if (f[size_t(i)].size() != 0 && f[size_t(i)].size() != 2 && f[size_t(i)].size() != 3)
            bad("qso-rst",
                u"%1 RST \"%2\" is not 2 or 3 characters"_s.arg(which, text(f[size_t(i)])));
        else if (!rstFitsMode(f[size_t(i)], mode.isEmpty() ? '0' : mode[0]))
            add(qso.line, Severity::Warning, "qso-rst",
                u"%1 RST %2 does not fit mode %3"_s.arg(which, text(f[size_t(i)]), text(mode)));
    }
    if (!f[7].isEmpty() && !((f[7].size() == 3 || f[7].size() == 4) && allDigits(f[7])))
        bad("qso-number", u"received number \"%1\" is not 3 or 4 digits"_s.arg(text(f[7])));
    if (f[8].size() > 6)
        bad("qso-exchange", u"received exchange \"%1\" is longer than 6"_s.arg(text(f[8])));
    const QByteArrayView wwl = f[9];
    const bool square = wwl.size() == 4 && IsSixCharacterLocator(wwl.toByteArray() + "AA");
    if (!wwl.isEmpty() && !square && !IsSixCharacterLocator(wwl))
        bad("qso-wwl", u"received locator \"%1\" is not a locator"_s.arg(text(wwl)));
    else if (upper(wwl) != sv(wwl))
        add(qso.line, Severity::Warning, "qso-wwl",
            u"received locator %1 is in lower case"_s.arg(text(wwl)));
    for (size_t i = 11; i < 15; ++i) {
        const char wanted = i == 14 ? 'D' : 'N';
        if (!f[i].isEmpty() && f[i] != QByteArrayView(&wanted, 1))
            bad("qso-flag", u"field %1 holds \"%2\": it is empty or %3"_s.arg(i + 1).arg(
                                text(f[i]), QChar::fromLatin1(wanted)));
    }
    qso.complete = callChars && call.size() >= 3 && call.size() <= 14 && !f[6].isEmpty() &&
                   !f[7].isEmpty() && IsSixCharacterLocator(wwl);
    if (IsSixCharacterLocator(wwl) && !ownLocator_.isEmpty())
        if (const auto km = LocatorDistanceKm(ownLocator_, wwl)) {
            qso.km = qint64(*km);
            qso.exactKm = *km;
        }
    qso.entity = countries_.entityOf(call);
}

void Verifier::checkQsos() {
    if (recordsCount_ && *recordsCount_ != qint64(qsos_.size()))
        add(recordsLine_, Severity::Error, "record-count",
            u"[QSORecords;%1] but %2 record line(s) follow"_s.arg(*recordsCount_)
                .arg(qsos_.size()));
    std::optional<qint64> lastNumber;
    std::optional<std::pair<QDate, int>> lastTime;
    for (Qso& qso : qsos_) {
        checkQsoFields(qso);
        if (!qso.usable)
            continue;
        if (qso.date && firstDay_ && (*qso.date < *firstDay_ || *qso.date > *lastDay_))
            add(qso.line, Severity::Error, "date-range",
                u"the QSO's date %1 is outside TDate"_s.arg(qso.date->toString(Qt::ISODate)));
        if (qso.date && qso.minutes) {
            const std::pair<QDate, int> when{*qso.date, *qso.minutes};
            if (lastTime && when < *lastTime)
                add(qso.line, Severity::Warning, "time-order",
                    u"the time goes back from the line before"_s);
            lastTime = when;
        }
        if (const auto sent = number(qso.fields[5])) {
            if (lastNumber && *sent == *lastNumber)
                add(qso.line, Severity::Warning, "serial",
                    u"sent number %1 again"_s.arg(text(qso.fields[5])));
            else if (lastNumber && *sent != *lastNumber + 1)
                add(qso.line, Severity::Warning, "serial",
                    u"sent numbers jump from %1 to %2"_s.arg(*lastNumber).arg(*sent));
            lastNumber = sent;
        }
    }
}

} // namespace edilog::verifying

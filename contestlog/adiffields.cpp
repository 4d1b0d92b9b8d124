#include "adiffields.h"

#include "text.h"

#include <algorithm>
#include <string_view>

using namespace Qt::StringLiterals;

namespace contestlog {

namespace {

constexpr std::array<std::string_view, size_t(AdifField::Count)> kNames{"CALL",
                                                                        "QSO_DATE",
                                                                        "TIME_ON",
                                                                        "MODE",
                                                                        "SUBMODE",
                                                                        "RST_SENT",
                                                                        "RST_RCVD",
                                                                        "STX",
                                                                        "SRX",
                                                                        "STX_STRING",
                                                                        "SRX_STRING",
                                                                        "GRIDSQUARE",
                                                                        "GRIDSQUARE_EXT",
                                                                        "VUCC_GRIDS",
                                                                        "MY_GRIDSQUARE",
                                                                        "MY_GRIDSQUARE_EXT",
                                                                        "STATION_CALLSIGN",
                                                                        "OPERATOR",
                                                                        "BAND",
                                                                        "FREQ"};

// The one name that a length and a letter or two leave, or none: every field of a record
// passes here.
AdifField candidate(QByteArrayView name) {
    using F = AdifField;
    const auto at = [&](qsizetype i) {
        const char c = name[i];
        return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
    };
    switch (name.size()) {
    case 3:
        return at(1) == 'T' ? F::Stx : F::Srx;
    case 4:
        return at(0) == 'C' ? F::Call : at(0) == 'M' ? F::Mode : at(0) == 'B' ? F::Band : F::Freq;
    case 7:
        return at(0) == 'T' ? F::TimeOn : F::Submode;
    case 8:
        return at(0) == 'Q'   ? F::QsoDate
               : at(0) == 'O' ? F::Operator
               : at(4) == 'S' ? F::RstSent
                              : F::RstRcvd;
    case 10:
        return at(0) == 'G'   ? F::Gridsquare
               : at(0) == 'V' ? F::VuccGrids
               : at(1) == 'T' ? F::StxString
                              : F::SrxString;
    case 13:
        return F::MyGridsquare;
    case 14:
        return F::GridsquareExt;
    case 16:
        return F::StationCallsign;
    case 17:
        return F::MyGridsquareExt;
    default:
        return F::Other;
    }
}

AdifField fieldOf(QByteArrayView name) {
    const AdifField field = candidate(name);
    if (field == AdifField::Other)
        return field;
    const std::string_view wanted = kNames[size_t(field)];
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if ((c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c) != wanted[size_t(i)])
            return AdifField::Other;
    }
    return field;
}

bool digits(QByteArrayView text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Maidenhead of 2 to 12 characters, either case: field letters A-R, then digit pairs and
// letter pairs A-X in turn.
bool isLocator(QStringView text) {
    if (text.size() < 2 || text.size() > 12 || text.size() % 2 != 0)
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i].toUpper();
        const qsizetype pair = i / 2;
        const bool ok = pair == 0       ? c >= u'A' && c <= u'R'
                        : pair % 2 == 1 ? c >= u'0' && c <= u'9'
                                        : c >= u'A' && c <= u'X';
        if (!ok)
            return false;
    }
    return true;
}

// A value as a finding quotes it: on one line, and not the whole of a long one.
QString quoted(const QString& value) {
    const QString line = value.simplified();
    return line.size() <= 40 ? line : line.left(40) + u"..."_s;
}

} // namespace

AdifField AdifFieldOf(QByteArrayView name) {
    return fieldOf(name);
}

AdifField AdifFieldOf(QStringView name) {
    if (name.size() > 17 ||
        std::any_of(name.begin(), name.end(), [](QChar c) { return c.unicode() > 127; }))
        return AdifField::Other;
    return fieldOf(name.toLatin1());
}

QString AdifRecord::text(AdifField field) const {
    const QByteArrayView bytes = values[size_t(field)];
    const bool ascii = std::none_of(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; });
    return utf8 && !ascii ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

Qso QsoFromAdif(const AdifRecord& r, qsizetype record, FindingList& findings) {
    const auto note = [&](Severity severity, const char* code, auto&& text) {
        findings.add(r.line, severity, code, text, record);
    };
    using F = AdifField;
    // A field's text as a finding quotes it.
    const auto shown = [&](F field) { return quoted(r.text(field)); };
    Qso qso;
    qso.line = r.line;
    qso.record = record;
    qso.call = r.text(F::Call);
    if (qso.call.isEmpty())
        note(Severity::Warning, "adif-no-call", u"a record without CALL"_s);

    // Whole numbers from ASCII digits, which dates and times are.
    const auto number = [](QByteArrayView digits) {
        int value = 0;
        for (const char c : digits)
            value = value * 10 + (c - '0');
        return value;
    };
    const QByteArrayView date = r[F::QsoDate];
    if (date.size() == 8 && digits(date))
        qso.date = QDate(number(date.first(4)), number(date.sliced(4, 2)), number(date.sliced(6)));
    if (!qso.date.isValid())
        note(Severity::Warning, "adif-date", [&] {
            return r.has(F::QsoDate) ? u"QSO_DATE \"%1\" is not YYYYMMDD"_s.arg(shown(F::QsoDate))
                                     : u"a record without QSO_DATE"_s;
        });
    const QByteArrayView time = r[F::TimeOn];
    if ((time.size() == 4 || time.size() == 6) && digits(time))
        qso.time = QTime(number(time.first(2)), number(time.sliced(2, 2)),
                         time.size() == 6 ? number(time.sliced(4)) : 0);
    if (!qso.time.isValid())
        note(Severity::Warning, "adif-time", [&] {
            return r.has(F::TimeOn)
                       ? u"TIME_ON \"%1\" is not HHMM or HHMMSS"_s.arg(shown(F::TimeOn))
                       : u"a record without TIME_ON"_s;
        });

    const QString mode = r.text(F::Mode);
    const QString submode = r.text(F::Submode);
    qso.modeText = submode.isEmpty() ? mode : submode;
    qso.mode = ModeFromAdif(mode, submode);
    if (qso.mode == Mode::None && !qso.modeText.isEmpty())
        note(Severity::Note, "adif-mode", [&] {
            return u"mode %1 has no REG1TEST mode code; it counts as 0 (none)"_s.arg(
                quoted(qso.modeText));
        });
    qso.sentRst = r.text(F::RstSent);
    qso.receivedRst = r.text(F::RstRcvd);
    // Some loggers keep the signal report of a digital mode in STX/SRX; a serial is a number.
    const auto serial = [&](F field, QString& number, const char* name) {
        if (digits(r[field]))
            number = r.text(field);
        else if (!r[field].isEmpty())
            note(Severity::Note, "adif-serial", [&] {
                return u"%1 \"%2\" is no serial number; it is left out"_s.arg(
                    QLatin1StringView(name), shown(field));
            });
    };
    serial(F::Stx, qso.sentNumber, "STX");
    serial(F::Srx, qso.receivedNumber, "SRX");
    qso.sentExchange = r.text(F::StxString);
    qso.receivedExchange = r.text(F::SrxString);

    // 10- and 12-character locators spill into the _EXT fields.
    const auto locator = [&](F grid, F ext, const char* name) {
        QString text = r.text(grid);
        if (text.size() == 8 && !r[ext].isEmpty())
            text += r.text(ext);
        if (!text.isEmpty() && !isLocator(text))
            note(Severity::Warning, "adif-locator", [&] {
                return u"%1 \"%2\" is not a locator of 2 to 12 characters"_s.arg(
                    QLatin1StringView(name), quoted(text));
            });
        return text;
    };
    qso.locator = locator(F::Gridsquare, F::GridsquareExt, "GRIDSQUARE");
    qso.ownLocator = locator(F::MyGridsquare, F::MyGridsquareExt, "MY_GRIDSQUARE");
    if (!r[F::VuccGrids].isEmpty())
        for (const QString& grid : r.text(F::VuccGrids).split(u','))
            if (!grid.trimmed().isEmpty())
                qso.vuccGrids.push_back(grid.trimmed());
    qso.ownCall = r.text(r[F::StationCallsign].isEmpty() ? F::Operator : F::StationCallsign);

    if (const auto mhz = DecimalNumber(r[F::Freq]); mhz && *mhz > 0)
        qso.frequencyMHz = *mhz;
    const Band byFrequency = BandFromMHz(qso.frequencyMHz);
    if (!r[F::Band].isEmpty()) {
        qso.band = BandFromAdifName(r.text(F::Band));
        if (qso.band == Band::None)
            note(Severity::Warning, "adif-band",
                 [&] { return u"BAND \"%1\" is no band of ADIF"_s.arg(shown(F::Band)); });
        else if (qso.frequencyMHz > 0 && byFrequency != qso.band)
            note(Severity::Warning, "adif-band", [&] {
                return u"FREQ %1 MHz lies outside BAND %2; the band is kept"_s.arg(shown(F::Freq),
                                                                                   shown(F::Band));
            });
    }
    if (qso.band == Band::None)
        qso.band = byFrequency;
    if (qso.band == Band::None && r[F::Band].isEmpty())
        note(Severity::Warning, "adif-band", [&] {
            return r[F::Freq].isEmpty() ? u"a record without BAND or FREQ"_s
                                        : u"FREQ \"%1\" lies in no band"_s.arg(shown(F::Freq));
        });
    return qso;
}

} // namespace contestlog

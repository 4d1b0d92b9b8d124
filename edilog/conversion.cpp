#include "conversion.h"

#include "contestlog/ediwriter.h"
#include "contestlog/reader.h"
#include "logfile.h"
#include "logverifier.h"
#include "qsopoints.h"

#include <QTimeZone>
#include <algorithm>
#include <map>

using namespace Qt::StringLiterals;
using namespace contestlog;

namespace edilog {

namespace {

// The station's fixed lines, which an earlier log of the same station has right.
constexpr std::array<const char*, 20> kStationKeys{
    "PExch", "PAdr1", "PAdr2", "PClub", "RName", "RCall", "RAdr1", "RAdr2", "RPoCo", "RCity",
    "RCoun", "RPhon", "RHBBS", "MOpe1", "MOpe2", "STXEq", "SPowe", "SRXEq", "SAnte", "SAntH"};

bool writableCall(const QString& call) {
    return call.size() >= 3 && call.size() <= 14 &&
           std::all_of(call.begin(), call.end(), [](QChar c) {
               return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'/';
           });
}

bool isLocator(const QString& text) {
    return IsSixCharacterLocator(text.toLatin1());
}

bool isSquare(const QString& text) {
    return text.size() == 4 && isLocator(text + u"AA"_s);
}

// A serial as REG1TEST writes it: three digits at least, four at most; empty when it is none.
QString serial(const QString& text) {
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 4 ||
        !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); }))
        return {};
    return digits.rightJustified(3, u'0');
}

// PSect from what other formats say of the operators.
QString section(const ContestLog& log) {
    if (const QString own = log.value(u"PSect"); !own.isEmpty())
        return own;
    const QString operators = log.value(u"CATEGORY-OPERATOR").toUpper();
    if (operators.startsWith(u"MULTI"_s))
        return u"MULTI"_s;
    return u"SINGLE"_s;
}

struct Picked {
    const Qso* qso;
    qint64 minute; // since the epoch: the QSOs are sorted by it
};

class Converter {
public:
    Converter(const ContestLog& log, const ConvertOptions& options, const CountryFile& countries)
        : log_(log), options_(options), countries_(countries) {}

    Conversion run();

private:
    void say(const Qso& qso, Severity severity, const char* code, const QString& text) {
        result_.findings.push_back(
            {qso.line, severity, QString::fromLatin1(code), text, qso.record});
    }
    void say(Severity severity, const char* code, const QString& text) {
        result_.findings.push_back({0, severity, QString::fromLatin1(code), text, 0});
    }
    ConvertedLog write(Band band, std::vector<Picked>& picked);
    std::optional<Qso> record(const Qso& qso, const QString& sent);

    const ContestLog& log_;
    const ConvertOptions& options_;
    const CountryFile& countries_;
    Conversion result_;
};

Conversion Converter::run() {
    std::map<Band, std::vector<Picked>> byBand;
    std::map<Band, qsizetype> otherBands;
    const QTimeZone utc = QTimeZone::utc(); // made once: each call builds one anew
    for (const Qso& qso : log_.qsos) {
        if (!qso.readable) // the reader has said why
            continue;
        if (qso.call.compare(u"ERROR"_s, Qt::CaseInsensitive) == 0) {
            say(qso, Severity::Note, "convert-error-record", u"an ERROR record is left out"_s);
            continue;
        }
        const Band band = qso.band;
        if (band == Band::None) {
            say(qso, Severity::Warning, "convert-band", u"no band: the QSO is left out"_s);
            continue;
        }
        if ((options_.band != Band::None && band != options_.band) || PBandName(band).isEmpty()) {
            ++otherBands[band]; // said once a band below
            continue;
        }
        const BandEdges edges = EdgesOf(band);
        if (qso.frequencyMHz > 0 &&
            (qso.frequencyMHz < edges.lowMHz || qso.frequencyMHz > edges.highMHz)) {
            say(qso, Severity::Warning, "convert-band",
                u"%1 MHz lies outside %2: the QSO is left out"_s.arg(qso.frequencyMHz)
                    .arg(AdifBandName(band)));
            continue;
        }
        if (!qso.date.isValid() || !qso.time.isValid()) {
            say(qso, Severity::Warning, "convert-time",
                u"no date and time that read: the QSO is left out"_s);
            continue;
        }
        const QDateTime when(qso.date, QTime(qso.time.hour(), qso.time.minute()), utc);
        if ((options_.from.isValid() && when < options_.from) ||
            (options_.to.isValid() && when > options_.to)) {
            say(qso, Severity::Warning, "convert-period",
                u"%1 is outside the period: the QSO is left out"_s.arg(
                    when.toString(u"yyyy-MM-dd HH:mm"_s)));
            continue;
        }
        byBand[band].push_back({&qso, when.toSecsSinceEpoch() / 60});
    }
    for (const auto& [band, count] : otherBands)
        say(Severity::Note, "convert-band",
            PBandName(band).isEmpty()
                ? u"%1 QSO(s) on %2, which REG1TEST has no name for, are left out"_s.arg(count).arg(
                      AdifBandName(band))
                : u"%1 QSO(s) on %2, not %3, are left out"_s.arg(count).arg(
                      AdifBandName(band), AdifBandName(options_.band)));
    for (auto& [band, picked] : byBand) {
        ConvertedLog converted = write(band, picked);
        if (converted.qsos > 0)
            result_.logs.push_back(std::move(converted));
    }
    if (result_.logs.empty())
        say(Severity::Error, "convert-empty", u"no QSO to write"_s);
    return std::move(result_);
}

std::optional<Qso> Converter::record(const Qso& qso, const QString& sent) {
    Qso out;
    out.date = qso.date;
    out.time = QTime(qso.time.hour(), qso.time.minute());
    out.call = qso.call.trimmed().toUpper();
    if (!writableCall(out.call)) {
        say(qso, Severity::Error, "convert-call",
            u"call \"%1\" is not 3 to 14 letters, digits and '/': the QSO is left out"_s.arg(
                qso.call));
        return std::nullopt;
    }
    out.mode = qso.mode;
    out.sentRst = FitReport(qso.sentRst, qso.mode, true);
    out.receivedRst = FitReport(qso.receivedRst, qso.mode, false);
    out.sentNumber = sent;
    // 000 is no serial (contests number from 001): it stands for a missing one in the text
    // the checks take from another program's log.
    out.receivedNumber =
        serial(qso.receivedNumber) == u"000"_s ? QString() : serial(qso.receivedNumber);
    if (out.receivedNumber.isEmpty())
        say(qso, Severity::Warning, "convert-number",
            qso.receivedNumber.isEmpty()
                ? u"no received number: the QSO gives no points"_s
                : u"received number \"%1\" is not 1 to 4 digits: the QSO gives no points"_s.arg(
                      qso.receivedNumber));
    const QString exchange = AsciiText(qso.receivedExchange).trimmed();
    if (exchange.size() <= 6 && !exchange.contains(u';'))
        out.receivedExchange = exchange;
    else
        say(qso, Severity::Note, "convert-exchange",
            u"received exchange \"%1\" is longer than REG1TEST's 6 characters: left out"_s.arg(
                exchange));
    QString locator = qso.locator.trimmed().toUpper();
    if (locator.isEmpty() && !qso.vuccGrids.isEmpty())
        locator = qso.vuccGrids.first().trimmed().toUpper().first(
            std::min<qsizetype>(4, qso.vuccGrids.first().trimmed().size()));
    if (locator.size() > 6 && isLocator(locator.first(6)))
        locator = locator.first(6); // the points count from the six-character square
    if (isSquare(locator))
        say(qso, Severity::Warning, "convert-grid",
            u"the 4-character grid %1 gives no points"_s.arg(locator));
    else if (locator.isEmpty())
        say(qso, Severity::Warning, "convert-grid", u"no locator: the QSO gives no points"_s);
    else if (!isLocator(locator)) {
        say(qso, Severity::Warning, "convert-grid",
            u"\"%1\" is no locator: left out, and the QSO gives no points"_s.arg(locator));
        locator.clear();
    }
    out.locator = locator;
    return out;
}

ConvertedLog Converter::write(Band band, std::vector<Picked>& picked) {
    std::stable_sort(picked.begin(), picked.end(),
                     [](const Picked& a, const Picked& b) { return a.minute < b.minute; });
    const Qso& first = *picked.front().qso;
    ContestLog out;
    out.format = Format::Reg1test;
    const auto given = [](const QString& option, const QString& own) {
        return option.isEmpty() ? own : option;
    };
    QString contest = given(options_.contest, log_.value(u"TName"));
    if (contest.isEmpty())
        contest = log_.value(u"CONTEST");
    if (contest.isEmpty()) {
        contest = u"Contest"_s;
        say(Severity::Note, "convert-header", u"no contest name in the log: give --contest"_s);
    }
    const QString call = given(options_.call, log_.stationCall(first)).trimmed().toUpper();
    QString locator = given(options_.locator, log_.stationLocator(first)).trimmed().toUpper();
    if (locator.size() > 6)
        locator = locator.first(6);
    if (call.isEmpty())
        say(Severity::Error, "convert-header", u"no own call in the log: give --call"_s);
    if (!isLocator(locator))
        say(Severity::Error, "convert-header",
            u"no six-character own locator in the log (\"%1\"): give --locator"_s.arg(locator));
    out.setValue(u"TName"_s, contest);
    out.setValue(u"TDate"_s, picked.front().qso->date.toString(u"yyyyMMdd"_s) + u';' +
                                 picked.back().qso->date.toString(u"yyyyMMdd"_s));
    out.setValue(u"PCall"_s, call);
    out.setValue(u"PWWLo"_s, locator);
    out.setValue(u"PSect"_s, given(options_.section, section(log_)));
    out.setValue(u"PBand"_s, PBandName(band));
    for (const ContestLog* source : {&log_, options_.header})
        if (source)
            for (const char* key : kStationKeys)
                if (const QString value = source->value(QString::fromLatin1(key)); !value.isEmpty())
                    out.setValue(QString::fromLatin1(key), value);

    out.qsos.reserve(picked.size());
    // Sent serials as the log has them; numbered in time order when it has none.
    const bool numbered = std::any_of(picked.begin(), picked.end(), [](const Picked& p) {
        return !p.qso->sentNumber.trimmed().isEmpty();
    });
    for (const Picked& p : picked) {
        const QString sent = numbered
                                 ? serial(p.qso->sentNumber)
                                 : QString::number(out.qsos.size() + 1).rightJustified(3, u'0');
        if (numbered && sent.isEmpty())
            say(*p.qso, Severity::Warning, "convert-number",
                u"sent number \"%1\" is not 1 to 4 digits: left out"_s.arg(p.qso->sentNumber));
        if (std::optional<Qso> qso = record(*p.qso, sent))
            out.qsos.push_back(std::move(*qso));
    }
    // A rover's own square changes through its log; REG1TEST has one PWWLo.
    const auto square = [](const QString& text) {
        return text.toUpper().first(std::min<qsizetype>(4, text.size()));
    };
    if (std::any_of(picked.begin(), picked.end(), [&](const Picked& p) {
            const QString own = log_.stationLocator(*p.qso);
            return !own.isEmpty() && square(own) != square(locator);
        }))
        say(Severity::Warning, "convert-own-locator",
            u"some QSOs on %1 were made from another square than %2: their points count from %2"_s
                .arg(AdifBandName(band), locator));

    ConvertedLog converted;
    converted.band = band;
    converted.call = call;
    converted.qsos = qsizetype(out.qsos.size());
    // Corrected as `verify --fix` corrects: points, flags, duplicates and claims. What it
    // cannot correct, the findings above have said.
    converted.edi = FixedLog(WriteReg1test(out), countries_);
    return converted;
}

} // namespace

Conversion ConvertLog(const ContestLog& log, const ConvertOptions& options,
                      const CountryFile& countries) {
    return Converter(log, options, countries).run();
}

PastedLogs ReadPastedLogs(const QString& text, Band band) {
    // Each [REG1TEST;1] line begins a log of its own.
    QStringList blocks;
    for (const QStringView line : QStringView(text).tokenize(u"\r\n"_s)) {
        if (line.trimmed().startsWith(u"[REG1TEST"_s, Qt::CaseInsensitive) || blocks.isEmpty())
            blocks << QString();
        blocks.last() += line.toString() + u"\r\n"_s;
    }
    PastedLogs pasted;
    for (const QString& block : blocks) {
        ContestLog log = ReadReg1test(block.toUtf8());
        const Band own = BandFromPBand(log.value(u"PBand"));
        pasted.bands.push_back(own);
        if (pasted.log.qsos.empty() && (band == Band::None || own == band))
            pasted.log = std::move(log);
    }
    return pasted;
}

QString LogTextForChecks(QByteArrayView bytes, QStringView fileName) {
    const Format format = DetectFormat(bytes, fileName);
    if (format == Format::Reg1test || format == Format::Unknown)
        return DecodeLogBytes(bytes);
    const ContestLog log = ReadContestLog(bytes, fileName);
    const CountryFile none;
    QString text;
    qsizetype leftOut = 0;
    for (const ConvertedLog& converted : ConvertLog(log, {}, none).logs) {
        const ContestLog edi = ReadReg1test(converted.edi);
        QString lines;
        for (const Qso& qso : edi.qsos) {
            if (!isLocator(qso.locator)) {
                ++leftOut;
                continue;
            }
            // A missing number would shift the locator for the checks, which find it
            // after the first ";;".
            QStringList fields = qso.fields;
            for (const int i : {4, 5, 6, 7})
                if (fields[i].isEmpty())
                    fields[i] = i % 2 == 0 ? u"59"_s : u"000"_s;
            lines += fields.join(u';') + u"\r\n"_s;
        }
        text += u"[REG1TEST;1]\r\n"_s;
        for (const QString& key :
             {u"TName"_s, u"TDate"_s, u"PCall"_s, u"PWWLo"_s, u"PSect"_s, u"PBand"_s})
            text += key + u'=' + edi.value(key) + u"\r\n"_s;
        text += u"[Remarks]\r\n"_s;
        if (leftOut > 0)
            text += u"%1 QSO(s) without a six-character locator are left out\r\n"_s.arg(leftOut);
        text += u"[QSORecords;%1]\r\n"_s.arg(lines.count(u"\r\n"_s)) + lines;
        leftOut = 0;
    }
    return text;
}

} // namespace edilog

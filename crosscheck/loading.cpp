// Which logs take part: each file read into the model, its header checked against the rules,
// each QSO's line checked; then, of several logs of one station and band, the one chosen.
#include "contestlog/reader.h"
#include "contestlog/text.h"
#include "edilog/qsopoints.h"
#include "stages.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <map>
#include <memory>

using namespace Qt::StringLiterals;

namespace crosscheck {

namespace {

bool allDigits(QStringView text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

qint32 serialOf(QStringView text) {
    text = text.trimmed();
    return allDigits(text) && text.size() <= 9 ? text.toInt() : -1;
}

std::array<char, 4> rstOf(QStringView text) {
    std::array<char, 4> rst{};
    text = text.trimmed();
    for (qsizetype i = 0; i < text.size() && i < qsizetype(rst.size()); ++i)
        rst[size_t(i)] = char(text[i].toUpper().toLatin1());
    return rst;
}

struct LineFault {
    QString code; // empty: the line is good
    QString text;
};

// What keeps a REG1TEST record line from being cross-checked, in the verifier's codes and
// order; the fields exactly as written, padding and all, as the verifier reads them.
LineFault checkRecordLine(const contestlog::Qso& qso) {
    const QStringList& f = qso.fields;
    if (!qso.readable || f.size() != 15)
        return {u"qso-fields"_s, u"%1 field(s) separated by ';', not 15"_s.arg(f.size())};
    const auto digits = [](const QString& t, std::initializer_list<qsizetype> sizes) {
        return allDigits(t) && std::find(sizes.begin(), sizes.end(), t.size()) != sizes.end();
    };
    if (digits(f[0], {8}))
        return {u"qso-date"_s, u"date %1 has 8 digits; a QSO's date is YYMMDD"_s.arg(f[0])};
    if (!digits(f[0], {6}) || !qso.date.isValid())
        return {u"qso-date"_s, u"date \"%1\" is not YYMMDD"_s.arg(f[0])};
    if (!digits(f[1], {4}) || !qso.time.isValid())
        return {u"qso-time"_s, u"time \"%1\" is not HHMM"_s.arg(f[1])};
    if (!f[5].isEmpty() && !digits(f[5], {3, 4}))
        return {u"qso-number"_s, u"sent number \"%1\" is not 3 or 4 digits"_s.arg(f[5])};
    if (f[2] == u"ERROR"_s)
        return {u"error-record"_s, u"an ERROR record: the logger marked the QSO as void"_s};
    const bool callChars = std::all_of(f[2].begin(), f[2].end(), [](QChar c) {
        return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
               c == u'/';
    });
    if (f[2].size() < 3 || f[2].size() > 14 || !callChars)
        return {u"qso-call"_s, u"call \"%1\" is not 3 to 14 letters, digits and '/'"_s.arg(f[2])};
    if (f[3].size() > 1 || (f[3].size() == 1 && !allDigits(f[3])))
        return {u"qso-mode"_s, u"mode \"%1\" is not a code 0 to 9"_s.arg(f[3])};
    for (const int i : {4, 6})
        if (f[i].size() != 0 && f[i].size() != 2 && f[i].size() != 3)
            return {u"qso-rst"_s, u"%1 RST \"%2\" is not 2 or 3 characters"_s.arg(
                                      i == 4 ? u"sent"_s : u"received"_s, f[i])};
    if (!f[7].isEmpty() && !digits(f[7], {3, 4}))
        return {u"qso-number"_s, u"received number \"%1\" is not 3 or 4 digits"_s.arg(f[7])};
    const QByteArray wwl = f[9].toLatin1();
    const bool square = wwl.size() == 4 && edilog::IsSixCharacterLocator(wwl + "AA");
    if (!wwl.isEmpty() && !square && !edilog::IsSixCharacterLocator(wwl))
        return {u"qso-wwl"_s, u"received locator \"%1\" is not a locator"_s.arg(f[9])};
    if (f[6].isEmpty() || f[7].isEmpty() || !edilog::IsSixCharacterLocator(wwl))
        return {u"qso-incomplete"_s, f[6].isEmpty() ? u"no received RST"_s
                                     : f[7].isEmpty()
                                         ? u"no received number"_s
                                         : u"no six-character locator, which points need"_s};
    return {};
}

// The same for a QSO of another format: its reader's errors, then what a cross-check needs.
LineFault checkRecord(const contestlog::ContestLog& model, const contestlog::Qso& qso) {
    for (const contestlog::Finding& finding : model.findings)
        if (finding.severity == contestlog::Severity::Error &&
            (finding.record != 0 ? finding.record == qso.record : finding.line == qso.line))
            return {finding.code, finding.text};
    if (qso.call.trimmed().isEmpty())
        return {u"qso-call"_s, u"no call"_s};
    if (!qso.date.isValid() || !qso.time.isValid())
        return {u"qso-time"_s, u"no date and time"_s};
    if (!HasLocator(LocatorOf(qso.locator.trimmed())))
        return {u"qso-incomplete"_s, u"no six-character locator, which points need"_s};
    return {};
}

quint8 codeIndex(Contest& contest, const QString& code) {
    const auto it = std::find(contest.codes.begin(), contest.codes.end(), code);
    if (it != contest.codes.end())
        return quint8(it - contest.codes.begin());
    if (contest.codes.size() >= 255)
        return 0; // a contest's readers have far fewer codes
    contest.codes.push_back(code);
    return quint8(contest.codes.size() - 1);
}

int bandIndex(Contest& contest, const QString& label) {
    for (size_t i = 0; i < contest.bands.size(); ++i)
        if (contest.bands[i].label == label)
            return int(i);
    contest.bands.push_back({label, 1});
    return int(contest.bands.size() - 1);
}

int categoryIndex(Contest& contest, const QString& label) {
    const auto it = std::find(contest.categories.begin(), contest.categories.end(), label);
    if (it != contest.categories.end())
        return int(it - contest.categories.begin());
    contest.categories.push_back(label);
    return int(contest.categories.size() - 1);
}

bool validEmail(const QString& text) {
    static const QRegularExpression email(u"^[^@\\s]+@[^@\\s]+\\.[^@\\s]+$"_s);
    return email.match(text.trimmed()).hasMatch();
}

struct Field {
    QString value;
    qsizetype line = 0;
};

// The header's fields that the rules judge, taken from the model.
struct Header {
    bool edi = false;
    Field call, locator, band, section, date, name, email, address;
    contestlog::Band modelBand = contestlog::Band::None;
};

// One log of a file, read but not yet in the contest's tables: its QSOs' calls and the codes
// of its invalid lines as text, so that many files can be read at once.
struct ParsedLog {
    LogEntry log;
    Header header;
    std::vector<QString> calls; // of each QSO, in capitals
    std::vector<QString> codes; // of each QSO's line; empty for a good one
};

Field field(const contestlog::ContestLog& model, QStringView key) {
    const contestlog::HeaderField* f = model.field(key);
    return f ? Field{f->value.trimmed(), f->line} : Field{};
}

QString bandName(contestlog::Band band) {
    const QString name = contestlog::PBandName(band);
    return name.isEmpty() ? contestlog::AdifBandName(band) : name;
}

// The header against the rules: what makes the log unusable, and what keeps it from the
// results while it still confirms the others' QSOs.
void checkHeader(Contest& contest, LogEntry& log, const Header& header) {
    const ContestRules& rules = contest.rules;
    const auto notUsed = [&](qsizetype line, const QString& text) {
        log.status = LogStatus::NotUsed;
        log.problems.push_back({line, text});
    };
    static const QRegularExpression callShape(u"^\\s*(\\w+[0-9]+\\w+/?\\w*)\\s*$"_s);
    if (header.call.value.isEmpty())
        notUsed(header.call.line,
                header.edi ? u"no PCall: whose log is it?"_s : u"no station call"_s);
    else if (!callShape.match(header.call.value).hasMatch())
        notUsed(header.call.line, u"PCall %1 is no call"_s.arg(header.call.value));
    if (!HasLocator(LocatorOf(log.locator)))
        notUsed(header.locator.line,
                header.locator.value.isEmpty()
                    ? u"no PWWLo: no points can be counted from it"_s
                    : u"PWWLo %1 is not a six-character locator"_s.arg(header.locator.value));
    if (log.band < 0) {
        QStringList regexps;
        for (const BandRule& band : rules.bands)
            regexps << band.regexp;
        const Field& pband = header.band;
        notUsed(pband.line, pband.value.isEmpty() ? u"no PBand"_s
                            : rules.bands.empty()
                                ? u"PBand %1 is no band"_s.arg(pband.value)
                                : u"PBand %1 is none of the contest's bands (%2)"_s.arg(
                                      pband.value, regexps.join(u", "_s)));
    }
    if (log.status == LogStatus::NotUsed)
        return;

    const auto notRanked = [&](qsizetype line, const QString& text) {
        if (log.status != LogStatus::CheckLog)
            log.status = LogStatus::NotRanked;
        log.problems.push_back({line, text});
    };
    if (!rules.acceptsCall(log.call))
        notRanked(header.call.line, u"PCall %1 does not match the rules' callregexp %2"_s.arg(
                                        log.call, rules.callRegexp));
    const Field& psect = header.section;
    log.section = psect.value;
    if (!rules.fromFile) {
        log.category = categoryIndex(contest, psect.value.toUpper());
    } else {
        log.category = rules.categoryOf(log.band, psect.value);
        if (log.category < 0)
            notRanked(psect.line, psect.value.isEmpty()
                                      ? u"no PSect: no category of the rules"_s
                                      : u"PSect %1 is no category of the rules for %2"_s.arg(
                                            psect.value, contest.bands[size_t(log.band)].label));
        else if (rules.categories[size_t(log.category)].checkLogs)
            log.status = LogStatus::CheckLog;
        if (header.edi) {
            const Field& tdate = header.date;
            const QStringList days = tdate.value.split(u';');
            const bool valid =
                days.size() == 2 && std::all_of(days.begin(), days.end(), [](const QString& d) {
                    return d.size() == 8 && QDate::fromString(d, u"yyyyMMdd"_s).isValid();
                });
            if (!valid)
                notRanked(tdate.line, u"TDate \"%1\" is not YYYYMMDD;YYYYMMDD"_s.arg(tdate.value));
            else if (days[0] < rules.firstDay || days[1] > rules.lastDay)
                notRanked(tdate.line, u"TDate %1 is not within the contest's dates %2 to %3"_s.arg(
                                          tdate.value, rules.firstDay, rules.lastDay));
        }
        const auto need = [&](bool needed, const Field& f, const char* key, auto fits,
                              const char* what) {
            if (needed && !fits(f.value))
                notRanked(f.line,
                          f.value.isEmpty()
                              ? u"no %1, which the rules ask for"_s.arg(QLatin1StringView(key))
                              : u"%1 %2 is not %3, which the rules ask for"_s.arg(
                                    QLatin1StringView(key), f.value, QLatin1StringView(what)));
        };
        need(
            rules.needName, header.name, "RName", [](const QString& v) { return v.size() >= 8; },
            "a name of 8 characters or more");
        need(rules.needEmail, header.email, "RHBBS", validEmail, "an e-mail address");
        need(
            rules.needAddress, header.address, "PAdr1",
            [](const QString& v) {
                return v.size() >= 10 && (v.contains(u' ') || v.contains(u',') || v.contains(u'.'));
            },
            "an address");
    }
    if (log.checkLog)
        log.status = LogStatus::CheckLog;
}

std::vector<qint32> lineStartsOf(QByteArrayView bytes) {
    std::vector<qint32> starts{0};
    for (qsizetype at = bytes.indexOf('\n'); at >= 0 && at + 1 < bytes.size();
         at = bytes.indexOf('\n', at + 1))
        starts.push_back(qint32(at + 1));
    return starts;
}

// Each QSO in the compact form the cross-check works on; a line that cannot be
// cross-checked is invalid, with its code.
void readQsos(ParsedLog& parsed, const contestlog::ContestLog& model,
              const std::vector<const contestlog::Qso*>& qsos) {
    LogEntry& log = parsed.log;
    const bool edi = model.format == contestlog::Format::Reg1test;
    log.qsos.reserve(qsos.size());
    parsed.calls.reserve(qsos.size());
    parsed.codes.resize(qsos.size());
    for (const contestlog::Qso* source : qsos) {
        QsoCheck& qso = log.qsos.emplace_back();
        qso.line = qint32(source->line);
        parsed.calls.push_back(source->call.trimmed().toUpper());
        if (source->date.isValid() && source->time.isValid())
            qso.time = MinuteOf(source->date, source->time);
        qso.sentNumber = serialOf(source->sentNumber);
        qso.receivedNumber = serialOf(source->receivedNumber);
        qso.sentRst = rstOf(source->sentRst);
        qso.receivedRst = rstOf(source->receivedRst);
        qso.locator = LocatorOf(source->locator.trimmed());
        qso.ownLocator = LocatorOf(model.stationLocator(*source).trimmed());
        qso.claimedPoints =
            source->points ? qint32(std::min<qint64>(*source->points, 1 << 30)) : -1;
        qso.mode = quint8(contestlog::ModeCode(source->mode));
        qso.markedDuplicate = source->duplicate;
        const LineFault fault = edi ? checkRecordLine(*source) : checkRecord(model, *source);
        if (!fault.code.isEmpty()) {
            qso.verdict = Verdict::Invalid;
            qso.fault = fault.code == u"error-record"_s ? Fault::None : Fault::Own;
            parsed.codes[log.qsos.size() - 1] = fault.code;
            log.invalidTexts.insert(qso.line, fault.text);
        }
    }
}

Header headerOf(const contestlog::ContestLog& model, const LogEntry& log) {
    Header header;
    header.edi = model.format == contestlog::Format::Reg1test;
    if (header.edi) {
        header.call = field(model, u"PCall");
        header.locator = field(model, u"PWWLo");
        header.band = field(model, u"PBand");
        header.date = field(model, u"TDate");
        header.modelBand = contestlog::BandFromPBand(header.band.value);
    } else {
        header.call = {log.call, 0};
        header.locator = {log.locator, 0};
        header.band = {log.bandText, 0};
    }
    header.section = field(model, u"PSect");
    header.name = field(model, u"RName");
    header.email = field(model, u"RHBBS");
    header.address = field(model, u"PAdr1");
    return header;
}

std::vector<ParsedLog> parseFile(LogInput input) {
    std::vector<ParsedLog> parsed(1);
    LogEntry& log = parsed.front().log;
    log.path = std::move(input.path);
    log.bytes = std::move(input.bytes);
    log.checkLog = input.checkLog;
    log.utf8 = contestlog::IsUtf8(log.bytes);
    log.lineStarts = lineStartsOf(log.bytes);
    if (!input.readError.isEmpty()) {
        log.status = LogStatus::NotUsed;
        log.problems.push_back({0, input.readError});
        return parsed;
    }
    const contestlog::ContestLog model =
        contestlog::ReadContestLog(log.bytes, QFileInfo(log.path).fileName());
    log.format = model.format;
    if (model.format == contestlog::Format::Unknown) {
        log.status = LogStatus::NotUsed;
        for (const contestlog::Finding& finding : model.findings)
            if (finding.severity == contestlog::Severity::Error)
                log.problems.push_back({finding.line, finding.text});
        if (log.problems.empty())
            log.problems.push_back({0, u"not a contest log"_s});
        return parsed;
    }
    if (model.format == contestlog::Format::Reg1test) {
        log.call = model.value(u"PCall").trimmed().toUpper();
        log.locator = model.value(u"PWWLo").trimmed().toUpper();
        log.bandText = model.value(u"PBand").trimmed();
        parsed.front().header = headerOf(model, log);
        if (model.edi.recordsLine == 0) {
            log.status = LogStatus::NotUsed;
            log.problems.push_back({qsizetype(log.lineStarts.size()),
                                    u"no [QSORecords;N] section: the log holds no QSOs"_s});
            return parsed;
        }
        std::vector<const contestlog::Qso*> qsos;
        for (const contestlog::Qso& qso : model.qsos)
            qsos.push_back(&qso);
        readQsos(parsed.front(), model, qsos);
        return parsed;
    }
    // The other formats hold any bands: one log a band, as a REG1TEST log would be.
    std::map<contestlog::Band, std::vector<const contestlog::Qso*>> byBand;
    for (const contestlog::Qso& qso : model.qsos)
        byBand[qso.band].push_back(&qso);
    if (byBand.empty()) {
        log.status = LogStatus::NotUsed;
        log.problems.push_back({0, u"the log holds no QSOs"_s});
        return parsed;
    }
    const LogEntry file = std::move(log);
    parsed.clear();
    for (const auto& [band, qsos] : byBand) {
        ParsedLog& part = parsed.emplace_back(ParsedLog{file, {}, {}, {}});
        part.log.call = model.stationCall(*qsos.front()).trimmed().toUpper();
        part.log.locator = model.stationLocator(*qsos.front()).trimmed().toUpper();
        part.log.bandText = bandName(band);
        part.header = headerOf(model, part.log);
        part.header.modelBand = band;
        readQsos(part, model, qsos);
    }
    return parsed;
}

void adoptLog(Contest& contest, ParsedLog parsed) {
    const ContestRules& rules = contest.rules;
    LogEntry& log = parsed.log;
    if (log.status == LogStatus::NotUsed) { // unreadable, or no QSO section
        log.callId = contest.calls.id(log.call);
        contest.logs.push_back(std::move(log));
        return;
    }
    const contestlog::Band band = parsed.header.modelBand;
    if (!rules.fromFile) {
        if (band != contestlog::Band::None)
            log.band = bandIndex(contest, bandName(band));
    } else {
        // The rules' regexps are written for PBand; another format's band goes by its names.
        log.band = rules.bandOf(log.bandText);
        if (log.band < 0 && !parsed.header.edi && band != contestlog::Band::None)
            log.band = rules.bandOf(contestlog::AdifBandName(band));
    }
    checkHeader(contest, log, parsed.header);
    log.callId = contest.calls.id(log.call);
    if (!log.inPlay()) {
        log.qsos.clear(); // it takes no part: nothing to judge
        contest.logs.push_back(std::move(log));
        return;
    }
    // The verdicts a line earns by itself; QSOs the rules do not count are no one's error.
    for (size_t q = 0; q < log.qsos.size(); ++q) {
        QsoCheck& qso = log.qsos[q];
        qso.call = contest.calls.id(parsed.calls[q]);
        if (qso.verdict == Verdict::Invalid) {
            qso.invalidCode = codeIndex(contest, parsed.codes[q]);
            continue;
        }
        qso.period = rules.periodOf(log.band, qso.time);
        if (qso.period < 0)
            qso.verdict = Verdict::Period;
        else if (!rules.acceptsMode(qso.mode))
            qso.verdict = Verdict::Mode;
        else if (!rules.acceptsCall(parsed.calls[q]))
            qso.verdict = Verdict::CallRule;
    }
    contest.logs.push_back(std::move(log));
}

} // namespace

void ReadLogs(Contest& contest, std::vector<LogInput> inputs) {
    // The model of each log is the costly part: read on every core, put in order on one.
    std::vector<std::vector<ParsedLog>> parsed(inputs.size());
    std::atomic<size_t> next = 0;
    const auto work = [&] {
        for (size_t i = next++; i < inputs.size(); i = next++)
            parsed[i] = parseFile(std::move(inputs[i]));
    };
    std::vector<std::unique_ptr<QThread>> helpers;
    const int cores = std::clamp(QThread::idealThreadCount(), 1, 8);
    for (int i = 1; i < cores && size_t(i) < inputs.size(); ++i) {
        helpers.emplace_back(QThread::create(work));
        helpers.back()->start();
    }
    work();
    for (const auto& helper : helpers)
        helper->wait();
    for (std::vector<ParsedLog>& file : parsed)
        for (ParsedLog& log : file)
            adoptLog(contest, std::move(log));
}

void ChooseLogs(Contest& contest) {
    const auto valid = [](const LogEntry& log) {
        return std::count_if(log.qsos.begin(), log.qsos.end(), [](const QsoCheck& q) {
            return q.verdict == Verdict::Confirmed; // nothing found against the line yet
        });
    };
    std::map<std::pair<int, quint32>, std::vector<size_t>> byStation;
    for (size_t i = 0; i < contest.logs.size(); ++i)
        if (contest.logs[i].inPlay())
            byStation[{contest.logs[i].band, contest.logs[i].callId}].push_back(i);
    for (const auto& [station, indexes] : byStation) {
        if (indexes.size() < 2)
            continue;
        // Most valid QSOs, then most QSOs, then the one given last (a resubmission).
        size_t chosen = indexes.front();
        for (const size_t i : indexes) {
            const LogEntry& a = contest.logs[i];
            const LogEntry& b = contest.logs[chosen];
            if (std::pair(valid(a), a.qsos.size()) >= std::pair(valid(b), b.qsos.size()))
                chosen = i;
        }
        LogEntry& winner = contest.logs[chosen];
        const QString band = contest.bands[size_t(winner.band)].label;
        for (const size_t i : indexes) {
            if (i == chosen)
                continue;
            LogEntry& other = contest.logs[i];
            const qint64 ours = valid(other), theirs = valid(winner);
            const QString why = other.bytes == winner.bytes ? u"the same bytes"_s
                                : theirs > ours
                                    ? u"more valid QSOs (%1 against %2)"_s.arg(theirs).arg(ours)
                                : winner.qsos.size() > other.qsos.size()
                                    ? u"as many valid QSOs and more QSOs"_s
                                    : u"as many valid QSOs and QSOs, and was given later"_s;
            other.status = LogStatus::NotUsed;
            other.chosenInstead = qint32(chosen);
            other.problems.push_back(
                {0, u"another log of %1 on %2, %3, has %4: that one is used"_s.arg(
                        winner.call, band, winner.path, why)});
            winner.problems.push_back(
                {0, u"used rather than %1, another log of %2 on %3 (%4 valid QSOs)"_s
                        .arg(other.path, winner.call, band)
                        .arg(ours)});
        }
    }
}

} // namespace crosscheck

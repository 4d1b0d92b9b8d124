#include "reports.h"

#include "reportdata.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QThread>
#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace crosscheck {

namespace {

QString fileName(const LogEntry& log) {
    return QDir::toNativeSeparators(log.path);
}

QString qsoLine(const Contest& contest, const QsoCheck& qso) {
    return u"line %1  %2  %3  %4"_s.arg(qso.line)
        .arg(qso.time == kNoTime ? u"----------- --:--"_s : MinuteText(qso.time))
        .arg(contest.calls.text(qso.call).leftJustified(10))
        .arg(VerdictName(qso.verdict));
}

// A QSO as the text reports list it: where and what, why, and both lines.
void describe(QString& out, const Contest& contest, const LogEntry& log, const QsoCheck& qso) {
    out += u"  "_s + qsoLine(contest, qso);
    const QString why = VerdictText(contest, log, qso);
    if (!why.isEmpty())
        out += u": "_s + why;
    if (qso.counts)
        out += u" (%1 points)"_s.arg(qso.points);
    out += u"\n    yours: "_s + log.lineText(qso.line) + u'\n';
    if (const QString theirs = OtherLineText(contest, qso); !theirs.isEmpty())
        out += u"    theirs: "_s + theirs + u'\n';
}

QString scoreText(const Contest& contest, const LogEntry& log) {
    const Score& s = log.score;
    QString out = u"Claimed:   %1 QSOs, %2 points\n"_s.arg(s.claimedQsos).arg(s.claimedPoints);
    out += u"Confirmed: %1 QSOs, %2 points"_s.arg(s.confirmedQsos).arg(s.points);
    if (s.penalties > 0)
        out += u" (penalties %1 taken off)"_s.arg(s.penalties);
    if (const QString odx = OdxText(contest, log); !odx.isEmpty())
        out += u"; ODX "_s + odx;
    out += u"; %1 squares\n"_s.arg(s.squares);
    out += u"Lost by your own errors: %1 of %2 QSOs (%3)\n"_s.arg(s.lostOwn)
               .arg(log.qsos.size())
               .arg(PercentText(s.errorRate));
    return out;
}

QString statusText(const Contest& contest, const LogEntry& log) {
    switch (log.status) {
    case LogStatus::Ranked:
        return u"%1: rank %2 of %3"_s.arg(CategoryLabel(contest, log))
            .arg(log.score.rank)
            .arg(log.score.ranked);
    case LogStatus::CheckLog:
        return u"a check log: it confirms the others' QSOs and is not ranked"_s;
    case LogStatus::NotRanked:
        return u"not ranked: it fails the rules, and still confirms the others' QSOs"_s;
    case LogStatus::NotUsed:
        break;
    }
    return u"not used"_s;
}

QString problemText(const LogEntry& log, const Problem& problem) {
    return problem.line > 0 ? u"%1:%2: %3"_s.arg(fileName(log)).arg(problem.line).arg(problem.text)
                            : u"%1: %2"_s.arg(fileName(log), problem.text);
}

QString csvField(const QString& text) {
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n'))
        return text;
    return u'"' + QString(text).replace(u"\""_s, u"\"\""_s) + u'"';
}

// JSON written as it goes: a contest's QSOs are too many for a document tree.
class JsonWriter {
public:
    QByteArray out;

    void open(char bracket, bool vertical) {
        separate();
        out += bracket;
        levels_.push_back({true, vertical});
    }
    void close(char bracket) {
        const bool vertical = levels_.back().vertical;
        levels_.pop_back();
        if (vertical) {
            out += '\n';
            out += QByteArray(qsizetype(levels_.size()) * 2, ' ');
        }
        out += bracket;
    }
    void key(const char* name) {
        separate();
        out += '"';
        out += name;
        out += "\": ";
        keyed_ = true;
    }
    void string(const QString& text) {
        separate();
        out += '"';
        const QByteArray utf8 = text.toUtf8();
        qsizetype from = 0;
        for (qsizetype at = 0; at < utf8.size(); ++at) {
            const uchar c = uchar(utf8[at]);
            if (c >= 0x20 && c != '"' && c != '\\')
                continue;
            out.append(utf8.constData() + from, at - from);
            from = at + 1;
            if (c == '"' || c == '\\') {
                out += '\\';
                out += char(c);
            } else {
                out += "\\u00";
                out += QByteArray::number(c, 16).rightJustified(2, '0');
            }
        }
        out.append(utf8.constData() + from, utf8.size() - from);
        out += '"';
    }
    void ascii(const QString& text) { // nothing to escape
        separate();
        out += '"';
        out += text.toLatin1();
        out += '"';
    }
    void number(qint64 n) {
        separate();
        out += QByteArray::number(n);
    }
    void real(double d) {
        separate();
        out += QByteArray::number(d, 'f', 4);
    }
    void boolean(bool b) {
        separate();
        out += b ? "true" : "false";
    }
    // A member: its key, then its value.
    void string(const char* name, const QString& text) {
        key(name);
        string(text);
    }
    void ascii(const char* name, const QString& text) {
        key(name);
        ascii(text);
    }
    void number(const char* name, qint64 n) {
        key(name);
        number(n);
    }
    void boolean(const char* name, bool b) {
        key(name);
        boolean(b);
    }
    void null() {
        separate();
        out += "null";
    }

private:
    struct Level {
        bool first;
        bool vertical;
    };
    void separate() {
        if (keyed_) {
            keyed_ = false;
            return;
        }
        if (levels_.empty())
            return;
        if (!levels_.back().first)
            out += levels_.back().vertical ? "," : ", ";
        levels_.back().first = false;
        if (levels_.back().vertical) {
            out += '\n';
            out += QByteArray(qsizetype(levels_.size()) * 2, ' ');
        }
    }
    std::vector<Level> levels_;
    bool keyed_ = false;
};

// The number of QSOs of each verdict, by code.
void jsonVerdicts(JsonWriter& j, const std::array<qint64, kVerdictCount>& counts) {
    j.key("verdicts");
    j.open('{', false);
    for (int v = 0; v < kVerdictCount; ++v)
        j.number(VerdictCode(Verdict(v)).toLatin1().constData(), counts[size_t(v)]);
    j.close('}');
}

void jsonQso(JsonWriter& j, const Contest& contest, const LogEntry& log, const QsoCheck& qso) {
    j.open('{', false);
    j.number("line", qso.line);
    j.key("time");
    if (qso.time == kNoTime)
        j.null();
    else
        j.string(MinuteText(qso.time));
    j.string("call", contest.calls.text(qso.call));
    j.ascii("verdict", VerdictCode(qso.verdict));
    if (qso.fault != Fault::None) {
        j.ascii("fault", qso.fault == Fault::Own ? u"own"_s : u"other"_s);
    }
    j.boolean("counts", qso.counts);
    j.number("points", qso.points);
    if (qso.penalty > 0) {
        j.number("penalty", qso.penalty);
    }
    if (qso.km >= 0) {
        j.number("km", qso.km);
    }
    if (qso.verdict == Verdict::Invalid) {
        j.string("code", contest.code(qso.invalidCode));
    }
    if (qso.verdict == Verdict::TimeOff) {
        j.number("offsetMinutes", qso.extra);
    }
    if (qso.verdict == Verdict::Unique || qso.verdict == Verdict::Unconfirmed ||
        qso.verdict == Verdict::Witnessed) {
        j.number("witnesses", qso.extra);
    }
    if (qso.otherSlip != Verdict::Confirmed) {
        j.string("otherSlip", VerdictCode(qso.otherSlip));
    }
    if (const QString text = VerdictText(contest, log, qso); !text.isEmpty()) {
        j.string("text", text);
    }
    if (qso.otherLog >= 0) {
        const LogEntry& other = contest.logs[size_t(qso.otherLog)];
        if (other.callId != qso.call) { // matched under another call
            j.string("matched", other.call);
        }
        if (qso.viaPortable) {
            j.boolean("viaPortable", true);
        }
        if (qso.otherQso >= 0) {
            // The other log by its index in `logs`; the line's text where the QSO was lost.
            const QsoCheck& line = other.qsos[size_t(qso.otherQso)];
            j.key("other");
            j.open('{', false);
            j.number("log", qso.otherLog);
            j.number("line", line.line);
            if (!qso.counts) {
                j.string("text", other.lineText(line.line));
            }
            j.close('}');
        }
    }
    j.close('}');
}

void jsonLog(JsonWriter& j, const Contest& contest, qint32 index) {
    const LogEntry& log = contest.logs[size_t(index)];
    const Score& s = log.score;
    j.open('{', true);
    j.number("index", index);
    j.string("file", fileName(log));
    j.string("format", contestlog::FormatName(log.format));
    j.string("call", log.call);
    j.string("locator", log.locator);
    j.string("band", BandLabel(contest, log));
    j.string("category", CategoryLabel(contest, log));
    j.string("section", log.section);
    j.string("status", LogStatusCode(log.status));
    j.key("problems");
    j.open('[', false);
    for (const Problem& p : log.problems) {
        j.open('{', false);
        j.number("line", p.line);
        j.string("text", p.text);
        j.close('}');
    }
    j.close(']');
    j.key("chosenInstead");
    if (log.chosenInstead >= 0)
        j.string(fileName(contest.logs[size_t(log.chosenInstead)]));
    else
        j.null();
    j.number("rank", s.rank);
    j.key("claimed");
    j.open('{', false);
    j.number("qsos", s.claimedQsos);
    j.number("points", s.claimedPoints);
    j.close('}');
    j.key("confirmed");
    j.open('{', false);
    j.number("qsos", s.confirmedQsos);
    j.number("points", s.points);
    j.close('}');
    j.number("penalties", s.penalties);
    j.key("odx");
    if (s.odxQso >= 0) {
        const QsoCheck& odx = log.qsos[size_t(s.odxQso)];
        j.open('{', false);
        j.string("call", contest.calls.text(odx.call));
        j.string("locator", LocatorText(odx.locator));
        j.number("km", odx.km);
        j.close('}');
    } else {
        j.null();
    }
    j.number("squares", s.squares);
    j.number("lostOwn", s.lostOwn);
    j.number("clockHours", log.clockHours);
    j.key("errorRate");
    j.real(s.errorRate);
    jsonVerdicts(j, s.verdicts);
    j.key("qsos");
    j.open('[', true);
    for (const QsoCheck& qso : log.qsos)
        jsonQso(j, contest, log, qso);
    j.close(']');
    j.close('}');
}

} // namespace

std::vector<QString> ReportNames(const Contest& contest) {
    std::vector<QString> names(contest.logs.size());
    QSet<QString> taken;
    for (size_t i = 0; i < contest.logs.size(); ++i) {
        const LogEntry& log = contest.logs[i];
        if (!log.inPlay())
            continue;
        QString base;
        for (const QChar c : log.call + u'-' + BandLabel(contest, log)) {
            const bool keep = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
                              (c >= u'0' && c <= u'9') || c == u'-';
            base += keep ? c : (c == u'.' || c == u',' ? u'.' : u'_');
        }
        if (base.startsWith(u'.'))
            base.prepend(u'_');
        QString name = base;
        for (int n = 2; taken.contains(name.toLower()); ++n)
            name = base + u'-' + QString::number(n);
        taken.insert(name.toLower());
        names[i] = name;
    }
    return names;
}

std::vector<qint32> LogsOf(const Contest& contest, const QString& call) {
    std::vector<qint32> logs;
    for (size_t i = 0; i < contest.logs.size(); ++i)
        if (contest.logs[i].inPlay() &&
            contest.logs[i].call.compare(call.trimmed(), Qt::CaseInsensitive) == 0)
            logs.push_back(qint32(i));
    return logs;
}

QString SummaryText(const Contest& contest) {
    QString out;
    const QString title = contest.rules.name.isEmpty() ? u"Cross-check"_s : contest.rules.name;
    qsizetype qsos = 0, inPlay = 0;
    for (const LogEntry& log : contest.logs)
        if (log.inPlay()) {
            ++inPlay;
            qsos += qsizetype(log.qsos.size());
        }
    out += u"%1: %2 log(s) read, %3 taking part, %4 QSOs\n"_s.arg(title)
               .arg(contest.logs.size())
               .arg(inPlay)
               .arg(qsos);
    const auto row = [&](const QString& rank, const LogEntry& log) {
        const Score& s = log.score;
        return u"%1 %2 %3 %4 %5 %6 %7 %8 %9\n"_s.arg(rank, 4)
            .arg(log.call.leftJustified(12))
            .arg(log.locator.leftJustified(6))
            .arg(s.claimedQsos, 6)
            .arg(s.confirmedQsos, 9)
            .arg(s.points, 8)
            .arg(s.squares, 7)
            .arg(PercentText(s.errorRate), 8)
            .arg(OdxText(contest, log));
    };
    const QString header =
        u"rank call         locator  QSOs confirmed   points squares   errors ODX\n"_s;
    for (const ResultsTable& table : ResultsTables(contest)) {
        out += u"\n%1, %2\n"_s.arg(contest.bands[size_t(table.band)].label,
                                   contest.categories[size_t(table.category)]);
        out += header;
        for (const qint32 i : table.logs)
            out +=
                row(QString::number(contest.logs[size_t(i)].score.rank), contest.logs[size_t(i)]);
    }
    for (const LogStatus status : {LogStatus::CheckLog, LogStatus::NotRanked}) {
        const std::vector<qint32> logs = LogsWithStatus(contest, status);
        if (logs.empty())
            continue;
        out += status == LogStatus::CheckLog ? u"\nCheck logs\n"_s
                                             : u"\nNot ranked (they fail the rules)\n"_s;
        out += header;
        for (const qint32 i : logs)
            out += row(u"-"_s, contest.logs[size_t(i)]);
    }
    const std::vector<qint32> unused = LogsWithStatus(contest, LogStatus::NotUsed);
    if (!unused.empty()) {
        out += u"\nNot used\n"_s;
        for (const qint32 i : unused) {
            const LogEntry& log = contest.logs[size_t(i)];
            out += u"  "_s +
                   (log.problems.empty() ? fileName(log) : problemText(log, log.problems.back())) +
                   u'\n';
        }
    }
    std::array<qint64, kVerdictCount> totals{};
    for (const LogEntry& log : contest.logs)
        for (int v = 0; v < kVerdictCount; ++v)
            totals[size_t(v)] += log.score.verdicts[size_t(v)];
    out += u"\nVerdicts\n"_s;
    for (int v = 0; v < kVerdictCount; ++v)
        out += u"%1 %2\n"_s.arg(totals[size_t(v)], 8).arg(VerdictName(Verdict(v)));
    return out;
}

QString UbnReport(const Contest& contest, const LogEntry& log) {
    QString out;
    const QString title = contest.rules.name.isEmpty() ? u"Cross-check"_s : contest.rules.name;
    out += u"%1: the cross-check of %2 on %3 (%4)\n"_s.arg(title, log.call, BandLabel(contest, log),
                                                           log.locator);
    out += u"Log: %1\n"_s.arg(fileName(log));
    out += statusText(contest, log) + u'\n';
    for (const Problem& p : log.problems)
        out += u"Note: "_s + problemText(log, p) + u'\n';
    out += u'\n' + scoreText(contest, log);

    const struct {
        UbnGroup group;
        const char* title;
    } groups[] = {
        {UbnGroup::Unique, "Unique (U)"},
        {UbnGroup::Busted, "Busted (B)"},
        {UbnGroup::NotInLog, "Not in log (N)"},
        {UbnGroup::Other, "Other QSOs lost"},
        {UbnGroup::Rules, "Not counted by the rules"},
    };
    for (const auto& g : groups) {
        QString list;
        qsizetype count = 0;
        for (const QsoCheck& qso : log.qsos)
            if (UbnGroupOf(qso) == g.group) {
                describe(list, contest, log, qso);
                ++count;
            }
        if (count > 0)
            out += u"\n%1: %2\n"_s.arg(QLatin1StringView(g.title)).arg(count) + list;
    }
    QString kept;
    qsizetype keptCount = 0;
    for (const QsoCheck& qso : log.qsos)
        if (KeptWithRemark(qso)) {
            describe(kept, contest, log, qso);
            ++keptCount;
        }
    if (keptCount > 0)
        out += u"\nKept, with a remark: %1\n"_s.arg(keptCount) + kept;
    return out;
}

QString StationText(const Contest& contest, const QString& call) {
    QString out;
    for (const qint32 i : LogsOf(contest, call)) {
        const LogEntry& log = contest.logs[size_t(i)];
        if (!out.isEmpty())
            out += u'\n';
        out += u"%1 on %2 (%3), %4\n%5\n"_s.arg(log.call, BandLabel(contest, log), log.locator,
                                                fileName(log), statusText(contest, log));
        out += scoreText(contest, log) + u'\n';
        for (const QsoCheck& qso : log.qsos) {
            out += qsoLine(contest, qso);
            out += qso.counts ? u", %1 points"_s.arg(qso.points) : u", lost"_s;
            if (const QString why = VerdictText(contest, log, qso); !why.isEmpty())
                out += u": "_s + why;
            out += u'\n';
            if (!qso.counts)
                if (const QString theirs = OtherLineText(contest, qso); !theirs.isEmpty())
                    out += u"    theirs: "_s + theirs + u'\n';
        }
    }
    return out;
}

QByteArray ResultsCsv(const Contest& contest) {
    QStringList header{u"band"_s,           u"category"_s,       u"rank"_s,   u"call"_s,
                       u"locator"_s,        u"status"_s,         u"file"_s,   u"claimed_qsos"_s,
                       u"claimed_points"_s, u"confirmed_qsos"_s, u"points"_s, u"penalties"_s,
                       u"odx_call"_s,       u"odx_locator"_s,    u"odx_km"_s, u"squares"_s,
                       u"lost_own"_s,       u"error_rate"_s};
    for (int v = 0; v < kVerdictCount; ++v)
        header << VerdictCode(Verdict(v)).replace(u'-', u'_');
    QString out = header.join(u',') + u"\r\n"_s;
    std::vector<qint32> order;
    for (const ResultsTable& table : ResultsTables(contest))
        order.insert(order.end(), table.logs.begin(), table.logs.end());
    for (const LogStatus status : {LogStatus::CheckLog, LogStatus::NotRanked}) {
        const std::vector<qint32> logs = LogsWithStatus(contest, status);
        order.insert(order.end(), logs.begin(), logs.end());
    }
    for (const qint32 i : order) {
        const LogEntry& log = contest.logs[size_t(i)];
        const Score& s = log.score;
        const QsoCheck* odx = s.odxQso >= 0 ? &log.qsos[size_t(s.odxQso)] : nullptr;
        QStringList row{BandLabel(contest, log),
                        CategoryLabel(contest, log),
                        s.rank > 0 ? QString::number(s.rank) : QString(),
                        log.call,
                        log.locator,
                        LogStatusCode(log.status),
                        fileName(log),
                        QString::number(s.claimedQsos),
                        QString::number(s.claimedPoints),
                        QString::number(s.confirmedQsos),
                        QString::number(s.points),
                        QString::number(s.penalties),
                        odx ? contest.calls.text(odx->call) : QString(),
                        odx ? LocatorText(odx->locator) : QString(),
                        odx ? QString::number(odx->km) : QString(),
                        QString::number(s.squares),
                        QString::number(s.lostOwn),
                        QString::number(s.errorRate, 'f', 4)};
        for (int v = 0; v < kVerdictCount; ++v)
            row << QString::number(s.verdicts[size_t(v)]);
        for (QString& field : row)
            field = csvField(field);
        out += row.join(u',') + u"\r\n"_s;
    }
    return out.toUtf8();
}

QByteArray ResultsJson(const Contest& contest, const std::vector<qint32>& only) {
    const ContestRules& rules = contest.rules;
    JsonWriter j;
    j.open('{', true);
    j.key("contest");
    j.open('{', true);
    j.string("name", rules.name);
    j.boolean("rulesFile", rules.fromFile);
    j.number("windowMinutes", rules.windowMinutes);
    j.boolean("compareRst", rules.compareRst);
    j.string("errorCosts", rules.errorCost == ErrorCost::BothSides ? u"both"_s : u"own"_s);
    j.boolean("nonEntrants", rules.nonEntrantsCount);
    j.number("witnesses", rules.witnesses);
    j.number("bustedCallPenalty", rules.bustedCallPenalty);
    j.key("bands");
    j.open('[', false);
    for (const BandInfo& band : contest.bands) {
        j.open('{', false);
        j.string("band", band.label);
        j.number("multiplier", band.multiplier);
        j.close('}');
    }
    j.close(']');
    j.close('}');

    std::vector<qint32> logs = only;
    if (logs.empty())
        for (size_t i = 0; i < contest.logs.size(); ++i)
            logs.push_back(qint32(i));
    std::array<qint64, kVerdictCount> totals{};
    for (const qint32 i : logs)
        for (int v = 0; v < kVerdictCount; ++v)
            totals[size_t(v)] += contest.logs[size_t(i)].score.verdicts[size_t(v)];
    jsonVerdicts(j, totals);
    j.key("results");
    j.open('[', true);
    for (const ResultsTable& table : ResultsTables(contest)) {
        j.open('{', false);
        j.string("band", contest.bands[size_t(table.band)].label);
        j.string("category", contest.categories[size_t(table.category)]);
        j.key("calls");
        j.open('[', false);
        for (const qint32 i : table.logs)
            j.string(contest.logs[size_t(i)].call);
        j.close(']');
        j.close('}');
    }
    j.close(']');
    j.key("notes");
    j.open('[', false);
    for (const Problem& note : contest.notes)
        j.string(note.text);
    j.close(']');
    j.key("logs");
    j.open('[', true);
    for (const qint32 i : logs)
        jsonLog(j, contest, i);
    j.close(']');
    j.close('}');
    j.out += '\n';
    return j.out;
}

std::optional<QString> WriteReports(const Contest& contest, const QString& folder) {
    QDir dir(folder);
    if (!dir.mkpath(u"."_s))
        return u"Cannot make the folder %1"_s.arg(QDir::toNativeSeparators(folder));
    // Each report whole or not at all, through a file of its own that replaces it; not
    // synced to the disk as the station database is: it is made again by running again.
    const auto write = [&](const QString& name, const QByteArray& bytes) -> std::optional<QString> {
        const QString target = dir.filePath(name);
        QFile part(target + u".part"_s);
        const auto failed = [&](const QString& reason) {
            part.remove();
            return u"Cannot write %1: %2"_s.arg(QDir::toNativeSeparators(target), reason);
        };
        if (!part.open(QIODevice::WriteOnly) || part.write(bytes) != bytes.size() || !part.flush())
            return failed(part.errorString());
        part.close();
        if (QFile::exists(target) && !QFile::remove(target))
            return failed(u"the old report cannot be replaced"_s);
        if (!part.rename(target))
            return failed(part.errorString());
        return std::nullopt;
    };
    const std::vector<QString> names = ReportNames(contest);
    // results.json, the largest, is made on a second core while the pages are written.
    std::optional<QString> jsonError;
    std::unique_ptr<QThread> json(
        QThread::create([&] { jsonError = write(u"results.json"_s, ResultsJson(contest)); }));
    json->start();
    std::optional<QString> error;
    for (size_t i = 0; i < contest.logs.size() && !error; ++i) {
        const LogEntry& log = contest.logs[i];
        if (!log.inPlay())
            continue;
        error = write(names[i] + u".txt"_s, UbnReport(contest, log).toUtf8());
        if (!error)
            error = write(names[i] + u".html"_s, LogHtml(contest, log, names));
    }
    if (!error)
        error = write(u"results.csv"_s, ResultsCsv(contest));
    if (!error)
        error = write(u"index.html"_s, IndexHtml(contest, names));
    json->wait();
    return error ? error : jsonError;
}

} // namespace crosscheck

// The HTML pages: plain HTML and CSS, no script, one page for the results and one a log, each
// readable on its own and printable.
#include "reportdata.h"
#include "reports.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace crosscheck {

namespace {

constexpr char16_t kStyle[] =
    u"body{font-family:sans-serif;font-size:14px;margin:1em 2em;color:#111}"
    u"h1{font-size:1.5em}h2{font-size:1.2em;margin-top:1.5em}"
    u"table{border-collapse:collapse;margin:.5em 0 1em}"
    u"th,td{border:1px solid #bbb;padding:2px 6px;text-align:left;vertical-align:top}"
    u"th{background:#eee}td.n{text-align:right}"
    u"tr.lost td{background:#fbe9e7}tr.kept td{background:#fff8e1}"
    u"code{font-family:monospace;font-size:12px;white-space:pre-wrap}"
    u".note{color:#555}"
    u"@media print{body{margin:0;font-size:11px}a{color:inherit;text-decoration:none}"
    u"tr{break-inside:avoid}h2{break-after:avoid}}";

QString escaped(const QString& text) {
    return text.toHtmlEscaped();
}

QString page(const QString& title, const QString& body) {
    return u"<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           u"<title>%1</title>\n<style>%2</style>\n</head>\n<body>\n%3</body>\n</html>\n"_s.arg(
               escaped(title), QString::fromUtf16(kStyle), body);
}

QString cell(const QString& text, bool number = false) {
    return (number ? u"<td class=\"n\">"_s : u"<td>"_s) + escaped(text) + u"</td>"_s;
}

QString cell(qint64 n) {
    return cell(QString::number(n), true);
}

QString link(const std::vector<QString>& names, qint32 log, const QString& text) {
    return names[size_t(log)].isEmpty()
               ? escaped(text)
               : u"<a href=\"%1.html\">%2</a>"_s.arg(names[size_t(log)], escaped(text));
}

QString resultsHeader() {
    return u"<tr><th>rank</th><th>call</th><th>locator</th><th>claimed QSOs</th>"
           u"<th>claimed points</th><th>confirmed QSOs</th><th>points</th><th>ODX</th>"
           u"<th>squares</th><th>error rate</th></tr>\n"_s;
}

QString resultsRow(const Contest& contest, qint32 i, const std::vector<QString>& names) {
    const LogEntry& log = contest.logs[size_t(i)];
    const Score& s = log.score;
    return u"<tr class=\"log\">"_s + cell(s.rank > 0 ? QString::number(s.rank) : u"-"_s, true) +
           u"<td>"_s + link(names, i, log.call) + u"</td>"_s + cell(log.locator) +
           cell(s.claimedQsos) + cell(s.claimedPoints) + cell(s.confirmedQsos) + cell(s.points) +
           cell(OdxText(contest, log)) + cell(s.squares) + cell(PercentText(s.errorRate), true) +
           u"</tr>\n"_s;
}

// Text into a page, escaped as it goes: a page may have thousands of rows.
void escape(QString& out, QStringView text) {
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'<':
            out += u"&lt;"_s;
            break;
        case u'>':
            out += u"&gt;"_s;
            break;
        case u'&':
            out += u"&amp;"_s;
            break;
        case u'"':
            out += u"&quot;"_s;
            break;
        default:
            out += c;
        }
    }
}

void cellInto(QString& out, QStringView text, bool number = false) {
    out += number ? u"<td class=\"n\">"_s : u"<td>"_s;
    escape(out, text);
    out += u"</td>"_s;
}

// The QSOs of one list, each with its reason and both lines.
template <typename Listed>
QString qsoRows(const Contest& contest, const LogEntry& log, const std::vector<QString>& names,
                Listed listed) {
    QString rows;
    for (const QsoCheck& qso : log.qsos) {
        if (!listed(qso))
            continue;
        rows += qso.counts ? u"<tr class=\"kept\">"_s : u"<tr class=\"lost\">"_s;
        cellInto(rows, QString::number(qso.line), true);
        cellInto(rows, qso.time == kNoTime ? QString() : MinuteText(qso.time));
        cellInto(rows, contest.calls.text(qso.call));
        cellInto(rows, VerdictName(qso.verdict));
        cellInto(rows, QString::number(qso.points), true);
        cellInto(rows, VerdictText(contest, log, qso));
        rows += u"<td><code>"_s;
        escape(rows, log.lineText(qso.line));
        rows += u"</code>"_s;
        if (qso.otherLog >= 0 && qso.otherQso >= 0) {
            const LogEntry& other = contest.logs[size_t(qso.otherLog)];
            const qint32 line = other.qsos[size_t(qso.otherQso)].line;
            rows +=
                u"<br>"_s + link(names, qso.otherLog, other.call) + u" line %1: <code>"_s.arg(line);
            escape(rows, other.lineText(line));
            rows += u"</code>"_s;
        }
        rows += u"</td></tr>\n"_s;
    }
    return rows;
}

QString qsoHeader() {
    return u"<tr><th>line</th><th>time (UTC)</th><th>call</th><th>verdict</th><th>points</th>"
           u"<th>why</th><th>the lines: yours, then theirs</th></tr>\n"_s;
}

} // namespace

QByteArray IndexHtml(const Contest& contest, const std::vector<QString>& names) {
    const QString title =
        (contest.rules.name.isEmpty() ? u"Cross-check"_s : contest.rules.name) + u": results"_s;
    QString body = u"<h1>%1</h1>\n"_s.arg(escaped(title));
    const ContestRules& rules = contest.rules;
    body += u"<p class=\"note\">Time window %1 minutes; RST %2; an error costs %3; QSOs with "
            u"stations that sent no log %4.</p>\n"_s.arg(rules.windowMinutes)
                .arg(rules.compareRst ? u"compared"_s : u"not compared"_s)
                .arg(rules.errorCost == ErrorCost::BothSides ? u"both sides"_s
                                                             : u"the side that made it"_s)
                .arg(!rules.nonEntrantsCount ? u"do not count"_s
                     : rules.witnesses > 0   ? u"count with %1 witnesses"_s.arg(rules.witnesses)
                                             : u"count"_s);
    for (const ResultsTable& table : ResultsTables(contest)) {
        body += u"<h2>%1, %2</h2>\n<table class=\"results\">\n"_s.arg(
            escaped(contest.bands[size_t(table.band)].label),
            escaped(contest.categories[size_t(table.category)]));
        body += resultsHeader();
        for (const qint32 i : table.logs)
            body += resultsRow(contest, i, names);
        body += u"</table>\n"_s;
    }
    for (const LogStatus status : {LogStatus::CheckLog, LogStatus::NotRanked}) {
        const std::vector<qint32> logs = LogsWithStatus(contest, status);
        if (logs.empty())
            continue;
        body += status == LogStatus::CheckLog
                    ? u"<h2>Check logs</h2>\n<table class=\"results\">\n"_s
                    : u"<h2>Not ranked: they fail the rules, and still confirm the others' "
                      u"QSOs</h2>\n<table class=\"results\">\n"_s;
        body += resultsHeader();
        for (const qint32 i : logs)
            body += resultsRow(contest, i, names);
        body += u"</table>\n"_s;
    }
    const std::vector<qint32> unused = LogsWithStatus(contest, LogStatus::NotUsed);
    if (!unused.empty()) {
        body += u"<h2>Not used</h2>\n<ul>\n"_s;
        for (const qint32 i : unused) {
            const LogEntry& log = contest.logs[size_t(i)];
            body += u"<li>"_s + escaped(QDir::toNativeSeparators(log.path));
            for (const Problem& p : log.problems)
                body += (p.line > 0 ? u"; line %1: "_s.arg(p.line) : u": "_s) + escaped(p.text);
            body += u"</li>\n"_s;
        }
        body += u"</ul>\n"_s;
    }
    std::array<qint64, kVerdictCount> totals{};
    for (const LogEntry& log : contest.logs)
        for (int v = 0; v < kVerdictCount; ++v)
            totals[size_t(v)] += log.score.verdicts[size_t(v)];
    body += u"<h2>Verdicts</h2>\n<table class=\"verdicts\">\n<tr><th>verdict</th><th>QSOs</th>"
            u"</tr>\n"_s;
    for (int v = 0; v < kVerdictCount; ++v)
        body += u"<tr>"_s + cell(VerdictName(Verdict(v))) + cell(totals[size_t(v)]) + u"</tr>\n"_s;
    body += u"</table>\n"_s;
    return page(title, body).toUtf8();
}

QByteArray LogHtml(const Contest& contest, const LogEntry& log, const std::vector<QString>& names) {
    const QString title = u"%1 on %2"_s.arg(log.call, BandLabel(contest, log));
    QString body = u"<p><a href=\"index.html\">Results</a></p>\n<h1>%1 (%2)</h1>\n"_s.arg(
        escaped(title), escaped(log.locator));
    const Score& s = log.score;
    body += u"<table class=\"score\">\n"_s;
    const auto row = [&](const QString& what, const QString& value) {
        body += u"<tr><th>%1</th>"_s.arg(escaped(what)) + cell(value) + u"</tr>\n"_s;
    };
    row(u"log"_s, QDir::toNativeSeparators(log.path));
    row(u"category"_s, CategoryLabel(contest, log) +
                           (log.section.isEmpty() ? QString() : u" (PSect %1)"_s.arg(log.section)));
    row(u"status"_s, s.rank > 0 ? u"rank %1"_s.arg(s.rank) : LogStatusCode(log.status));
    row(u"claimed"_s, u"%1 QSOs, %2 points"_s.arg(s.claimedQsos).arg(s.claimedPoints));
    row(u"confirmed"_s,
        u"%1 QSOs, %2 points"_s.arg(s.confirmedQsos).arg(s.points) +
            (s.penalties > 0 ? u" (penalties %1 taken off)"_s.arg(s.penalties) : QString()));
    row(u"ODX"_s, OdxText(contest, log));
    row(u"squares"_s, QString::number(s.squares));
    row(u"lost by own errors"_s,
        u"%1 of %2 QSOs (%3)"_s.arg(s.lostOwn).arg(log.qsos.size()).arg(PercentText(s.errorRate)));
    body += u"</table>\n"_s;
    if (!log.problems.empty()) {
        body += u"<ul class=\"note\">\n"_s;
        for (const Problem& p : log.problems)
            body += u"<li>"_s + (p.line > 0 ? u"line %1: "_s.arg(p.line) : QString()) +
                    escaped(p.text) + u"</li>\n"_s;
        body += u"</ul>\n"_s;
    }
    const struct {
        UbnGroup group;
        const char16_t* title;
    } groups[] = {
        {UbnGroup::Unique, u"Unique (U)"},
        {UbnGroup::Busted, u"Busted (B)"},
        {UbnGroup::NotInLog, u"Not in log (N)"},
        {UbnGroup::Other, u"Other QSOs lost"},
        {UbnGroup::Rules, u"Not counted by the rules"},
    };
    const auto table = [&](const QString& title, const QString& rows) {
        if (!rows.isEmpty())
            body += u"<h2>%1</h2>\n<table class=\"qsos\">\n"_s.arg(title) + qsoHeader() + rows +
                    u"</table>\n"_s;
    };
    for (const auto& g : groups)
        table(QString::fromUtf16(g.title), qsoRows(contest, log, names, [&](const QsoCheck& q) {
                  return UbnGroupOf(q) == g.group;
              }));
    table(u"Kept, with a remark"_s, qsoRows(contest, log, names, KeptWithRemark));
    return page(title, body).toUtf8();
}

} // namespace crosscheck

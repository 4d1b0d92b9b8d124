#include "verifyreport.h"

#include <QJsonArray>

using namespace Qt::StringLiterals;

namespace edilog {

QString FindingLine(const QString& file, const Finding& finding) {
    const QString where = finding.line > 0 ? u"%1:%2:"_s.arg(file).arg(finding.line) : file + u':';
    return u"%1 %2 %3: %4"_s.arg(where, SeverityName(finding.severity), finding.code, finding.text);
}

QString SummaryText(const VerifyResult& result) {
    QString text =
        u"%1  %2  %3\n"_s.arg(u"claim"_s, -6).arg(u"claimed"_s, -22).arg(u"recomputed"_s);
    for (const ClaimCheck& check : result.summary) {
        const QString recomputed =
            check.recomputed.isEmpty() ? u"not checked (no cty.dat)"_s : check.recomputed;
        text += u"%1  %2  %3%4\n"_s.arg(check.key, -6)
                    .arg(check.claimed.isEmpty() ? u"-"_s : check.claimed, -22)
                    .arg(recomputed)
                    .arg(check.differs ? u"   <- differs"_s : QString());
    }
    if (!result.convention.isEmpty())
        text += u"The log's points follow %1.\n"_s.arg(result.convention);
    text += u"%1 error(s), %2 warning(s), %3 note(s)\n"_s.arg(result.count(Severity::Error))
                .arg(result.count(Severity::Warning))
                .arg(result.count(Severity::Note));
    return text;
}

QJsonObject VerifyJson(const QString& file, const VerifyResult& result) {
    QJsonArray findings;
    for (const Finding& finding : result.findings)
        findings.append(QJsonObject{{u"line"_s, qint64(finding.line)},
                                    {u"severity"_s, SeverityName(finding.severity)},
                                    {u"code"_s, finding.code},
                                    {u"text"_s, finding.text}});
    QJsonArray summary;
    for (const ClaimCheck& check : result.summary)
        summary.append(QJsonObject{{u"key"_s, check.key},
                                   {u"claimed"_s, check.claimed},
                                   {u"recomputed"_s, check.recomputed.isEmpty()
                                                         ? QJsonValue(QJsonValue::Null)
                                                         : QJsonValue(check.recomputed)},
                                   {u"differs"_s, check.differs}});
    QJsonArray qsos;
    for (const QsoResult& qso : result.qsos)
        qsos.append(QJsonObject{
            {u"line"_s, qint64(qso.line)},
            {u"call"_s, qso.call},
            {u"locator"_s, qso.locator},
            {u"valid"_s, qso.valid},
            {u"duplicate"_s, qso.duplicate},
            {u"claimed"_s, qso.claimed ? QJsonValue(*qso.claimed) : QJsonValue(QJsonValue::Null)},
            {u"points"_s, qso.points},
            {u"km"_s,
             qso.distanceKm ? QJsonValue(*qso.distanceKm) : QJsonValue(QJsonValue::Null)}});
    return {{u"file"_s, file},
            {u"errors"_s, qint64(result.count(Severity::Error))},
            {u"warnings"_s, qint64(result.count(Severity::Warning))},
            {u"notes"_s, qint64(result.count(Severity::Note))},
            {u"convention"_s, result.convention},
            {u"dxccChecked"_s, result.dxccChecked},
            {u"findings"_s, findings},
            {u"summary"_s, summary},
            {u"qsos"_s, qsos}};
}

} // namespace edilog

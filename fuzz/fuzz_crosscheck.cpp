// Two logs made from the fuzzer's bytes (their QSO lines, split at the first 0xFF), and the
// bytes as a file of their own, cross-checked under the defaults and under every rule of
// [norvane]: no crash, every verdict within its log and the logs it names, nothing counted that
// is lost, the same result twice, and a results.json that reads as JSON.
#include "crosscheck/contest.h"
#include "crosscheck/reports.h"

#include <QJsonDocument>
#include <cstdint>
#include <cstdlib>

namespace {

QByteArray log(const char* call, const char* locator, QByteArrayView records) {
    return QByteArray("[REG1TEST;1]\r\nTName=Fuzz\r\nTDate=20160507;20160508\r\nPCall=") + call +
           "\r\nPWWLo=" + locator +
           "\r\nPSect=SO\r\nPBand=144 MHz\r\n[Remarks]\r\n[QSORecords;1]\r\n" +
           records.toByteArray();
}

void check(const crosscheck::Contest& contest) {
    for (const crosscheck::LogEntry& log : contest.logs) {
        if (!log.inPlay())
            continue;
        for (const crosscheck::QsoCheck& qso : log.qsos) {
            const bool counting = qso.verdict == crosscheck::Verdict::Confirmed ||
                                  qso.verdict == crosscheck::Verdict::Unique ||
                                  qso.verdict == crosscheck::Verdict::Witnessed;
            if (int(qso.verdict) >= crosscheck::kVerdictCount || (qso.counts && !counting) ||
                (!qso.counts && qso.points != 0) || qso.points < 0 || qso.penalty < 0)
                std::abort();
            if (qso.otherLog >= qint32(contest.logs.size()) ||
                (qso.otherLog >= 0 &&
                 qso.otherQso >= qint32(contest.logs[size_t(qso.otherLog)].qsos.size())))
                std::abort();
            crosscheck::VerdictText(contest, log, qso);
        }
        if (log.score.confirmedQsos > qint64(log.qsos.size()) || log.score.errorRate < 0 ||
            log.score.errorRate > 1)
            std::abort();
        const std::vector<QString> names = crosscheck::ReportNames(contest);
        crosscheck::UbnReport(contest, log);
        if (crosscheck::LogHtml(contest, log, names).isEmpty())
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype split = bytes.indexOf('\xff');
    const QByteArrayView first = split < 0 ? bytes : bytes.first(split);
    const QByteArrayView second = split < 0 ? QByteArrayView() : bytes.sliced(split + 1);
    const std::vector<crosscheck::LogInput> inputs{
        {QStringLiteral("a.edi"), log("Q1AAA", "JO60AA", first), false, {}},
        {QStringLiteral("b.edi"), log("Q1BBB", "JO61BB", second), false, {}},
        {QStringLiteral("c.log"), bytes.toByteArray(), true, {}},
    };
    crosscheck::ContestRules strict;
    strict.windowMinutes = 5;
    strict.compareRst = true;
    strict.errorCost = crosscheck::ErrorCost::BothSides;
    strict.witnesses = 1;
    strict.bustedCallPenalty = 2;
    for (const crosscheck::ContestRules& rules : {crosscheck::ContestRules(), strict}) {
        const crosscheck::Contest contest = crosscheck::CrossCheck(inputs, rules);
        check(contest);
        const QByteArray json = crosscheck::ResultsJson(contest);
        QJsonParseError error;
        QJsonDocument::fromJson(json, &error);
        if (error.error != QJsonParseError::NoError ||
            crosscheck::ResultsJson(crosscheck::CrossCheck(inputs, rules)) != json)
            std::abort();
    }
    return 0;
}

#include "logverifier.h"

#include "verifier.h"

namespace edilog {

using verifying::DatabaseFacts;
using verifying::Verifier;

qsizetype VerifyResult::count(Severity severity) const {
    return contestlog::CountFindings(findings, severity);
}

std::vector<VerifyResult> VerifyLogs(const std::vector<QByteArrayView>& logs,
                                     QByteArrayView database, const CountryFile& countries) {
    std::vector<Verifier> verifiers;
    verifiers.reserve(logs.size());
    DatabaseFacts facts;
    for (const QByteArrayView log : logs)
        verifiers.emplace_back(log, countries).wantCalls(facts);
    verifying::scanDatabase(database, facts, true);
    for (const Verifier& verifier : verifiers)
        verifier.wantLocators(facts);
    verifying::scanDatabase(database, facts, false);
    std::vector<VerifyResult> results;
    for (Verifier& verifier : verifiers) {
        verifier.noteDatabase(facts);
        results.push_back(verifier.result());
    }
    return results;
}

VerifyResult VerifyLog(QByteArrayView log, QByteArrayView database, const CountryFile& countries) {
    return std::move(VerifyLogs({log}, database, countries).front());
}

QByteArray FixedLog(QByteArrayView log, const CountryFile& countries) {
    return Verifier(log, countries, true).fixed();
}

} // namespace edilog

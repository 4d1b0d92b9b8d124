// What the station database says about the log's calls and locators.
#include "qsopoints.h"
#include "stationdb/records.h"
#include "verifier.h"

using namespace Qt::StringLiterals;

namespace edilog::verifying {

void Verifier::wantCalls(DatabaseFacts& facts) const {
    for (const Qso& qso : qsos_)
        if (qso.usable && !qso.error && !qso.duplicate && qso.complete)
            facts.want(facts.locatorsOf, upper(qso.fields[2]));
}

// Only a call the database lacks makes its locator's stations worth knowing.
void Verifier::wantLocators(DatabaseFacts& facts) const {
    for (const Qso& qso : qsos_)
        if (qso.usable && !qso.error && !qso.duplicate && qso.complete &&
            facts.locatorsOf.find(upper(qso.fields[2]))->second.empty())
            facts.want(facts.callsAt, upper(qso.fields[9]));
}

// One pass over the file for every log at once, for the calls or for the locators.
void scanDatabase(QByteArrayView database, DatabaseFacts& facts, bool byCall) {
    Answers& answers = byCall ? facts.locatorsOf : facts.callsAt;
    if (answers.empty() || database.isEmpty()) // no records, no answers: no tables to build
        return;
    QList<QByteArrayView> wanted;
    wanted.reserve(qsizetype(answers.size()));
    for (const auto& entry : answers)
        wanted.push_back(QByteArrayView(entry.first.data(), qsizetype(entry.first.size())));
    const auto note = [&](QByteArrayView key, QByteArrayView answer) {
        answers.find(sv(key))->second.push_back(sv(answer));
    };
    if (byCall)
        stationdb::StoredCalls(database, wanted, [&](QByteArrayView call, QByteArrayView locator) {
            note(call, locator);
        });
    else
        stationdb::forEachRecordAt(
            database, wanted,
            [&](QByteArrayView call, QByteArrayView locator) { note(locator, call); });
}

void Verifier::noteDatabase(const DatabaseFacts& facts) {
    static const std::vector<std::string_view> none;
    const auto lookUp = [](const Answers& answers,
                           std::string_view key) -> const std::vector<std::string_view>& {
        const auto found = answers.find(key);
        return found == answers.end() ? none : found->second;
    };
    const auto qText = [](std::string_view s) {
        return QString::fromLatin1(s.data(), qsizetype(s.size()));
    };
    for (const Qso& qso : qsos_) {
        if (!qso.usable || qso.error || qso.duplicate || !qso.complete)
            continue;
        const std::string call = upper(qso.fields[2]);
        const std::string locator = upper(qso.fields[9]);
        const std::vector<std::string_view>& stored = lookUp(facts.locatorsOf, call);
        if (!stored.empty()) {
            if (std::find(stored.begin(), stored.end(), locator) != stored.end())
                continue;
            // The nearest stored locator tells the likeliest slip.
            std::optional<qint64> nearest;
            QString nearestLocator;
            for (const std::string_view s : stored) {
                const auto km = LocatorDistanceKm(QByteArrayView(s.data(), qsizetype(s.size())),
                                                  QByteArrayView(locator));
                if (km && (!nearest || qint64(*km) < *nearest)) {
                    nearest = qint64(*km);
                    nearestLocator = qText(s);
                }
            }
            if (!nearest)
                continue;
            const bool sameSquare =
                nearestLocator.left(4) == QString::fromStdString(locator.substr(0, 4));
            add(qso.line, Severity::Note, "db-locator",
                u"%1 in the log, the database has %2, %3 km%4"_s
                    .arg(QString::fromStdString(locator), nearestLocator)
                    .arg(*nearest)
                    .arg(sameSquare ? u": a slip within the square?"_s : QString()));
            continue;
        }
        for (const std::string_view other : lookUp(facts.callsAt, locator))
            if (oneEditApart(call, other)) {
                add(qso.line, Severity::Note, "db-busted-call",
                    u"%1 is not in the database; %2 is, at %3: a busted call?"_s.arg(
                        QString::fromStdString(call), qText(other),
                        QString::fromStdString(locator)));
                break;
            }
    }
}

} // namespace edilog::verifying

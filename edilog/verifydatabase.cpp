// What the station database says about the log's calls and locators.
#include "qsopoints.h"
#include "verifier.h"

using namespace Qt::StringLiterals;

namespace edilog::verifying {

void Verifier::wantCalls(DatabaseFacts& facts) const {
    for (const Qso& qso : qsos_)
        if (qso.usable && !qso.error && !qso.duplicate && qso.complete)
            facts.want(facts.locatorsOf, facts.calls, upper(qso.fields[2]));
}

// Only a call the database lacks makes its locator's stations worth knowing.
void Verifier::wantLocators(DatabaseFacts& facts) const {
    for (const Qso& qso : qsos_)
        if (qso.usable && !qso.error && !qso.duplicate && qso.complete &&
            facts.locatorsOf.find(upper(qso.fields[2]))->second.empty())
            facts.want(facts.callsAt, facts.locators, upper(qso.fields[9]));
}

// One pass over the file for every log at once, for the calls or for the locators: a
// record's call is the text after the line's first space, its locator the text before it.
void scanDatabase(QByteArrayView database, DatabaseFacts& facts, bool byCall) {
    Answers& answers = byCall ? facts.locatorsOf : facts.callsAt;
    const TextFilter& filter = byCall ? facts.calls : facts.locators;
    if (answers.empty())
        return;
    qsizetype at = 0;
    while (at < database.size()) {
        qsizetype end = database.indexOf('\n', at);
        if (end < 0)
            end = database.size();
        QByteArrayView line = database.sliced(at, end - at);
        at = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        const qsizetype space = line.indexOf(' ');
        if (space <= 0)
            continue;
        const std::string_view locator(line.data(), size_t(space));
        const std::string_view call(line.data() + space + 1, size_t(line.size() - space - 1));
        const std::string_view key = byCall ? call : locator;
        if (filter.mayHold(key))
            if (const auto found = answers.find(key); found != answers.end())
                found->second.push_back(byCall ? locator : call);
    }
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

// Points and flags recomputed by the IARU rule, and the loggers' own ways of counting them.
#include "qsopoints.h"
#include "verifier.h"

#include <cmath>
#include <unordered_set>

using namespace Qt::StringLiterals;

namespace edilog::verifying {

void Verifier::scoreAndFlag() {
    std::unordered_set<std::string> calls, squares, exchanges;
    std::unordered_set<int> entities;
    for (Qso& qso : qsos_) {
        if (!qso.usable || qso.error)
            continue;
        qso.duplicate = !calls.insert(upper(qso.fields[2])).second;
        if (qso.duplicate || !qso.complete)
            continue;
        ++valid_;
        qso.flags[0] = !qso.fields[8].isEmpty() && exchanges.insert(upper(qso.fields[8])).second;
        qso.flags[1] = squares.insert(upper(qso.fields[9].first(4))).second;
        qso.flags[2] = qso.entity && entities.insert(*qso.entity).second;
        if (qso.km) {
            qso.points = (*qso.km + 1) * multiplier_;
            points_ += qso.points;
            if (!odx_ || *qso.km > *odx_->km)
                odx_ = &qso;
        }
    }
    squares_ = qsizetype(squares.size());
    exchanges_ = qsizetype(exchanges.size());
    entities_ = qsizetype(entities.size());
    for (Qso& qso : qsos_)
        qso.flags[3] = qso.duplicate;

    static constexpr std::array<const char*, 4> kFlagCodes{"flag-exchange", "flag-wwl", "flag-dxcc",
                                                           "flag-dupe"};
    static constexpr std::array<const char*, 4> kFlagNames{"new exchange", "new locator square",
                                                           "new DXCC", "duplicate"};
    // A logger that never writes a column's flag is told once, not on every line.
    std::array<qsizetype, 4> marked{}, expected{};
    for (const Qso& qso : qsos_)
        for (size_t i = 0; qso.usable && !qso.error && i < 4; ++i) {
            marked[i] += !qso.fields[11 + i].isEmpty();
            expected[i] += qso.flags[i];
        }
    for (size_t i = 0; i < 3; ++i)
        if (marked[i] == 0 && expected[i] > 0 && !(i == 2 && countries_.empty()))
            add(recordsLine_, Severity::Warning, kFlagCodes[i],
                u"no QSO is marked as %1; %2 should be"_s.arg(QLatin1String(kFlagNames[i]))
                    .arg(expected[i]));
    for (const Qso& qso : qsos_) {
        if (!qso.usable || qso.error)
            continue;
        for (size_t i = 0; i < 4; ++i) {
            if ((i == 2 && countries_.empty()) || (i < 3 && marked[i] == 0))
                continue;
            const bool marked = !qso.fields[11 + i].isEmpty();
            if (marked == qso.flags[i])
                continue;
            const Severity severity = i == 3 ? Severity::Error : Severity::Warning;
            add(qso.line, severity, kFlagCodes[i],
                qso.flags[i]
                    ? u"not marked as %1"_s.arg(QLatin1String(kFlagNames[i]))
                    : u"marked as %1, which it is not"_s.arg(QLatin1String(kFlagNames[i])));
        }
    }
    recognisePoints();
}

void Verifier::recognisePoints() {
    // Each way of counting, with the band multiplier, without it, or with one that the
    // claims do not give; the one that explains the most lines is the logger's.
    struct Way {
        size_t rule;
        qint64 factor;
        qsizetype explained = 0;
    };
    std::vector<Way> ways;
    std::vector<qint64> factors{multiplier_};
    if (multiplier_ != 1)
        factors.push_back(1);
    for (const Qso& qso : qsos_)
        if (qso.usable && !qso.error && qso.complete && !qso.duplicate && qso.km && qso.claimed &&
            *qso.claimed % (*qso.km + 1) == 0) {
            const qint64 k = *qso.claimed / (*qso.km + 1);
            if (k > 1 && k <= 10 && std::find(factors.begin(), factors.end(), k) == factors.end())
                factors.push_back(k);
            break;
        }
    for (size_t r = 0; r < kPointRules.size(); ++r)
        for (const qint64 factor : factors)
            ways.push_back({r, factor});
    // Points of each QSO each way; 0 for those that score nothing.
    std::vector<std::vector<qint64>> byWay(ways.size(), std::vector<qint64>(qsos_.size(), 0));
    qsizetype scored = 0;
    for (size_t q = 0; q < qsos_.size(); ++q) {
        const Qso& qso = qsos_[q];
        if (!qso.usable || qso.error || qso.duplicate || !qso.complete || ownLocator_.isEmpty())
            continue;
        ++scored;
        // Two arcs a QSO, centres and corners: the ways differ in what they make of them.
        std::optional<double> arcs[2];
        bool measured[2] = {false, false};
        for (size_t w = 0; w < ways.size(); ++w) {
            const PointRule& rule = kPointRules[ways[w].rule];
            if (!measured[rule.corner]) {
                arcs[rule.corner] = LocatorArcDegrees(ownLocator_, qso.fields[9], rule.corner);
                measured[rule.corner] = true;
            }
            const auto& arc = arcs[rule.corner];
            byWay[w][q] = arc ? DistancePoints(*arc * rule.kmPerDegree, rule) * ways[w].factor : -1;
            if (qso.claimed && *qso.claimed == byWay[w][q])
                ++ways[w].explained;
        }
    }
    size_t best = 0;
    for (size_t w = 1; w < ways.size(); ++w)
        if (ways[w].explained > ways[best].explained)
            best = w;
    // A way that explains a few lines by chance is no convention.
    if (best != 0 && ways[best].explained * 2 < scored)
        best = 0;
    if (best != 0) {
        const Way& way = ways[best];
        QString name = QLatin1String(kPointRules[way.rule].name);
        if (way.rule == 0)
            name.clear();
        if (way.factor != multiplier_)
            name += (name.isEmpty() ? u""_s : u", "_s) +
                    (way.factor == 1
                         ? u"the band multiplier ×%1 left out of the points"_s.arg(multiplier_)
                         : u"a band multiplier ×%1 inside the points, while CQSOs gives ×%2"_s
                               .arg(way.factor)
                               .arg(multiplier_));
        convention_ = name;
        add(recordsLine_, Severity::Note, "points-convention",
            u"the logger counts points by %1: %2 of %3 QSOs; the IARU rule explains %4. "
            u"The scores below are by the rule."_s.arg(name)
                .arg(way.explained)
                .arg(scored)
                .arg(ways[0].explained));
    }
    for (size_t q = 0; q < qsos_.size(); ++q) {
        const Qso& qso = qsos_[q];
        if (!qso.usable || !qso.claimed)
            continue;
        if (*qso.claimed == qso.points || *qso.claimed == byWay[best][q])
            continue;
        QString why;
        if (qso.error)
            why = u"an ERROR record scores 0"_s;
        else if (qso.duplicate)
            why = u"a duplicate scores 0"_s;
        else if (!qso.complete)
            why = u"an incomplete QSO scores 0"_s;
        else if (ownLocator_.isEmpty())
            continue; // without PWWLo nothing can be recomputed
        else
            why = u"%1 km to %2: (%3 + 1) × %4 = %5"_s.arg(*qso.km)
                      .arg(text(qso.fields[9]))
                      .arg(*qso.km)
                      .arg(multiplier_)
                      .arg(qso.points);
        add(qso.line, Severity::Error, "points",
            u"%1 points claimed; %2"_s.arg(*qso.claimed).arg(why));
    }
}

} // namespace edilog::verifying

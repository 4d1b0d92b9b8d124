#include "stations.h"

#include "projection.h"

#include <QHash>

using namespace Qt::StringLiterals;

namespace map {

namespace {

constexpr int kSquaresAcross = 180, kSquaresHigh = 180; // 2 x 1 degree squares of the globe

// Visits every line of a CR LF list without copying it.
template <typename Visit> void ForEachLine(const QString& list, Visit visit) {
    qsizetype start = 0;
    while (start < list.size()) {
        qsizetype end = list.indexOf(u"\r\n"_s, start);
        if (end < 0)
            end = list.size();
        if (end > start)
            visit(QStringView(list).mid(start, end - start));
        start = end + 2;
    }
}

// The square (0 to 32399) of a locator's first four characters; -1 when they are no square.
int SquareIndex(QStringView locator) {
    if (locator.size() < 4)
        return -1;
    const auto at = [&](int i, char16_t first, char16_t last) {
        const char16_t ch = locator[i].toUpper().unicode();
        return ch >= first && ch <= last ? ch - first : -1;
    };
    const int fieldX = at(0, u'A', u'R'), fieldY = at(1, u'A', u'R');
    const int squareX = at(2, u'0', u'9'), squareY = at(3, u'0', u'9');
    if (fieldX < 0 || fieldY < 0 || squareX < 0 || squareY < 0)
        return -1;
    return (fieldY * 10 + squareY) * kSquaresAcross + fieldX * 10 + squareX;
}

QPolygonF SquareOutline(bearing::Point centre, int index) {
    const double west = index % kSquaresAcross * 2.0 - 180.0;
    const double south = index / kSquaresAcross - 90.0;
    // Corners and side midpoints, so that big squares far out keep their curve.
    const double xs[] = {0, 1, 2, 2, 2, 1, 0, 0}, ys[] = {0, 0, 0, 0.5, 1, 1, 1, 0.5};
    QPolygonF outline;
    for (int i = 0; i < 8; ++i)
        outline << Project(centre, {west + xs[i], south + ys[i]});
    return outline;
}

void AddDot(LookupStations& found, bearing::Point centre, QString locator, QString call,
            QString label) {
    const std::optional<bearing::Point> point = LocatorCentre(locator);
    if (!point)
        return;
    found.dots.push_back(
        {*point, Project(centre, *point), std::move(locator), std::move(call), std::move(label)});
}

} // namespace

LookupStations StationsFromLookup(bearing::Point centre, const QString& locatorField,
                                  const QString& callList, const QString& locatorList) {
    LookupStations found;
    ForEachLine(locatorList, [&](QStringView) { ++found.total; });
    if (found.total > kMostDots) {
        std::vector<int> counts(kSquaresAcross * kSquaresHigh);
        ForEachLine(locatorList, [&](QStringView locator) {
            if (const int index = SquareIndex(locator); index >= 0)
                ++counts[size_t(index)];
        });
        for (size_t i = 0; i < counts.size(); ++i) {
            if (counts[i] == 0)
                continue;
            found.squares.push_back({SquareOutline(centre, int(i)), counts[i]});
            found.mostInSquare = std::max(found.mostInSquare, counts[i]);
        }
        return found;
    }

    QStringList calls;
    ForEachLine(callList, [&](QStringView call) { calls << call.toString(); });
    const QString fieldLocator = locatorField.toUpper();
    QHash<QString, bool> seen;
    if (!calls.isEmpty() && LocatorCentre(fieldLocator)) {
        const QString more = calls.size() > 1 ? u" +%1"_s.arg(calls.size() - 1) : QString();
        AddDot(found, centre, fieldLocator, calls.first(), calls.first() + more);
        found.total += calls.size();
        seen.insert(fieldLocator, true);
    }
    ForEachLine(locatorList, [&](QStringView line) {
        const QString locator = line.toString().toUpper();
        if (seen.contains(locator))
            return;
        seen.insert(locator, true);
        AddDot(found, centre, locator, QString(), locator);
    });
    return found;
}

} // namespace map

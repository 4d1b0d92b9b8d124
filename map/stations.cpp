#include "stations.h"

#include "projection.h"

#include <QHash>
#include <array>

using namespace Qt::StringLiterals;

namespace map {

namespace {

constexpr int kSquaresAcross = 180, kSquaresHigh = 180; // 2 x 1 degree squares of the globe

// Visits every line of a CR LF list without copying it. A million lines take milliseconds:
// a locator list's lines are a locator and CR LF, found without a search.
template <typename Visit> void ForEachLine(QStringView list, Visit visit) {
    constexpr qsizetype kLocatorLine = 8;
    qsizetype start = 0;
    while (start < list.size()) {
        qsizetype end = start + kLocatorLine - 2;
        if (end + 1 >= list.size() || list[end] != u'\r' || list[end + 1] != u'\n') {
            end = list.indexOf(u"\r\n", start);
            if (end < 0)
                end = list.size();
        }
        if (end > start)
            visit(list.mid(start, end - start));
        start = end + 2;
    }
}

// What each ASCII character is worth as a field letter (either case) and as a square digit;
// -1 where it is neither.
struct LocatorDigits {
    std::array<int, 128> field{}, square{};
    constexpr LocatorDigits() {
        for (int ch = 0; ch < 128; ++ch) {
            const int upper = ch >= 'a' && ch <= 'z' ? ch - 'a' + 'A' : ch;
            field[size_t(ch)] = upper >= 'A' && upper <= 'R' ? upper - 'A' : -1;
            square[size_t(ch)] = ch >= '0' && ch <= '9' ? ch - '0' : -1;
        }
    }
};
constexpr LocatorDigits kDigits;

// The square (0 to 32399) of a locator's first four characters; -1 when they are no square.
int SquareIndex(QStringView locator) {
    if (locator.size() < 4)
        return -1;
    const char16_t* text = locator.utf16();
    if ((text[0] | text[1] | text[2] | text[3]) >= 128)
        return -1;
    const int fieldX = kDigits.field[text[0]], fieldY = kDigits.field[text[1]];
    const int squareX = kDigits.square[text[2]], squareY = kDigits.square[text[3]];
    if ((fieldX | fieldY | squareX | squareY) < 0)
        return -1;
    return (fieldY * 10 + squareY) * kSquaresAcross + fieldX * 10 + squareX;
}

// Counts a list's lines by the square they begin with.
void CountSquares(const QString& list, std::vector<int>& counts) {
    const char16_t* text = QStringView(list).utf16();
    const qsizetype size = list.size();
    for (qsizetype start = 0; start < size;) {
        qsizetype end = start + 6; // a locator's line, checked; any other, searched
        if (end + 1 >= size || text[end] != u'\r' || text[end + 1] != u'\n') {
            end = list.indexOf(u"\r\n"_s, start);
            if (end < 0)
                end = size;
        }
        if (const int index = SquareIndex(QStringView(text + start, end - start)); index >= 0)
            ++counts[size_t(index)];
        start = end + 2;
    }
}

// The corners of the squares on the plane, each projected once and shared by the four
// squares that meet there. The squares are asked for in the globe's order, a row of them at
// a time, so two rows of corners are kept: the whole globe's would be fresh memory each key.
class SquareCorners {
public:
    explicit SquareCorners(bearing::Point centre) : centre_(centre) {}

    QPolygonF outline(int index) {
        const int x = index % kSquaresAcross, y = index / kSquaresAcross;
        if (y != row_) {
            if (y == row_ + 1)
                south_ = north_;
            else
                south_.fill(std::nullopt);
            north_.fill(std::nullopt);
            row_ = y;
        }
        return {corner(south_, x, y), corner(south_, x + 1, y), corner(north_, x + 1, y + 1),
                corner(north_, x, y + 1)};
    }

private:
    using Row = std::array<std::optional<QPointF>, kSquaresAcross + 1>;

    QPointF corner(Row& row, int x, int y) {
        std::optional<QPointF>& at = row[size_t(x)];
        if (!at)
            at = Project(centre_, {x * 2.0 - 180.0, y - 90.0});
        return *at;
    }

    bearing::Point centre_;
    int row_ = -2;
    Row south_, north_; // the corners of row_'s squares
};

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
                                  const QString& callList, const QString& locatorList,
                                  const std::vector<stationdb::LocatorStart>* locatorStarts) {
    LookupStations found;
    // No line of the list is longer than a locator and its CR LF: a longer list has more
    // stations than dots are drawn for.
    if (locatorList.size() > kMostDots * 8) {
        std::vector<int> counts(kSquaresAcross * kSquaresHigh);
        if (locatorStarts) {
            for (const stationdb::LocatorStart& start : *locatorStarts) {
                const char16_t text[] = {
                    char16_t(start.fourBytes >> 24), char16_t(start.fourBytes >> 16 & 0xFF),
                    char16_t(start.fourBytes >> 8 & 0xFF), char16_t(start.fourBytes & 0xFF)};
                if (const int index = SquareIndex(QStringView(text, 4)); index >= 0)
                    counts[size_t(index)] += int(start.lines);
            }
        } else {
            CountSquares(locatorList, counts);
        }
        SquareCorners corners(centre);
        for (size_t i = 0; i < counts.size(); ++i) {
            if (counts[i] == 0)
                continue;
            found.squares.push_back({corners.outline(int(i)), counts[i]});
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

// The stations of the current lookup, as the map draws them: taken from the texts the
// lookups already wrote (the call list Form1.Text3, the locator list Form1.Text4), or from
// the lookup's own count of a long list, never from the database.
#pragma once

#include "bearing/locator.h"
#include "stationdb/lookupindex.h"

#include <QPolygonF>
#include <QString>
#include <vector>

namespace map {

// Above this many stations, squares are shaded by their count instead of dotted.
inline constexpr qsizetype kMostDots = 5000;

struct MapStation {
    bearing::Point point;
    QPointF km; // on the plane around the own locator
    QString locator;
    QString call;  // empty when the lookup names no call for it
    QString label; // beside the dot
};

struct ShadedSquare {
    QPolygonF outline; // km, on the plane
    int count = 0;
};

struct LookupStations {
    std::vector<MapStation> dots;
    std::vector<ShadedSquare> squares; // instead of dots, above kMostDots
    int mostInSquare = 0;
};

// The locator list's 6-character locators become one dot each (labelled with the locator:
// the list names no calls); the call list's calls sit at the locator field's square or
// sub-square, one dot labelled with the first call and how many more there are.
// `locatorStarts`, when the lookup counted the locator list's lines by their first four
// bytes, spares reading a long list again.
LookupStations
StationsFromLookup(bearing::Point centre, const QString& locatorField, const QString& callList,
                   const QString& locatorList,
                   const std::vector<stationdb::LocatorStart>* locatorStarts = nullptr);

} // namespace map

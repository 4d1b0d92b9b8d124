// Maidenhead locator text to a point on the globe.
#pragma once

#include <QString>

namespace bearing {

struct PreparedLocator {
    QString text;          // upper case, "LL" appended to a 1- to 4-character text
    bool rejected = false; // fails the acceptance test
};

// Longitude east-positive and latitude north-positive, in degrees. No range is enforced.
struct Point {
    double longitude = 0.0;
    double latitude = 0.0;
};

PreparedLocator PrepareLocator(const QString& boxText);

// Centre of the sub-square that positions 1 to 6 name; a missing character counts as code 0.
Point LocatorToPoint(const QString& prepared);

} // namespace bearing

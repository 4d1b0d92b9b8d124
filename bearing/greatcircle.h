// Great-circle bearing and distance between two points on a sphere.
#pragma once

#include "locator.h"

namespace bearing {

// The constants of the calculation, exactly as the results have always been computed.
inline constexpr double kPi = 3.141592;      // this literal, also inside kDegree
inline constexpr double kDegree = kPi / 180; // k: radians per degree
inline constexpr double kEarthRadiusKm = 6356.775;

struct BearingDistance {
    double bearing = 0.0;  // whole degrees clockwise from north, 0 to 360
    double distance = 0.0; // whole kilometres, 0 to 19970
};

// The same course before steps 11 and 12 round it: the azimuth A, 0 to 2 pi clockwise from
// north, and the central angle D, 0 to pi, both in radians. The map is drawn from these, so
// that it and the bearing window never disagree.
struct Course {
    double azimuth = 0.0;
    double angle = 0.0;
};
Course CourseBetween(Point from, Point to);

// Bearing and distance from `from` (Locator 1) to `to` (Locator 2), steps 1 to 12. A step
// whose operation fails (division by zero, square root of a negative number, a non-finite
// result) leaves its value as it was, 0 at the start of the run, and the run goes on.
BearingDistance BearingAndDistance(Point from, Point to);

// Steps 6 to 12 alone, from the latitudes phi1 and phi2 and the mapped longitude difference
// delta (radians, as steps 3 and 4 leave them) and the cosine c of the central angle (step
// 5). BearingAndDistance ends with it; tests feed it values that real points never give.
BearingDistance BearingFromCentralCosine(double phi1, double phi2, double delta, double c);

} // namespace bearing

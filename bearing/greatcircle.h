// Great-circle bearing and distance between two points on a sphere.
#pragma once

#include "locator.h"

namespace bearing {

struct BearingDistance {
    double bearing = 0.0;  // whole degrees clockwise from north, 0 to 360
    double distance = 0.0; // whole kilometres, 0 to 19970
};

BearingDistance BearingAndDistance(Point from, Point to);

} // namespace bearing

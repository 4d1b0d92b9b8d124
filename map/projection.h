// The azimuthal-equidistant projection around the own locator: a polar plot of the course
// (QTF, QRB) that the bearing code gives, in kilometres on the plane, y pointing down.
#pragma once

#include "bearing/greatcircle.h"

#include <QPointF>
#include <QString>
#include <optional>

namespace map {

// The rim of the map: the antipode, pi R from the centre.
inline constexpr double kRimKm = bearing::kPi * bearing::kEarthRadiusKm;

// The point's place on the plane around `centre`, in km: x = d sin A, y = -d cos A.
QPointF Project(bearing::Point centre, bearing::Point point);

// The point on the globe at plane position `km` around `centre`; none beyond the rim.
// Longitudes come back in -180 to 180 degrees.
std::optional<bearing::Point> Unproject(bearing::Point centre, QPointF km);

// The 6-character locator of the sub-square holding `point` ("JN45AB").
QString LocatorOf(bearing::Point point);

// The course as the bearing window shows it, from `centre` to the centre of the sub-square
// of `locator` (any text the bearing window accepts).
bearing::BearingDistance CourseTo(bearing::Point centre, const QString& locator);

// The centre of a 4- or 6-character Maidenhead locator, in either case; none otherwise.
std::optional<bearing::Point> LocatorCentre(const QString& locator);

} // namespace map

#include "projection.h"

#include <QtMath>
#include <cmath>

namespace map {

using bearing::Point;

QPointF Project(Point centre, Point point) {
    const bearing::Course course = bearing::CourseBetween(centre, point);
    const double d = course.angle * bearing::kEarthRadiusKm;
    return {d * std::sin(course.azimuth), -d * std::cos(course.azimuth)};
}

std::optional<Point> Unproject(Point centre, QPointF km) {
    const double d = std::hypot(km.x(), km.y());
    if (d > kRimKm)
        return std::nullopt;
    // Snyder's inverse, written as the destination at azimuth theta and distance d.
    const double theta = std::atan2(km.x(), -km.y());
    const double c = d / bearing::kEarthRadiusKm;
    const double phi1 = qDegreesToRadians(centre.latitude);
    const double lambda1 = qDegreesToRadians(centre.longitude);
    const double sinPhi2 = std::clamp(
        std::sin(phi1) * std::cos(c) + std::cos(phi1) * std::sin(c) * std::cos(theta), -1.0, 1.0);
    const double phi2 = std::asin(sinPhi2);
    const double lambda2 = lambda1 + std::atan2(std::sin(theta) * std::sin(c) * std::cos(phi1),
                                                std::cos(c) - std::sin(phi1) * sinPhi2);
    double longitude = std::remainder(qRadiansToDegrees(lambda2), 360.0);
    if (longitude == -180.0)
        longitude = 180.0;
    return Point{longitude, qRadiansToDegrees(phi2)};
}

QString LocatorOf(Point point) {
    // Fields of 20 x 10 degrees, squares of 2 x 1, sub-squares of 5' x 2.5'; the poles and
    // the date line stay in the last sub-square.
    const double x = std::clamp((point.longitude + 180.0) * 12.0, 0.0, 360.0 * 12 - 1e-9);
    const double y = std::clamp((point.latitude + 90.0) * 24.0, 0.0, 180.0 * 24 - 1e-9);
    const int lon = int(x), lat = int(y); // sub-squares from the south-west corner
    QString text(6, QChar());
    text[0] = QChar(u'A' + lon / 240);
    text[1] = QChar(u'A' + lat / 240);
    text[2] = QChar(u'0' + lon / 24 % 10);
    text[3] = QChar(u'0' + lat / 24 % 10);
    text[4] = QChar(u'A' + lon % 24);
    text[5] = QChar(u'A' + lat % 24);
    return text;
}

bearing::BearingDistance CourseTo(Point centre, const QString& locator) {
    const bearing::PreparedLocator prepared = bearing::PrepareLocator(locator);
    return bearing::BearingAndDistance(centre, bearing::LocatorToPoint(prepared.text));
}

std::optional<Point> LocatorCentre(const QString& locator) {
    if (!bearing::IsMaidenheadLocator(locator.toLatin1()))
        return std::nullopt;
    return bearing::LocatorToPoint(bearing::PrepareLocator(locator).text);
}

} // namespace map

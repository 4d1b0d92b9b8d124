#include "qsopoints.h"

#include <algorithm>
#include <cmath>

namespace edilog {

namespace {

bool between(char c, char low, char high) {
    return c >= low && c <= high;
}

char upper(char c) {
    return between(c, 'a', 'z') ? char(c - 'a' + 'A') : c;
}

struct Degrees {
    double longitude;
    double latitude;
};

Degrees position(QByteArrayView locator, bool corner) {
    const double half = corner ? 0.0 : 0.5;
    return {(upper(locator[0]) - 'A') * 20.0 - 180.0 + (locator[2] - '0') * 2.0 +
                (upper(locator[4]) - 'A' + half) * (2.0 / 24.0),
            (upper(locator[1]) - 'A') * 10.0 - 90.0 + (locator[3] - '0') * 1.0 +
                (upper(locator[5]) - 'A' + half) * (1.0 / 24.0)};
}

} // namespace

bool IsSixCharacterLocator(QByteArrayView text) {
    return text.size() == 6 && between(upper(text[0]), 'A', 'R') &&
           between(upper(text[1]), 'A', 'R') && between(text[2], '0', '9') &&
           between(text[3], '0', '9') && between(upper(text[4]), 'A', 'X') &&
           between(upper(text[5]), 'A', 'X');
}

std::optional<double> LocatorArcDegrees(QByteArrayView from, QByteArrayView to, bool corner) {
    if (!IsSixCharacterLocator(from) || !IsSixCharacterLocator(to))
        return std::nullopt;
    const Degrees a = position(from, corner);
    const Degrees b = position(to, corner);
    const double cosine = std::sin(a.latitude * kRadian) * std::sin(b.latitude * kRadian) +
                          std::cos(a.latitude * kRadian) * std::cos(b.latitude * kRadian) *
                              std::cos((b.longitude - a.longitude) * kRadian);
    // Rounding can push the cosine of a zero angle just past 1.
    return std::acos(std::clamp(cosine, -1.0, 1.0)) / kRadian;
}

qint64 DistancePoints(double km, const PointRule& rule) {
    // A whole number of km comes out of the cosines a hair short (139 km along a meridian as
    // 138.99999999999), which truncation would cost a point. A millimetre is far above that
    // error and far below anything the locators can tell apart.
    constexpr double kArithmeticKm = 1e-6;
    switch (rule.count) {
    case PointRule::Count::Rounded:
        return qint64(std::llround(km));
    case PointRule::Count::Whole:
        return qint64(std::floor(km + kArithmeticKm));
    case PointRule::Count::WholePlusOne:
        break;
    }
    return qint64(std::floor(km + kArithmeticKm)) + 1;
}

} // namespace edilog

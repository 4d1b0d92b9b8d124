#include "greatcircle.h"

#include <cmath>

namespace bearing {

namespace {

// A double under the bearing calculation's failure rule. Every operation
// checks its operands before it runs: a division by zero, the square root of a negative
// number or a non-finite result (overflow) gives a failed value, and whatever is computed
// from a failed value fails too. No floating-point trap and no exception is involved.
class Checked {
public:
    Checked(double value) : value_(value), ok_(std::isfinite(value)) {}
    static Checked failed() { return Checked(); }

    bool ok() const { return ok_; }
    double value() const { return value_; }

private:
    Checked() = default;
    double value_ = 0.0;
    bool ok_ = false;
};

Checked operator-(Checked x) {
    return x.ok() ? Checked(-x.value()) : Checked::failed();
}
Checked operator+(Checked x, Checked y) {
    return x.ok() && y.ok() ? Checked(x.value() + y.value()) : Checked::failed();
}
Checked operator-(Checked x, Checked y) {
    return x.ok() && y.ok() ? Checked(x.value() - y.value()) : Checked::failed();
}
Checked operator*(Checked x, Checked y) {
    return x.ok() && y.ok() ? Checked(x.value() * y.value()) : Checked::failed();
}
Checked operator/(Checked x, Checked y) {
    if (!x.ok() || !y.ok() || y.value() == 0.0)
        return Checked::failed(); // division by zero
    return Checked(x.value() / y.value());
}
Checked Sqr(Checked x) {
    if (!x.ok() || x.value() < 0.0)
        return Checked::failed(); // square root of a negative number
    return Checked(std::sqrt(x.value()));
}
Checked Sin(Checked x) {
    return x.ok() ? Checked(std::sin(x.value())) : Checked::failed();
}
Checked Cos(Checked x) {
    return x.ok() ? Checked(std::cos(x.value())) : Checked::failed();
}
Checked Atn(Checked x) {
    return x.ok() ? Checked(std::atan(x.value())) : Checked::failed();
}
// The whole part, rounding down.
Checked Int(Checked x) {
    return x.ok() ? Checked(std::floor(x.value())) : Checked::failed();
}
// -1, 0 or +1: a whole number, exact in a double like every whole number here.
Checked Sgn(Checked x) {
    if (!x.ok())
        return Checked::failed();
    return Checked(x.value() < 0.0 ? -1.0 : x.value() > 0.0 ? 1.0 : 0.0);
}

// A variable of one run. It starts at 0, as every value of a run does, and one statement
// sets it: all or nothing, so a statement whose computation failed leaves it as it was.
class RunValue {
public:
    operator Checked() const { return value_; }
    double value() const { return value_; }
    void set(Checked computed) {
        if (computed.ok())
            value_ = computed.value();
    }

private:
    double value_ = 0.0;
};

constexpr double kLongitudeNudge = 0.0001; // radians, added to the longitude difference
constexpr double kSignThreshold = 0.0001;  // degrees, in the longitude mapping of step 2
constexpr double kSouthLimit = -0.9999999; // below it, the azimuth is taken as pi

// Steps 11 and 12: whole degrees and whole kilometres.
BearingDistance Rounded(Course course) {
    RunValue bearing, distance;
    bearing.set(Int(course.azimuth / kDegree + 0.5));
    distance.set(Int(kEarthRadiusKm * course.angle + 0.5));
    return {bearing.value(), distance.value()};
}

// Steps 6 to 10: the central angle and the azimuth.
Course CourseFromCentralCosine(double phi1, double phi2, double delta, double c);

} // namespace

BearingDistance BearingAndDistance(Point from, Point to) {
    return Rounded(CourseBetween(from, to));
}

BearingDistance BearingFromCentralCosine(double phi1, double phi2, double delta, double c) {
    return Rounded(CourseFromCentralCosine(phi1, phi2, delta, c));
}

Course CourseBetween(Point from, Point to) {
    const Checked k = kDegree, pi = kPi;
    RunValue w1, w2, p1, p2, lambda1, lambda2, phi1, phi2, delta, c;

    // 1. West-positive longitudes, latitudes.
    w1.set(-Checked(from.longitude));
    w2.set(-Checked(to.longitude));
    p1.set(from.latitude);
    p2.set(to.latitude);
    // 2. East longitude in radians; 180 * (Sgn + 1) is the whole number 0, 180 or 360.
    lambda1.set(-(w1 - 180 * (Sgn(w1 - kSignThreshold) + 1)) * k);
    lambda2.set(-(w2 - 180 * (Sgn(w2 - kSignThreshold) + 1)) * k);
    // 3. Latitudes in radians.
    phi1.set(p1 * k);
    phi2.set(p2 * k);
    // 4. Nudged longitude difference: a negative one gains 2 pi, an exact 0 gains pi.
    delta.set(lambda1 - lambda2 + kLongitudeNudge);
    delta.set(delta + (1 - Sgn(delta)) * pi);
    // 5. Cosine of the central angle (spherical law of cosines).
    c.set(Sin(phi1) * Sin(phi2) + Cos(phi1) * Cos(phi2) * Cos(delta));

    return CourseFromCentralCosine(phi1.value(), phi2.value(), delta.value(), c.value());
}

namespace {

Course CourseFromCentralCosine(double phi1, double phi2, double delta, double c) {
    const Checked pi = kPi;
    const Checked Phi1 = phi1, Phi2 = phi2, Delta = delta, C = c;
    RunValue D;
    RunValue a; // the cosine of the azimuth, then the azimuth A itself: one variable

    // 6. Central angle, 0 to pi. Fails for c == 0 or c * c > 1, and D stays 0.
    D.set(Atn(Sqr(1 - C * C) / C) + (pi / 2) * (1 - Sgn(C)));
    // 7. Cosine of the azimuth; the two divisions in this order.
    a.set((Sin(Phi2) - C * Sin(Phi1)) / Sin(D) / Cos(Phi1));
    // 8. Azimuth from its cosine. When the second branch fails (a above 1), A keeps a.
    if (a.value() < kSouthLimit)
        a.set(pi);
    else
        a.set(Atn(Sqr(1 - a * a) / a) + (pi / 2) * (1 - Sgn(a)));
    // 9. Negative when point 2 lies west of point 1; 0 when D is exactly pi.
    a.set(a * Sgn(Delta - pi) * Sgn(pi - D));
    // 10. A negative A gains 2 pi; an A of exactly 0 becomes pi.
    a.set(a + pi * (1 - Sgn(a)));
    return {a.value(), D.value()};
}

} // namespace

} // namespace bearing

// QSO points by the IARU Region 1 rule, and the other ways loggers count them.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <array>
#include <numbers>
#include <optional>

namespace edilog {

// A six-character Maidenhead locator, either case: AA00AA to RR99XX.
bool IsSixCharacterLocator(QByteArrayView text);

inline constexpr double kRadian = std::numbers::pi / 180.0;

// One way of turning a distance into points, before the band multiplier.
struct PointRule {
    const char* name;   // as the findings name it
    double kmPerDegree; // of arc: 111.2 is R = 6371.29 km
    bool corner;        // the locators' south-west corners instead of their centres
    enum class Count { WholePlusOne, Rounded, Whole } count;
};

// The rule first, then what other loggers do.
using Count = PointRule::Count;
inline constexpr std::array<PointRule, 6> kPointRules{{
    {"the IARU rule (whole km + 1, centres, 111.2 km per degree)", 111.2, false,
     Count::WholePlusOne},
    {"round(km) instead of whole km + 1", 111.2, false, Count::Rounded},
    {"whole km without the + 1", 111.2, false, Count::Whole},
    {"R = 6371 km", 6371.0 * kRadian, false, Count::WholePlusOne},
    {"R = 6373 km", 6373.0 * kRadian, false, Count::WholePlusOne},
    {"the locators' south-west corners instead of their centres", 111.2, true, Count::WholePlusOne},
}};

// The arc in degrees between two six-character locators' centres (or south-west corners) by
// the spherical law of cosines; nothing for a locator that is not one.
std::optional<double> LocatorArcDegrees(QByteArrayView from, QByteArrayView to, bool corner);

// Great-circle distance in km: the arc times the rule's km per degree.
inline std::optional<double> LocatorDistanceKm(QByteArrayView from, QByteArrayView to,
                                               const PointRule& rule = kPointRules[0]) {
    const auto arc = LocatorArcDegrees(from, to, rule.corner);
    return arc ? std::optional(*arc * rule.kmPerDegree) : std::nullopt;
}

// Points of one QSO before the band multiplier: whole km + 1 (the same locator: 1), or as the
// rule counts them.
qint64 DistancePoints(double km, const PointRule& rule);

} // namespace edilog

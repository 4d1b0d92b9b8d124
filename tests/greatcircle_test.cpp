// Bearing and distance, its failure rule, and properties over many locators.
#include "bearing/greatcircle.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <ostream>
#include <random>

namespace {

using bearing::BearingAndDistance;
using bearing::BearingDistance;
using bearing::LocatorToPoint;
using bearing::PrepareLocator;

BearingDistance fromLocators(const QString& locator1, const QString& locator2) {
    return BearingAndDistance(LocatorToPoint(PrepareLocator(locator1).text),
                              LocatorToPoint(PrepareLocator(locator2).text));
}

struct PairCase {
    const char* locator1;
    const char* locator2;
    double bearing; // NaN: not checked here (the window shows "0" for identical texts)
    double distance;
};

void PrintTo(const PairCase& c, std::ostream* os) {
    *os << c.locator1 << " -> " << c.locator2;
}

constexpr double kUnchecked = std::numeric_limits<double>::quiet_NaN();

// Known pairs, checked to the digit.
const PairCase kPairs[] = {
    {"JN81GD", "JN71AB", 268, 210},
    {"JN81GD", "JN81", 43, 50},
    {"JN81GD", "FN20XR", 303, 7206},
    {"JN81GD", "JN82GD", 360, 111},   // due north, computed a hair to the west
    {"JN81GD", "JN80GD", 180, 111},   // due south
    {"JN81GD", "JJ81GD", 180, 4438},  // first branch of step 8
    {"AA00AA", "RR99XX", 358, 19966}, // nearly antipodal
    {"JN81GD", "JN81GD", kUnchecked, 0},
    {"JJ00AA", "JJ00AA", kUnchecked, 1}, // the nudge, near the equator
};

class LocatorPairs : public ::testing::TestWithParam<PairCase> {};

TEST_P(LocatorPairs, GiveTheTablesBearingAndDistance) {
    const PairCase& c = GetParam();
    const BearingDistance result =
        fromLocators(QString::fromLatin1(c.locator1), QString::fromLatin1(c.locator2));
    if (!std::isnan(c.bearing)) {
        EXPECT_EQ(result.bearing, c.bearing);
    }
    EXPECT_EQ(result.distance, c.distance);
}

INSTANTIATE_TEST_SUITE_P(Known, LocatorPairs, ::testing::ValuesIn(kPairs));

// Step 6 fails (c exactly 0, or c * c above 1): D stays 0, step 7 divides by sin 0 and
// fails, so does step 8's second branch, and steps 9 and 10 make A = pi.
TEST(GreatCircleFailures, FailingStep6GivesBearing180Distance0) {
    for (const double c : {0.0, 1.0000001, -1.0000001}) {
        const BearingDistance result = bearing::BearingFromCentralCosine(0.7, 0.2, 1.0, c);
        EXPECT_EQ(result.bearing, 180) << "c = " << c;
        EXPECT_EQ(result.distance, 0) << "c = " << c;
    }
}

// Step 8's second branch fails for a above 1: A keeps a, taken as radians. With phi1 = 0,
// phi2 = 0.5, c = 0.9: D = 0.45103, a = sin 0.5 / sin D = 1.09988; delta = 1 lies below pi,
// so step 9 makes A = -1.09988 and step 10 adds 2 pi: 5.18330 rad = 296.98 degrees.
TEST(GreatCircleFailures, FailingStep8KeepsTheCosineAsTheAngle) {
    const BearingDistance result = bearing::BearingFromCentralCosine(0.0, 0.5, 1.0, 0.9);
    EXPECT_EQ(result.bearing, 297);
    EXPECT_EQ(result.distance, 2867); // 6356.775 * 0.45103
}

// Overflow is a failing step too: a non-finite input leaves w1 and p1 at 0.
TEST(GreatCircleFailures, NonFiniteInputsLeaveTheirValuesAtZero) {
    const bearing::Point target{14.0, 41.0};
    const double inf = std::numeric_limits<double>::infinity();
    const BearingDistance failed = BearingAndDistance({inf, std::nan("")}, target);
    const BearingDistance origin = BearingAndDistance({0.0, 0.0}, target);
    EXPECT_EQ(failed.bearing, origin.bearing);
    EXPECT_EQ(failed.distance, origin.distance);
}

TEST(GreatCircle, LargestDistanceIsHalfTheCircumference) {
    // floor(6356.775 * 3.141592 + 0.5): D = pi needs c = -1.
    EXPECT_EQ(bearing::BearingFromCentralCosine(0.1, -0.1, 1.0, -1.0).distance, 19970);
}

// Proper Maidenhead locators: fields A-R, squares 0-9, sub-squares A-X, in either case,
// six or four characters.
QString randomLocator(std::mt19937& rng) {
    auto pick = [&rng](char first, int count) {
        return QChar(first + int(std::uniform_int_distribution<int>(0, count - 1)(rng)));
    };
    QString locator;
    locator += pick('A', 18);
    locator += pick('A', 18);
    locator += pick('0', 10);
    locator += pick('0', 10);
    if (std::bernoulli_distribution(0.8)(rng)) {
        locator += pick('A', 24);
        locator += pick('A', 24);
    }
    if (std::bernoulli_distribution(0.3)(rng))
        locator = locator.toLower();
    return locator;
}

TEST(GreatCircleProperties, RangesAndNearSymmetryOverRandomLocators) {
    std::mt19937 rng(20240613);
    for (int i = 0; i < 20000; ++i) {
        const QString locator1 = randomLocator(rng);
        const QString locator2 = randomLocator(rng);
        ASSERT_FALSE(PrepareLocator(locator1).rejected) << locator1.toStdString();
        ASSERT_FALSE(PrepareLocator(locator2).rejected) << locator2.toStdString();
        const BearingDistance there = fromLocators(locator1, locator2);
        const BearingDistance back = fromLocators(locator2, locator1);
        const std::string pair = locator1.toStdString() + " " + locator2.toStdString();
        EXPECT_GE(there.bearing, 0) << pair;
        EXPECT_LE(there.bearing, 360) << pair;
        EXPECT_EQ(there.bearing, std::floor(there.bearing)) << pair;
        EXPECT_GE(there.distance, 0) << pair;
        EXPECT_LE(there.distance, 19970) << pair;
        EXPECT_LE(std::abs(there.distance - back.distance), 2) << pair;
    }
}

} // namespace

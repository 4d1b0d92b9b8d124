// Maidenhead locator text to a point on the globe.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

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

// Code of the character at 1-based position `position` in the single-byte code page: the
// Unicode value up to U+00FF, 63 ('?') above it, as an ANSI conversion gives. A position
// beyond the end has no character: taking its code is a failing step, so `unchanged` (the
// value the code had, 0 at the start of a run) comes back.
int characterCodeOr(QStringView text, int position, int unchanged);

// Steps 1 to 3: upper case (ui::upperCase), "LL" after a 1- to 4-character text, acceptance
// test on the length and on the code of the third character (30 to 57 passes).
PreparedLocator PrepareLocator(const QString& boxText);

// A real Maidenhead locator of 4 or 6 characters, in either case, as the bearing window
// upper-cases it: field letters A to R, square digits, sub-square letters A to X. Far
// stricter than the acceptance above, which passes anything with a digit in third place:
// the lists other programs read must place every station truly.
bool IsMaidenheadLocator(QByteArrayView text);

// Step 4: centre of the sub-square that positions 1 to 6 name; a missing character counts
// as code 0.
Point LocatorToPoint(const QString& prepared);

} // namespace bearing

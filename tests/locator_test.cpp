// Locator text to prepared locator, acceptance, and point.
#include "bearing/locator.h"

#include <gtest/gtest.h>
#include <ostream>

static void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

using namespace Qt::StringLiterals;

struct PointCase {
    const char16_t* input;
    const char16_t* prepared;
    bool rejected;
    double longitude; // degrees east
    double latitude;  // degrees north
};

// Known points and rejections, plus the single-byte code page for characters beyond ASCII.
const PointCase kPoints[] = {
    {u"JN81GD", u"JN81GD", false, 16 + 6.5 / 12, 41 + 3.5 / 24},
    {u"jn81gd", u"JN81GD", false, 16 + 6.5 / 12, 41 + 3.5 / 24},
    {u"JN81", u"JN81LL", false, 16 + 11.5 / 12, 41 + 11.5 / 24},
    // c6 is missing and counts 0.
    {u"JN8", u"JN8LL", false, 16 + 11.5 / 12, 40 + 28 - 64.5 / 24},
    {u"JN81G", u"JN81G", false, 16 + 6.5 / 12, 41 - 64.5 / 24},
    // A space (32) passes at position 3.
    {u"JN 1GD", u"JN 1GD", false, -32 + 6.5 / 12, 41 + 3.5 / 24},
    // The window's placeholder: full stops (46), ...LL, accepted.
    {u"...", u"...LL", false, -564 + 11.5 / 12, -252 - 64.5 / 24},
    {u"RR99XX", u"RR99XX", false, 178 + 23.5 / 12, 89 + 23.5 / 24},
    {u"AA00AA", u"AA00AA", false, -180 + 0.5 / 12, -90 + 0.5 / 24},
    // Rejected, yet they still get a point.
    {u"JNA1GD", u"JNA1GD", true, 34 + 6.5 / 12, 41 + 3.5 / 24},
    {u"J", u"JLL", true, 56 - 64.5 / 12, -28 - 64.5 / 24},
    {u"", u"", true, -1576 - 64.5 / 12, -788 - 64.5 / 24},
    {u"JN81GDX", u"JN81GDX", true, 16 + 6.5 / 12, 41 + 3.5 / 24},
    {u"JNAB", u"JNABLL", true, 34 + 11.5 / 12, 58 + 11.5 / 24},
    // Latin-1 letters keep their code (É is 201); anything above U+00FF counts as '?' (63).
    {u"jn81\u00E9d", u"JN81\u00C9D", false, 16 + (201 - 64.5) / 12, 41 + 3.5 / 24},
    {u"jn81\u0101d", u"JN81\u0100D", false, 16 + (63 - 64.5) / 12, 41 + 3.5 / 24},
    {u"JN\u0661\u0661GD", u"JN\u0661\u0661GD", true, 30 + 6.5 / 12, 55 + 3.5 / 24},
};

void PrintTo(const PointCase& c, std::ostream* os) {
    *os << '"' << QString::fromUtf16(c.input).toStdString() << '"';
}

class LocatorPoints : public ::testing::TestWithParam<PointCase> {};

TEST_P(LocatorPoints, PreparesAcceptsAndPlaces) {
    const PointCase& c = GetParam();
    const bearing::PreparedLocator prepared = bearing::PrepareLocator(QString::fromUtf16(c.input));
    EXPECT_EQ(prepared.text, QString::fromUtf16(c.prepared));
    EXPECT_EQ(prepared.rejected, c.rejected);
    const bearing::Point point = bearing::LocatorToPoint(prepared.text);
    EXPECT_DOUBLE_EQ(point.longitude, c.longitude);
    EXPECT_DOUBLE_EQ(point.latitude, c.latitude);
}

INSTANTIATE_TEST_SUITE_P(Known, LocatorPoints, ::testing::ValuesIn(kPoints));

TEST(Locator, PreparingNeverChangesTheLengthExceptForTheShortForm) {
    // ß has no one-character upper case: it stays, and the text keeps 6 characters.
    EXPECT_EQ(bearing::PrepareLocator(u"jn81g\u00DF"_s).text, u"JN81G\u00DF"_s);
    EXPECT_EQ(bearing::PrepareLocator(u"jn81gdx"_s).text.size(), 7);
}

TEST(Locator, MissingCharactersCountZero) {
    EXPECT_EQ(bearing::characterCodeOr(u"JN", 3, 0), 0);
    EXPECT_EQ(bearing::characterCodeOr(u"JN", 2, 0), 78);
    EXPECT_EQ(bearing::characterCodeOr(u"\u00FF\u0100", 1, 0), 255);
    EXPECT_EQ(bearing::characterCodeOr(u"\u00FF\u0100", 2, 0), 63);
}

} // namespace

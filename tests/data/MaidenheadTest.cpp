#include "data/Maidenhead.h"

#include <gtest/gtest.h>

#include <cmath>

#include "data/DataEdit.h"
#include "support/Tables.h"

namespace harkola {
namespace {

struct KnownPosition {
  const char* name;
  double latitude, longitude;
  const char* locator;  // "" for none
};

class LocatorOfPosition : public ::testing::TestWithParam<KnownPosition> {};

TEST_P(LocatorOfPosition, GivesTheSquareThatHoldsIt) {
  EXPECT_EQ(locatorFromPosition(GetParam().latitude, GetParam().longitude), GetParam().locator);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LocatorOfPosition,
    ::testing::Values(
        KnownPosition{"SouthWestCorner", -90.0, -180.0, "AA00aa"},
        KnownPosition{"NorthPoleIsTopRow", 90.0, 179.999, "RR99xx"},
        // 52 deg 25 min: exactly on a subsquare edge, which belongs to the square above.
        KnownPosition{"WholeMinutesOnAnEdge", 52.0 + 25.0 / 60.0, -2.0 / 60.0, "IO92xk"},
        KnownPosition{"SouthAndEast", -41.05, 175.6, "RE78tw"},
        KnownPosition{"LongitudeBeyond180Wraps", 10.0, 200.0, "BK00aa"},
        KnownPosition{"BeyondNorthPole", 90.5, 0.0, ""}, KnownPosition{"BeyondSouthPole", -91.0, 0.0, ""},
        KnownPosition{"NotANumber", NAN, 0.0, ""}),
    test::rowName);

struct LocatorText {
  const char* name;
  const char* text;
  bool valid;
};

class LocatorParsing : public ::testing::TestWithParam<LocatorText> {};

TEST_P(LocatorParsing, AcceptsOnlyFourOrSixCharacterLocators) {
  EXPECT_EQ(locatorCentre(GetParam().text).has_value(), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LocatorParsing,
    ::testing::Values(LocatorText{"Four", "IO91", true}, LocatorText{"AnyCaseAndBlanks", " io91WM ", true},
                      LocatorText{"Five", "IO91w", false}, LocatorText{"FieldBeyondR", "SS00", false},
                      LocatorText{"LetterForDigit", "IO9A", false},
                      LocatorText{"SubsquareBeyondX", "IO91wy", false},
                      LocatorText{"Quote", "IO91\"m", false}),
    test::rowName);

TEST(Locator, DegreesAndMinutesRoundToTheNearestMinuteWithCarry) {
  const DegMin carry = toDegMin(-(59.6 / 60.0));
  EXPECT_EQ(carry.degrees, 1);
  EXPECT_EQ(carry.minutes, 0);
  EXPECT_TRUE(carry.negative);
  EXPECT_FALSE(toDegMin(-0.001).negative);  // rounds to 0: no "0 0 South"
  EXPECT_EQ(locatorOfParts("abc", "0", false, "0", "0", false), "");
}

// What the home editor does: locator -> whole degrees and minutes -> locator.
class LocatorRoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(LocatorRoundTrip, ThroughTheDataFileFields) {
  const auto p = positionOfLocator(GetParam());
  ASSERT_TRUE(p);
  EXPECT_EQ(locatorOfParts(p->latDeg, p->latMin, p->northSouth == "South", p->lonDeg, p->lonMin,
                           p->westEast == "West"),
            GetParam());
}

INSTANTIATE_TEST_SUITE_P(Table, LocatorRoundTrip,
                         ::testing::Values("IO91wm", "JJ00aa", "AA00aa", "RR99xx", "QF56od"));

}  // namespace
}  // namespace harkola

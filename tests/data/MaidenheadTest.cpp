#include "data/Maidenhead.h"

#include <gtest/gtest.h>

#include <cmath>

#include "data/DataEdit.h"

namespace harkola {
namespace {

TEST(Locator, OfAPositionIsTheSquareThatHoldsIt) {
  const struct {
    double latitude, longitude;
    const char* locator;  // "" for none
  } rows[] = {{-90.0, -180.0, "AA00aa"}, {90.0, 179.999, "RR99xx"},  // the north pole is the top row
              // 52 deg 25 min: exactly on a subsquare edge, which belongs to the square above
              {52.0 + 25.0 / 60.0, -2.0 / 60.0, "IO92xk"},
              {-41.05, 175.6, "RE78tw"},  {10.0, 200.0, "BK00aa"},   // longitude beyond 180 wraps
              {90.5, 0.0, ""},            {-91.0, 0.0, ""},          {NAN, 0.0, ""}};
  for (const auto& r : rows) EXPECT_EQ(locatorFromPosition(r.latitude, r.longitude), r.locator) << r.locator;
}

TEST(Locator, OnlyFourOrSixCharacterLocatorsAreRead) {
  for (const char* good : {"IO91", " io91WM "}) EXPECT_TRUE(locatorCentre(good)) << good;
  for (const char* bad : {"IO91w", "SS00", "IO9A", "IO91wy", "IO91\"m"}) EXPECT_FALSE(locatorCentre(bad)) << bad;
}

TEST(Locator, DegreesAndMinutesRoundToTheNearestMinuteWithCarry) {
  const DegMin carry = toDegMin(-(59.6 / 60.0));
  EXPECT_EQ(carry.degrees, 1);
  EXPECT_EQ(carry.minutes, 0);
  EXPECT_TRUE(carry.negative);
  EXPECT_FALSE(toDegMin(-0.001).negative);  // rounds to 0: no "0 0 South"
  EXPECT_EQ(locatorOfParts("abc", "0", false, "0", "0", false), "");
}

// What the home editor does: locator -> whole degrees and minutes -> locator.
TEST(Locator, RoundTripThroughTheDataFileFields) {
  for (const char* locator : {"IO91wm", "JJ00aa", "AA00aa", "RR99xx", "QF56od"}) {
    const auto p = positionOfLocator(locator);
    ASSERT_TRUE(p) << locator;
    EXPECT_EQ(locatorOfParts(p->latDeg, p->latMin, p->northSouth == "South", p->lonDeg, p->lonMin,
                             p->westEast == "West"),
              locator);
  }
}

}  // namespace
}  // namespace harkola

#include "data/ArrayCalcsModule.h"

#include <gtest/gtest.h>

#include "support/ShippedData.h"

namespace harkola {
namespace {

// The table every user of the default data sees: London (52 25 N, 0 2 W) in miles,
// beacons 1..18 as {distance, azimuth}.
TEST(DistAz, DefaultDataMatchesThePublishedTable) {
  const std::pair<long, int> table[] = {{3432, 287}, {2617, 343}, {5316, 316},  {7133, 339}, {11597, 16},
                                        {8992, 92},  {5877, 34},  {3182, 52},   {5929, 57},  {5401, 93},
                                        {5660, 154}, {4503, 135}, {2226, 115},  {1065, 48},  {1593, 218},
                                        {6949, 225}, {6328, 252}, {4665, 257}};
  PublicDecs d = test::shippedDecs(false);
  computeDistAzTable(d);
  for (int b = 1; b <= 18; ++b)
    EXPECT_EQ(std::pair(d.DistAzTable[b].distance, d.DistAzTable[b].azimuth), table[b - 1]) << "beacon " << b;
}

TEST(DistAz, KilometresAndHomeAtABeacon) {
  PublicDecs d = test::shippedDecs(false);
  d.Home.fields[8] = "Km";
  computeDistAzTable(d);
  // New York is 3432 miles: 3432 / 0.62 = 5535.5 up to 3433 / 0.62 = 5537.1 km.
  EXPECT_GE(d.DistAzTable[1].distance, 5535);
  EXPECT_LE(d.DistAzTable[1].distance, 5537);
  EXPECT_EQ(d.DistAzTable[1].azimuth, 287);

  // Home placed exactly on beacon 14 (Finland, 60 32 N, 24 6 E).
  d.Home.fields = {"", "Espoo", "60", "32", "North", "24", "6", "East", "Km", ""};
  computeDistAzTable(d);
  EXPECT_EQ(d.DistAzTable[14].distance, 0);
  EXPECT_EQ(d.DistAzTable[14].azimuth, 0);
}

double deg(double d) { return angleFromParts(d, 0, false); }

// One degree of arc is 6367 x (22/7) / 180 = 111.17 km on this model, so 9 degrees
// north is 1000.6 km and shows as 1000 (rounded down, not to the nearest). A bearing of
// a true quarter pi (0.7853982 rad) converts with 22/7 to 44.98 degrees and shows as 44.
TEST(DistAz, DistanceAndAzimuthOfKnownPaths) {
  const struct {
    Position home, beacon;
    long distance;
    int azimuth;
  } rows[] = {{{deg(40), deg(10)}, {deg(50), deg(10)}, 1111, 0}, {{deg(40), deg(10)}, {deg(30), deg(10)}, 1111, 180},
              {{0, 0}, {0, 0}, 0, 0},                         {{0, 0}, {0, deg(-30)}, 3335, 270},
              {{0, 0}, {deg(9), 0}, 1000, 0},                 {{0, 0}, {deg(0.01), deg(0.01)}, 1, 44}};
  for (const auto& r : rows) {
    const DistAz got = distanceAzimuth(r.home, r.beacon, false);
    EXPECT_EQ(std::pair(got.distance, got.azimuth), std::pair(r.distance, r.azimuth)) << r.distance;
  }
}

TEST(DistAz, NoNaNAnywhereOnAGrid) {
  for (int lat1 = -90; lat1 <= 90; lat1 += 15)
    for (int lon2 = -180; lon2 <= 180; lon2 += 15)
      for (int lat2 = -90; lat2 <= 90; lat2 += 15) {
        const DistAz r = distanceAzimuth({deg(lat1), 0}, {deg(lat2), deg(lon2)}, false);
        ASSERT_TRUE(r.distance >= 0 && r.distance <= 20012) << lat1 << " " << lat2 << " " << lon2;
        ASSERT_TRUE(r.azimuth >= 0 && r.azimuth <= 359) << lat1 << " " << lat2 << " " << lon2;
      }
}

}  // namespace
}  // namespace harkola

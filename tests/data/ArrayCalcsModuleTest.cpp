#include "data/ArrayCalcsModule.h"

#include <gtest/gtest.h>

#include "support/ShippedData.h"

namespace harkola {
namespace {

// The table every user of the default data sees: London (52 25 N, 0 2 W) in miles.
struct Expected {
  int beacon;
  long distance;
  int azimuth;
};

class DefaultDistAz : public ::testing::TestWithParam<Expected> {};

TEST_P(DefaultDistAz, MatchesPublishedTable) {
  PublicDecs d = test::shippedDecs(false);
  computeDistAzTable(d);
  EXPECT_EQ(d.DistAzTable[GetParam().beacon].distance, GetParam().distance);
  EXPECT_EQ(d.DistAzTable[GetParam().beacon].azimuth, GetParam().azimuth);
}

INSTANTIATE_TEST_SUITE_P(
    AllBeacons, DefaultDistAz,
    ::testing::Values(Expected{1, 3432, 287}, Expected{2, 2617, 343}, Expected{3, 5316, 316},
                      Expected{4, 7133, 339}, Expected{5, 11597, 16}, Expected{6, 8992, 92},
                      Expected{7, 5877, 34}, Expected{8, 3182, 52}, Expected{9, 5929, 57},
                      Expected{10, 5401, 93}, Expected{11, 5660, 154}, Expected{12, 4503, 135},
                      Expected{13, 2226, 115}, Expected{14, 1065, 48}, Expected{15, 1593, 218},
                      Expected{16, 6949, 225}, Expected{17, 6328, 252}, Expected{18, 4665, 257}),
    [](const auto& info) { return "Beacon" + std::to_string(info.param.beacon); });

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

struct Geometry {
  const char* name;
  Position home, beacon;
  long distance;
  int azimuth;
};

class DistAzGeometry : public ::testing::TestWithParam<Geometry> {};

TEST_P(DistAzGeometry, DistanceAndAzimuth) {
  const DistAz r = distanceAzimuth(GetParam().home, GetParam().beacon, false);
  EXPECT_EQ(r.distance, GetParam().distance);
  EXPECT_EQ(r.azimuth, GetParam().azimuth);
}

// One degree of arc is 6367 x (22/7) / 180 = 111.17 km on this model, so 9 degrees
// north is 1000.6 km and shows as 1000.
INSTANTIATE_TEST_SUITE_P(
    Cases, DistAzGeometry,
    ::testing::Values(Geometry{"DueNorth", {deg(40), deg(10)}, {deg(50), deg(10)}, 1111, 0},
                      Geometry{"DueSouth", {deg(40), deg(10)}, {deg(30), deg(10)}, 1111, 180},
                      Geometry{"SamePlaceOnEquator", {0, 0}, {0, 0}, 0, 0},
                      Geometry{"EquatorWest", {0, 0}, {0, deg(-30)}, 3335, 270},
                      Geometry{"RoundedDownNotToNearest", {0, 0}, {deg(9), 0}, 1000, 0},
                      // A bearing of a true quarter pi (0.7853982 rad) converts with 22/7 to
                      // 44.98 degrees and shows as 44.
                      Geometry{"QuarterPiShowsAs44", {0, 0}, {deg(0.01), deg(0.01)}, 1, 44}),
    [](const auto& info) { return std::string(info.param.name); });

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

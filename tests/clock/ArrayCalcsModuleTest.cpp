#include "clock/ArrayCalcsModule.h"

#include <gtest/gtest.h>

#include "data/DataFile.h"
#include "data/DefaultData.h"

namespace harkola {
namespace {

// The table every user of the default data sees: London (52 25 N, 0 2 W) in miles.
struct Expected {
  int beacon;
  long distance;
  int azimuth;
};

constexpr Expected kDefaultTable[] = {
    {1, 3432, 287},  {2, 2617, 343},  {3, 5316, 316},  {4, 7133, 339},  {5, 11597, 16},
    {6, 8992, 92},   {7, 5877, 34},   {8, 3182, 52},   {9, 5929, 57},   {10, 5401, 93},
    {11, 5660, 154}, {12, 4503, 135}, {13, 2226, 115}, {14, 1065, 48},  {15, 1593, 218},
    {16, 6949, 225}, {17, 6328, 252}, {18, 4665, 257},
};

PublicDecs defaultDecs() {
  PublicDecs d;
  const auto home = readFields(defaultHomeData());
  for (std::size_t i = 0; i < home.size(); ++i) d.Home.fields[i + 1] = home[i];
  const auto beacons = readFields(defaultBeaconData());
  for (std::size_t k = 0; k < beacons.size(); ++k)
    d.BeaconTable[1 + k / kBeaconFieldCount][1 + k % kBeaconFieldCount] = beacons[k];
  return d;
}

class DefaultDistAz : public ::testing::TestWithParam<Expected> {};

TEST_P(DefaultDistAz, MatchesPublishedTable) {
  PublicDecs d = defaultDecs();
  computeDistAzTable(d);
  const Expected e = GetParam();
  EXPECT_EQ(d.DistAzTable[e.beacon].distance, e.distance);
  EXPECT_EQ(d.DistAzTable[e.beacon].azimuth, e.azimuth);
}

INSTANTIATE_TEST_SUITE_P(AllBeacons, DefaultDistAz, ::testing::ValuesIn(kDefaultTable),
                         [](const auto& info) { return "Beacon" + std::to_string(info.param.beacon); });

TEST(DistAz, KilometresAreMilesDividedByTheFactor) {
  PublicDecs d = defaultDecs();
  d.Home.fields[8] = "Km";
  computeDistAzTable(d);
  // New York is 3432 miles: 3432 / 0.62 = 5535.5 up to 3433 / 0.62 = 5537.1 km.
  EXPECT_GE(d.DistAzTable[1].distance, 5535);
  EXPECT_LE(d.DistAzTable[1].distance, 5537);
  EXPECT_EQ(d.DistAzTable[1].azimuth, 287);
}

struct Geometry {
  const char* name;
  Position home;
  Position beacon;
  long distance;
  int azimuth;
};

double deg(double d) { return angleFromParts(d, 0, false); }

class DistAzGeometry : public ::testing::TestWithParam<Geometry> {};

TEST_P(DistAzGeometry, DistanceAndAzimuth) {
  const Geometry g = GetParam();
  const DistAz r = distanceAzimuth(g.home, g.beacon, false);
  EXPECT_EQ(r.distance, g.distance);
  EXPECT_EQ(r.azimuth, g.azimuth);
}

// One degree of arc is 6367 x (22/7) / 180 = 111.17 km on this model, so 9 degrees
// north is 1000.6 km and shows as 1000.
INSTANTIATE_TEST_SUITE_P(
    Cases, DistAzGeometry,
    ::testing::Values(
        Geometry{"DueNorth", {deg(40), deg(10)}, {deg(50), deg(10)}, 1111, 0},
        Geometry{"DueSouth", {deg(40), deg(10)}, {deg(30), deg(10)}, 1111, 180},
        Geometry{"SamePlace", {deg(52), deg(-1)}, {deg(52), deg(-1)}, 0, 0},
        Geometry{"SamePlaceOnEquator", {0, 0}, {0, 0}, 0, 0},
        Geometry{"EquatorEast", {0, 0}, {0, deg(30)}, 3335, 90},
        Geometry{"EquatorWest", {0, 0}, {0, deg(-30)}, 3335, 270},
        Geometry{"RoundedDownNotToNearest", {0, 0}, {deg(9), 0}, 1000, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DistAz, NoNaNAnywhereOnAGrid) {
  for (int lat1 = -90; lat1 <= 90; lat1 += 15)
    for (int lon2 = -180; lon2 <= 180; lon2 += 15)
      for (int lat2 = -90; lat2 <= 90; lat2 += 15) {
        const DistAz r = distanceAzimuth({deg(lat1), 0}, {deg(lat2), deg(lon2)}, false);
        ASSERT_GE(r.distance, 0);
        ASSERT_LE(r.distance, 20012);
        ASSERT_GE(r.azimuth, 0);
        ASSERT_LE(r.azimuth, 359);
      }
}

TEST(DistAz, HomeAtABeaconsPosition) {
  PublicDecs d = defaultDecs();
  // Home placed exactly on beacon 14 (Finland, 60 32 N, 24 6 E).
  d.Home.fields = {"", "Espoo", "60", "32", "North", "24", "6", "East", "Km", ""};
  computeDistAzTable(d);
  EXPECT_EQ(d.DistAzTable[14].distance, 0);
  EXPECT_EQ(d.DistAzTable[14].azimuth, 0);
}

}  // namespace
}  // namespace harkola

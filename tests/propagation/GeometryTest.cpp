// Great circles and projections against the program's own distance/azimuth table, and
// the sun against published solar figures.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "data/ArrayCalcsModule.h"
#include "support/ShippedData.h"
#include "propagation/BeaconSites.h"
#include "propagation/MapProjection.h"
#include "propagation/SolarPosition.h"

namespace harkola {
namespace {

double angleDiff(double a, double b) {
  const double d = std::fmod(std::fabs(a - b), 360.0);
  return d > 180.0 ? 360.0 - d : d;
}

// The table works in whole miles (rounded down) with pi = 22/7 in every conversion; the
// map's true great circle must stay within one degree and about 0.1 % of it for every
// default beacon, or the map and the main window would disagree visibly. (22/7 moves
// the far southern beacons' latitudes most: LU4AA's table distance is 0.114 % long.)
TEST(GreatCircle, DistanceAndBearingAgreeWithTheDistAzTable) {
  const PublicDecs d = test::shippedDecs();
  const GeoPoint home = homePoint(d);
  ASSERT_EQ(beaconSites(d).size(), 18u);
  for (const BeaconSite& site : beaconSites(d)) {
    const DistAz table = d.DistAzTable[static_cast<std::size_t>(site.number)];
    const double miles = distanceKm(home, site.where) * 0.62;
    EXPECT_NEAR(miles, table.distance + 0.5, table.distance * 0.0012 + 0.5) << site.callsign;
    EXPECT_LE(angleDiff(initialBearingDeg(home, site.where), table.azimuth + 0.5), 1.0) << site.callsign;
  }
}

TEST(GreatCircle, AntipodeAndSamePlace) {
  const GeoPoint london{51.5, -0.1};
  const GeoPoint antipode{-51.5, 179.9};
  EXPECT_NEAR(centralAngleDeg(london, antipode), 180.0, 1e-9);
  EXPECT_NEAR(distanceKm(london, antipode), std::numbers::pi * kEarthRadiusKm, 1e-6);
  EXPECT_EQ(initialBearingDeg(london, antipode), 0.0);
  // The path is still a great circle: due north over the pole, evenly spaced, ending at
  // the antipode rather than wandering off.
  const auto path = greatCirclePath(london, antipode, 5);
  ASSERT_EQ(path.size(), 5u);
  EXPECT_NEAR(centralAngleDeg(path[4], antipode), 0.0, 1e-9);
  EXPECT_NEAR(path[1].latitude, 180.0 - (51.5 + 45.0), 1e-6);  // 45 degrees on, past the pole
  for (std::size_t i = 1; i < path.size(); ++i)
    EXPECT_NEAR(centralAngleDeg(path[i - 1], path[i]), 45.0, 1e-6) << i;

  // Home at the beacon: no distance, bearing 0, a path that stays put.
  EXPECT_EQ(distanceKm(london, london), 0.0);
  EXPECT_EQ(initialBearingDeg(london, london), 0.0);
  for (const GeoPoint& p : greatCirclePath(london, london, 3)) EXPECT_NEAR(centralAngleDeg(p, london), 0.0, 1e-12);
}

TEST(GreatCircle, PathAcrossTheDateLineStaysShort) {
  const GeoPoint a{20.0, 170.0}, b{20.0, -170.0};
  for (const GeoPoint& p : greatCirclePath(a, b, 9))
    EXPECT_TRUE(p.longitude >= 170.0 || p.longitude <= -170.0) << p.longitude;
}

TEST(MapProjection, AzimuthalReadsDistanceAndBearing) {
  const GeoPoint home{52.42, -0.03};
  const MapProjection az(ProjectionKind::AzimuthalEquidistant, home);
  const MapXY centre = az.project(home);
  EXPECT_NEAR(std::hypot(centre.x, centre.y), 0.0, 1e-12);
  // Due east at a quarter of the globe: half way to the rim, on the x axis.
  const MapXY east = az.project(destination(home, 90.0, 90.0));
  EXPECT_NEAR(std::hypot(east.x - 0.5, east.y), 0.0, 1e-9);
  const MapXY anti = az.project(GeoPoint{-52.42, 179.97});
  EXPECT_NEAR(std::hypot(anti.x, anti.y), 1.0, 1e-9);
  EXPECT_FALSE(az.unproject(MapXY{0.8, 0.8}).has_value());

  for (const MapProjection& m : {az, MapProjection(ProjectionKind::Equirectangular, home)}) {
    for (const GeoPoint& p : {GeoPoint{-33.9, 18.4}, GeoPoint{40.7, -74.0}, GeoPoint{-41.1, 175.6}}) {
      const auto back = m.unproject(m.project(p));
      ASSERT_TRUE(back.has_value());
      EXPECT_NEAR(centralAngleDeg(*back, p), 0.0, 1e-9);
    }
  }
}

TEST(MapProjection, LinesBreakAtTheSeamOnly) {
  const MapProjection eq(ProjectionKind::Equirectangular, GeoPoint{52.0, 0.0});
  EXPECT_TRUE(eq.breaksBetween(eq.project({10, 179.5}), eq.project({10, -179.5})));
  EXPECT_FALSE(eq.breaksBetween(eq.project({10, 10}), eq.project({10, 12})));
  const MapProjection az(ProjectionKind::AzimuthalEquidistant, GeoPoint{52.0, 0.0});
  // Two points a degree apart beside the antipode land on opposite sides of the disc.
  EXPECT_TRUE(az.breaksBetween(az.project({-52.0, 179.5}), az.project({-52.0, -179.5})));
  EXPECT_FALSE(az.breaksBetween(az.project({40, 10}), az.project({40, 11})));
}

std::chrono::system_clock::time_point utc(int y, unsigned mo, unsigned d, int h, int mi) {
  using namespace std::chrono;
  return sys_days{year{y} / month{mo} / day{d}} + hours{h} + minutes{mi};
}

// Published figures: the instants of the 2024 equinox and solstices (declination 0,
// +23.44, -23.44) and the extremes of the equation of time (-14 min 13 s on 11
// February, +16 min 26 s on 3 November).
TEST(Sun, DeclinationAndEquationOfTimeMatchPublishedFigures) {
  for (const auto& [when, declination] : {std::pair(utc(2024, 3, 20, 3, 6), 0.0),
                                          std::pair(utc(2024, 6, 20, 20, 51), 23.44),
                                          std::pair(utc(2024, 12, 21, 9, 21), -23.44)})
    EXPECT_NEAR(sunPositionAt(when).declinationDeg, declination, 0.02) << declination;
  EXPECT_NEAR(sunPositionAt(utc(2024, 2, 11, 12, 0)).equationOfTimeMin, -14.22, 0.1);
  EXPECT_NEAR(sunPositionAt(utc(2024, 11, 3, 12, 0)).equationOfTimeMin, 16.43, 0.1);
}

TEST(Terminator, EquinoxSplitsTheGlobeAtThePoles) {
  const SunPosition s = sunPositionAt(utc(2024, 3, 20, 12, 0));
  // Noon at Greenwich with the equation of time at -7.5 min: the sun stands over 1.9 E.
  EXPECT_NEAR(s.subsolar.longitude, 1.9, 0.1);
  EXPECT_NEAR(sunElevationDeg({0, s.subsolar.longitude + 90.0}, s), 0.0, 0.05);
  // Nine hours after the equinox the sun has climbed 0.15 degrees north: the pole just sees it.
  EXPECT_NEAR(sunElevationDeg({90, 0}, s), 0.15, 0.05);
  // Sunrise in London on that day is 06:02 UTC (published almanac time, to the minute).
  EXPECT_NEAR(sunElevationDeg({51.5, -0.13}, sunPositionAt(utc(2024, 3, 20, 6, 2))), -0.833, 0.25);
  EXPECT_EQ(daylightAt(sunElevationDeg({51.5, -0.13}, sunPositionAt(utc(2024, 3, 20, 5, 40)))), Daylight::Civil);
}

TEST(Terminator, SolsticeLightsThePoleAndTheCurveIsTheBoundary) {
  const SunPosition s = sunPositionAt(utc(2024, 6, 20, 12, 0));
  EXPECT_NEAR(sunElevationDeg({90, 0}, s), 23.44, 0.03);
  EXPECT_EQ(daylightAt(sunElevationDeg({-90, 0}, s)), Daylight::Night);
  // London sunrise 03:43 UTC and sunset 20:21 UTC on 20 June 2024.
  EXPECT_NEAR(sunElevationDeg({51.5, -0.13}, sunPositionAt(utc(2024, 6, 20, 3, 43))), -0.833, 0.25);
  EXPECT_NEAR(sunElevationDeg({51.5, -0.13}, sunPositionAt(utc(2024, 6, 20, 20, 21))), -0.833, 0.25);
  // Every point of a twilight curve has the sun at exactly that depression.
  for (Daylight l : {Daylight::Day, Daylight::Civil, Daylight::Nautical, Daylight::Astronomical}) {
    const double dep = boundaryDepressionDeg(l);
    for (const GeoPoint& p : twilightCurve(s, dep, 36)) EXPECT_NEAR(sunElevationDeg(p, s), -dep, 1e-6);
  }
}

}  // namespace
}  // namespace harkola

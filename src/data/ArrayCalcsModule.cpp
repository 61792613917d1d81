#include "data/ArrayCalcsModule.h"

#include <algorithm>
#include <cmath>

#include "data/Beacons.h"

namespace harkola {
namespace {

// The displayed values have always been computed with this approximation of pi (in
// the degree conversions and in every quadrant step); the shown distances and
// azimuths depend on it, so it must not be "corrected" to the true value.
constexpr double kPi = 22.0 / 7.0;
constexpr double kEarthRadiusKm = 6367.0;
constexpr double kKmToMiles = 0.62;
// A central angle below this (about 0.6 m on the earth) is treated as "same place":
// rounding in the cosine formula would otherwise give a random azimuth.
constexpr double kSamePlaceRadians = 1e-7;

// Degrees as the beacon view gives them, in radians with the table's pi.
Position radiansOf(const GeoPoint& p) {
  return Position{p.latitude * kPi / 180.0, p.longitude * kPi / 180.0};
}

}  // namespace

double angleFromParts(double degrees, double minutes, bool negative) {
  const double a = (degrees + minutes / 60.0) * kPi / 180.0;
  return negative ? -a : a;
}

DistAz distanceAzimuth(const Position& home, const Position& beacon, bool miles) {
  const double phi1 = home.latitude, lambda1 = home.longitude;
  const double phi2 = beacon.latitude, lambda2 = beacon.longitude;

  // Cosine of the central angle; rounding can push it a hair outside [-1, 1], where
  // the square root below would give NaN.
  double x = std::cos(lambda1 - lambda2) * std::cos(phi1) * std::cos(phi2) +
             std::sin(phi2) * std::sin(phi1);
  x = std::clamp(x, -1.0, 1.0);

  double c;
  if (x == 0.0) {
    c = kPi / 2.0;  // a quarter of the globe away
  } else {
    c = std::atan(std::fabs(std::sqrt(1.0 - x * x) / x));
    if (x < 0) c = kPi - c;
  }
  if (c < kSamePlaceRadians) return DistAz{0, 0};

  double distance = c * kEarthRadiusKm;
  if (miles) distance *= kKmToMiles;

  const double y = std::sin(lambda2 - lambda1) * std::cos(phi2) * std::cos(phi1);
  const double bigX = std::sin(phi2) - std::sin(phi1) * std::cos(c);
  double a;
  if (bigX == 0.0) {
    // Due east or west (or no direction at all when y is 0 too).
    a = y > 0 ? kPi / 2.0 : (y < 0 ? 3.0 * kPi / 2.0 : 0.0);
  } else {
    a = std::atan(std::fabs(y / bigX));
    if (bigX < 0) a = kPi - a;
    if (y < 0) a = -a;
    if (a < 0) a += 2.0 * kPi;
  }

  int azimuth = static_cast<int>(std::floor(a * 180.0 / kPi));
  if (azimuth >= 360) azimuth -= 360;  // a hair below north going round
  return DistAz{static_cast<long>(std::floor(distance)), azimuth};
}

void computeDistAzTable(PublicDecs& d) {
  const Position home = radiansOf(homePosition(d.Home));
  const bool miles = d.Home.unitText() == "m";
  const Beacons beacons(d.BeaconTable);
  d.DistAzTable[0] = DistAz{};
  for (int row = 1; row <= kBeaconCount; ++row)
    d.DistAzTable[row] = distanceAzimuth(home, radiansOf(beacons.position(row)), miles);
}

}  // namespace harkola

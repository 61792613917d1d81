#pragma once
// Where the sun stands, for the map's day/night shading. The low-precision solar
// coordinates of the astronomical almanac (good to about 0.01 degree of declination and
// a few seconds of the equation of time for 1950..2050), on a spherical earth.

#include <chrono>
#include <vector>

#include "propagation/GreatCircle.h"

namespace harkola {

struct SunPosition {
  double declinationDeg = 0;    // = latitude of the subsolar point
  double equationOfTimeMin = 0; // apparent minus mean solar time, minutes
  GeoPoint subsolar;            // where the sun is in the zenith
};

SunPosition sunPositionAt(std::chrono::system_clock::time_point utc);

// Elevation of the sun's centre above the horizon at `where`, degrees (no refraction).
double sunElevationDeg(const GeoPoint& where, const SunPosition& sun);

// The light at a place, from the sun's elevation: day from sunrise (-0.833 degrees:
// refraction and the sun's radius), then civil (to -6), nautical (to -12) and
// astronomical (to -18) twilight, then night.
enum class Daylight { Day, Civil, Nautical, Astronomical, Night };
Daylight daylightAt(double sunElevationDeg);

// Depression of the sun below the horizon that bounds each light: 0.833, 6, 12, 18.
double boundaryDepressionDeg(Daylight lighter);

// The line on the earth where the sun stands `depressionDeg` below the horizon (0.833
// for the terminator): a small circle round the antisolar side, `count` points, closed
// (first point repeated last).
std::vector<GeoPoint> twilightCurve(const SunPosition& sun, double depressionDeg, int count);

}  // namespace harkola

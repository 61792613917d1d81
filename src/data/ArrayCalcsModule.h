#pragma once
// Great-circle distance and azimuth from home to every beacon, on a spherical earth of
// radius 6367 km, with pi taken as 22/7 throughout. Results are rounded down.

#include "common/PublicDecs.h"

namespace harkola {

struct Position {
  double latitude = 0;   // radians, north positive
  double longitude = 0;  // radians, east positive
};

// degrees + minutes / 60, times pi / 180 (pi = 22/7); negated when `negative`.
double angleFromParts(double degrees, double minutes, bool negative);

// Distance in km (times 0.62 when `miles`) and azimuth in degrees, both rounded down.
DistAz distanceAzimuth(const Position& home, const Position& beacon, bool miles);

// Fills rows 1..18 of d.DistAzTable from d.Home and d.BeaconTable. Text fields that are
// not numbers count as 0 (the loader refuses such files before this runs).
void computeDistAzTable(PublicDecs& d);

}  // namespace harkola

#pragma once
// Great circles on a spherical earth, in true degrees (pi as the library knows it). The
// main window's distance/azimuth table keeps its own historical arithmetic; these are
// the values the map draws.

#include <vector>

#include "data/Beacons.h"  // GeoPoint: degrees, north and east positive

namespace harkola {

inline constexpr double kEarthRadiusKm = 6367.0;  // the radius the whole program uses

// Central angle between two points in degrees, 0..180 (haversine: exact near 0 too).
double centralAngleDeg(const GeoPoint& a, const GeoPoint& b);
double distanceKm(const GeoPoint& a, const GeoPoint& b);

// Initial bearing from `a` towards `b`, degrees 0..<360 clockwise from true north. Where
// no direction is defined (the same place, the antipode, a pole as `a`), the bearing is
// 0: the antipode is reached by any bearing, and north is as good as any.
double initialBearingDeg(const GeoPoint& a, const GeoPoint& b);

// The point reached from `a` along `bearingDeg` after `angleDeg` of arc.
GeoPoint destination(const GeoPoint& a, double bearingDeg, double angleDeg);

// `count` points (at least 2) evenly spaced along the short great circle from `a` to
// `b`, both ends included. For the antipode the path runs along the initial bearing
// above (due north); for the same place all points are `a`.
std::vector<GeoPoint> greatCirclePath(const GeoPoint& a, const GeoPoint& b, int count);

// Longitude brought into -180..180.
double normalizeLongitude(double lonDeg);

}  // namespace harkola

#pragma once
// The two world maps. Both map the whole earth into a frame in plain units, which the
// window scales to pixels:
// - azimuthal equidistant centred on home: a disc of radius 1, home at (0, 0), north of
//   home straight up; the distance from the centre is the great-circle distance over
//   180 degrees and the angle is the bearing, so straight lines from the centre are
//   great circles and bearings read directly; the antipode is the rim.
// - equirectangular: x = longitude / 180 (centred on home's longitude), y = latitude /
//   90, so the frame is 2 x 1 units around (0, 0). y grows northwards in both.

#include <optional>

#include "propagation/GreatCircle.h"

namespace harkola {

struct MapXY {
  double x = 0;
  double y = 0;
};

enum class ProjectionKind { AzimuthalEquidistant, Equirectangular };

class MapProjection {
 public:
  MapProjection(ProjectionKind kind, const GeoPoint& home) : m_kind(kind), m_home(home) {}

  ProjectionKind kind() const { return m_kind; }
  const GeoPoint& home() const { return m_home; }
  // Half width and half height of the frame: 1 x 1 for the disc, 1 x 0.5 for the
  // rectangle (whose unit is 180 degrees).
  double halfWidth() const { return 1.0; }
  double halfHeight() const { return m_kind == ProjectionKind::Equirectangular ? 0.5 : 1.0; }

  MapXY project(const GeoPoint& p) const;
  // The earth point under (x, y), or nothing outside the map.
  std::optional<GeoPoint> unproject(const MapXY& xy) const;

  // True when a line drawn straight between the projections of two neighbouring points
  // of one path would cross the map (the seam of the rectangle, the rim of the disc):
  // the path is then broken there instead of drawn across.
  bool breaksBetween(const MapXY& a, const MapXY& b) const;

 private:
  ProjectionKind m_kind;
  GeoPoint m_home;
};

}  // namespace harkola

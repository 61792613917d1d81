#include "propagation/MapProjection.h"

#include <cmath>
#include <numbers>

namespace harkola {
namespace {
constexpr double kRad = std::numbers::pi / 180.0;
}

MapXY MapProjection::project(const GeoPoint& p) const {
  if (m_kind == ProjectionKind::Equirectangular) {
    // y in -0.5..0.5 with x in -1..1 keeps the 2:1 shape of the plate carree.
    return MapXY{normalizeLongitude(p.longitude - m_home.longitude) / 180.0, p.latitude / 180.0};
  }
  const double r = centralAngleDeg(m_home, p) / 180.0;
  const double b = initialBearingDeg(m_home, p) * kRad;
  return MapXY{r * std::sin(b), r * std::cos(b)};
}

std::optional<GeoPoint> MapProjection::unproject(const MapXY& xy) const {
  if (m_kind == ProjectionKind::Equirectangular) {
    if (std::fabs(xy.x) > 1.0 || std::fabs(xy.y) > 0.5) return std::nullopt;
    return GeoPoint{xy.y * 180.0, normalizeLongitude(xy.x * 180.0 + m_home.longitude)};
  }
  const double r = std::hypot(xy.x, xy.y);
  if (r > 1.0) return std::nullopt;
  const double bearing = std::atan2(xy.x, xy.y) / kRad;
  return destination(m_home, bearing, r * 180.0);
}

bool MapProjection::breaksBetween(const MapXY& a, const MapXY& b) const {
  const double dx = a.x - b.x, dy = a.y - b.y;
  if (m_kind == ProjectionKind::Equirectangular) return std::fabs(dx) > 1.0;
  // Near the rim neighbouring earth points can land on opposite sides of the disc.
  return dx * dx + dy * dy > 0.25;
}

}  // namespace harkola

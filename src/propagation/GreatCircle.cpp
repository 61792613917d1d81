#include "propagation/GreatCircle.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace harkola {
namespace {

constexpr double kRad = std::numbers::pi / 180.0;
constexpr double kDeg = 180.0 / std::numbers::pi;
// Below this angle (about 6 mm on the earth) two points are the same place, and within
// it of 180 degrees they are antipodes: bearings there are rounding noise.
constexpr double kSameAngleDeg = 1e-9 * kDeg;

}  // namespace

double normalizeLongitude(double lon) {
  if (!std::isfinite(lon)) return 0;
  lon = std::fmod(lon + 180.0, 360.0);
  if (lon < 0) lon += 360.0;
  return lon - 180.0;
}

double centralAngleDeg(const GeoPoint& a, const GeoPoint& b) {
  const double p1 = a.latitude * kRad, p2 = b.latitude * kRad;
  const double dp = p2 - p1, dl = (b.longitude - a.longitude) * kRad;
  const double h = std::sin(dp / 2) * std::sin(dp / 2) +
                   std::cos(p1) * std::cos(p2) * std::sin(dl / 2) * std::sin(dl / 2);
  return 2.0 * std::asin(std::sqrt(std::clamp(h, 0.0, 1.0))) * kDeg;
}

double distanceKm(const GeoPoint& a, const GeoPoint& b) {
  return centralAngleDeg(a, b) * kRad * kEarthRadiusKm;
}

double initialBearingDeg(const GeoPoint& a, const GeoPoint& b) {
  const double c = centralAngleDeg(a, b);
  if (c < kSameAngleDeg || c > 180.0 - kSameAngleDeg) return 0;
  if (std::fabs(a.latitude) >= 90.0 - 1e-12) return a.latitude > 0 ? 180.0 : 0.0;
  const double p1 = a.latitude * kRad, p2 = b.latitude * kRad;
  const double dl = (b.longitude - a.longitude) * kRad;
  const double y = std::sin(dl) * std::cos(p2);
  const double x = std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl);
  double brg = std::atan2(y, x) * kDeg;
  if (brg < 0) brg += 360.0;
  return brg >= 360.0 ? 0.0 : brg;
}

GeoPoint destination(const GeoPoint& a, double bearingDeg, double angleDeg) {
  const double p1 = a.latitude * kRad, l1 = a.longitude * kRad;
  const double th = bearingDeg * kRad, d = angleDeg * kRad;
  const double sp2 = std::sin(p1) * std::cos(d) + std::cos(p1) * std::sin(d) * std::cos(th);
  const double p2 = std::asin(std::clamp(sp2, -1.0, 1.0));
  const double l2 = l1 + std::atan2(std::sin(th) * std::sin(d) * std::cos(p1),
                                    std::cos(d) - std::sin(p1) * sp2);
  return GeoPoint{p2 * kDeg, normalizeLongitude(l2 * kDeg)};
}

std::vector<GeoPoint> greatCirclePath(const GeoPoint& a, const GeoPoint& b, int count) {
  count = std::max(count, 2);
  std::vector<GeoPoint> out;
  out.reserve(static_cast<std::size_t>(count));
  const double total = centralAngleDeg(a, b);
  const double brg = initialBearingDeg(a, b);
  if (total < kSameAngleDeg) return std::vector<GeoPoint>(static_cast<std::size_t>(count), a);
  for (int i = 0; i < count; ++i) {
    if (i == count - 1) {
      out.push_back(b);
    } else {
      out.push_back(destination(a, brg, total * i / (count - 1)));
    }
  }
  return out;
}

}  // namespace harkola
